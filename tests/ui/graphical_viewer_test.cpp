// The graphical viewer: the whole buffer one to one or decimated, the
// extremes' panels and their clicks, zoom, close, print and export.
#include "find_child.h"

#include "base/ui/message_box.h"
#include "graph/ui/export_dialog.h"
#include "graph/ui/graph_adapter.h"
#include "graph/ui/graph_printing.h"
#include "graph/ui/save_file_chooser.h"
#include "recorder/ui/graphical_viewer.h"

#include "../recorder/record_test_util.h"

#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <cmath>

namespace ostrel {
namespace {

using testing::Child;

// A sine over n samples; the largest and smallest as the recorder tracks them.
struct Recording {
    SampleBuffer buffer;
    Extremes extremes;
    YRange range;
    explicit Recording(int n) {
        for (int i = 0; i < n; ++i) {
            RecordPair p = test::MakePair(i, false);
            p.main.value = static_cast<float>(std::sin(i * 0.01) * 10.0);
            buffer.push_back(p);
        }
        ScanBuffer(buffer, range, extremes);
    }
    ViewerSource source() const { return {&buffer, extremes, range}; }
};

TEST(GraphicalViewer, SmallBufferPointByPointWithItsExtremes) {
    const Recording rec(5000);
    TFormViewGraphic viewer;
    viewer.setSource(rec.source());
    viewer.show();
    EXPECT_EQ(viewer.windowTitle(), "Graphical viewer");
    EXPECT_EQ(viewer.frameGeometry(), QGuiApplication::primaryScreen()->geometry());
    EXPECT_EQ(Child<QToolButton>(viewer, "sbtnExport")->toolTip(), "Export...");
    EXPECT_EQ(Child<QPushButton>(viewer, "bbtnClose")->text(), "Close");
    EXPECT_TRUE(Child<QLabel>(viewer, "MaxPFPanel")->isHidden());

    GraphAdapter& graph = *Child<GraphAdapter>(viewer, "PEGraphView");
    EXPECT_TRUE(viewer.shownGraph().oneToOne);
    EXPECT_EQ(graph.pointCount(), 5000);
    EXPECT_EQ(graph.yData(1234), rec.buffer[1234].main.value);
    EXPECT_EQ(graph.pointLabel(1234), " 12:00:44.0");
    EXPECT_EQ(graph.manualMaxY(), rec.range.max);
    EXPECT_EQ(graph.manualMinY(), rec.range.min);
    EXPECT_EQ(graph.mainTitle(), "Data Logger");
    EXPECT_EQ(graph.yAxisLabel(), "Reading");
    EXPECT_EQ(graph.cursorPoint(), 0);
    EXPECT_FALSE(Child<QToolButton>(viewer, "sbtnUndoZoom")->isEnabled());

    const RecordPair& max = rec.buffer[static_cast<std::size_t>(rec.extremes.maxIndex)];
    EXPECT_EQ(Child<QLabel>(viewer, "MaxDataPanel")->text(), FieldView(max.main.dataText).data());
    EXPECT_EQ(Child<QLabel>(viewer, "MaxTimePanel")->text(), FieldView(max.main.timeText).data());
    EXPECT_EQ(Child<QLabel>(viewer, "MaxUnitPanel")->text(), "m");
    EXPECT_EQ(Child<QLabel>(viewer, "MinFuncPanel")->text(), "V");

    QTest::mouseClick(Child<QLabel>(viewer, "MaxDataPanel"), Qt::LeftButton);
    EXPECT_EQ(graph.cursorPoint(), rec.extremes.maxIndex);
    QTest::mouseClick(Child<QLabel>(viewer, "MinDataPanel"), Qt::LeftButton);
    EXPECT_EQ(graph.cursorPoint(), rec.extremes.minIndex);

    // Zoom enables the undo button; undo disables it again.
    emit graph.zoomed();
    EXPECT_TRUE(Child<QToolButton>(viewer, "sbtnUndoZoom")->isEnabled());
    Child<QToolButton>(viewer, "sbtnUndoZoom")->click();
    EXPECT_FALSE(Child<QToolButton>(viewer, "sbtnUndoZoom")->isEnabled());
    EXPECT_FALSE(graph.isZoomed());

    // Closing keeps only a small graph of the first samples.
    Child<QPushButton>(viewer, "bbtnClose")->click();
    EXPECT_FALSE(viewer.isVisible());
    EXPECT_EQ(graph.pointCount(), 100);
    EXPECT_EQ(graph.manualMaxY(), 100.0);
    EXPECT_EQ(graph.manualMinY(), -100.0);
    EXPECT_EQ(graph.yData(99), rec.buffer[99].main.value);
}

TEST(GraphicalViewer, LargeBufferDecimatedAndPanelsFindTheirPoints) {
    const Recording rec(8193);
    TFormViewGraphic viewer;
    viewer.setSource(rec.source());
    viewer.show();
    const ViewerGraph& shown = viewer.shownGraph();
    EXPECT_FALSE(shown.oneToOne);
    EXPECT_EQ(Child<GraphAdapter>(viewer, "PEGraphView")->pointCount(), 8192);

    QTest::mouseClick(Child<QLabel>(viewer, "MaxDataPanel"), Qt::LeftButton);
    const int point = Child<GraphAdapter>(viewer, "PEGraphView")->cursorPoint();
    EXPECT_EQ(point, shown.maxPoint);
    EXPECT_EQ(shown.positions[static_cast<std::size_t>(point)], rec.extremes.maxIndex);
    EXPECT_EQ(Child<GraphAdapter>(viewer, "PEGraphView")->yData(point),
              rec.buffer[static_cast<std::size_t>(rec.extremes.maxIndex)].main.value);
    QTest::mouseClick(Child<QLabel>(viewer, "MinDataPanel"), Qt::LeftButton);
    EXPECT_EQ(shown.positions[static_cast<std::size_t>(
                  Child<GraphAdapter>(viewer, "PEGraphView")->cursorPoint())],
              rec.extremes.minIndex);

    // Shown again after a change of buffer: built anew.
    Child<QPushButton>(viewer, "bbtnClose")->click();
    const Recording small(300);
    viewer.setSource(small.source());
    viewer.show();
    EXPECT_EQ(Child<GraphAdapter>(viewer, "PEGraphView")->pointCount(), 300);
    viewer.close();
}

// Runs on the export dialog once it is shown modally.
void AnswerExportDialog(TDlgFitExportForm& dialog, std::function<void()> choose) {
    QTimer::singleShot(0, &dialog, [&dialog, choose] {
        choose();
        Child<QPushButton>(dialog, "btnExport")->click();
    });
}

TEST(GraphicalViewer, ExportThroughTheFitDialog) {
    const Recording rec(5000);
    QTemporaryDir dir;
    TFormViewGraphic viewer;
    TDlgFitExportForm dialog;
    viewer.setExportDialog(&dialog);
    viewer.setSource(rec.source());
    viewer.show();
    ScopedMessageAnswerer messages;

    // File chosen without Browse: the 9013 message.
    AnswerExportDialog(dialog, [&] { Child<QRadioButton>(dialog, "rbtnFile")->click(); });
    Child<QToolButton>(viewer, "sbtnExport")->click();
    EXPECT_TRUE(Child<QRadioButton>(dialog, "rbtnText")->isHidden());
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.requests()[0].caption, "Error[E9013]");

    const QString svg = dir.filePath("all.svg");
    const SaveFileAnswerer previous =
        SetSaveFileAnswerer([&](const SaveFileRequest&) { return svg; });
    AnswerExportDialog(dialog, [&] {
        Child<QRadioButton>(dialog, "rbtnFile")->click();
        Child<QPushButton>(dialog, "btnBrowse")->click();
    });
    Child<QToolButton>(viewer, "sbtnExport")->click();
    SetSaveFileAnswerer(previous);
    QFile file(svg);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("width=\"100mm\" height=\"68.1mm\""));
    EXPECT_EQ(messages.count(), 1);

    // MetaFile to the printer prints at once; BitMap asks first.
    QPrinter& printer = RunPrinter();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("viewer.pdf"));
    int printDialogs = 0;
    const PrintDialogAnswerer before = SetPrintDialogAnswerer([&](QPrinter&, PrintDialogKind) {
        ++printDialogs;
        return true;
    });
    AnswerExportDialog(dialog, [&] { Child<QRadioButton>(dialog, "rbtnPrinter")->click(); });
    Child<QToolButton>(viewer, "sbtnExport")->click();
    EXPECT_EQ(printDialogs, 0);
    EXPECT_TRUE(QFile::exists(dir.filePath("viewer.pdf")));
    AnswerExportDialog(dialog, [&] {
        Child<QRadioButton>(dialog, "rbtnBitMap")->click();
        Child<QRadioButton>(dialog, "rbtnPrinter")->click();
    });
    Child<QToolButton>(viewer, "sbtnExport")->click();
    EXPECT_EQ(printDialogs, 1);
    Child<QToolButton>(viewer, "sbtnPrint")->click();
    EXPECT_EQ(printDialogs, 2);
    EXPECT_EQ(Child<GraphAdapter>(viewer, "PEGraphView")->viewingStyle(),
              GraphAdapter::ViewingStyle::Color);
    SetPrintDialogAnswerer(before);
    printer.setOutputFormat(QPrinter::NativeFormat);
    printer.setOutputFileName({});
    EXPECT_EQ(messages.count(), 1);
    viewer.close();
}

} // namespace
} // namespace ostrel
