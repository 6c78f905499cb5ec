// The recorder's Export, Print this page, Printer Setup and Fit all data.
#include "recorder_test_rig.h"

#include "graph/ui/export_dialog.h"
#include "graph/ui/graph_printing.h"
#include "graph/ui/save_file_chooser.h"
#include "recorder/ui/graphical_viewer.h"

#include "pdf_pages.h"

#include <QFile>
#include <QLineEdit>
#include <QPageLayout>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

namespace ostrel {
namespace {

using testing::Child;
using testing::PdfPages;

using testing::Reading;
using testing::RecorderRig;

QList<QByteArray> Lines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<QByteArray> lines = file.readAll().split('\n');
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    for (QByteArray& line : lines) {
        EXPECT_TRUE(line.endsWith('\r'));
        line.chop(1);
    }
    return lines;
}

// A recorder with the export dialog and the viewer handed in, linked, with
// the run's printer writing a PDF in its scratch folder.
class RecorderExport : public ::testing::Test {
  protected:
    void SetUp() override {
        TGraphicalForm::Collaborators with;
        with.autoMsg = &rig.autoMsg;
        with.progress = &rig.progress;
        with.dataList = &rig.dataList;
        with.option = &rig.option;
        with.exportDialog = &dialog;
        with.viewer = &viewer;
        rig.form->setCollaborators(with);
        rig.link();
        RunPrinter().setOutputFormat(QPrinter::PdfFormat);
        RunPrinter().setOutputFileName(rig.dir + QStringLiteral("/printed.pdf"));
        m_previousPrintAnswer = SetPrintDialogAnswerer([this](QPrinter&, PrintDialogKind kind) {
            printDialogs.push_back(kind);
            return true;
        });
    }
    void TearDown() override {
        SetPrintDialogAnswerer(std::move(m_previousPrintAnswer));
        RunPrinter().setOutputFormat(QPrinter::NativeFormat);
        RunPrinter().setOutputFileName({});
    }

    // Export with the choices a user makes in the dialog (Export pressed).
    void exportWith(const std::function<void(TDlgExportForm&)>& choose) {
        rig.form->setDialogRunner([choose](QDialog& d) {
            auto& form = dynamic_cast<TDlgExportForm&>(d);
            choose(form);
            return int(QDialog::Accepted);
        });
        rig.form->sbtnExportClick();
    }
    // Browse to a file in the scratch folder.
    QString browse(TDlgExportForm& form, const QString& name) {
        const QString path = rig.dir + QLatin1Char('/') + name;
        const SaveFileAnswerer previous =
            SetSaveFileAnswerer([path](const SaveFileRequest&) { return path; });
        Child<QPushButton>(form, "btnBrowse")->click();
        SetSaveFileAnswerer(previous);
        return path;
    }

    RecorderRig rig;
    TDlgExportForm dialog;
    TFormViewGraphic viewer;
    std::vector<PrintDialogKind> printDialogs;

  private:
    PrintDialogAnswerer m_previousPrintAnswer;
};

TEST_F(RecorderExport, ThisPageAsTextWithAndWithoutSubDisplay) {
    rig.sample("1.5");
    for (const char* text : {"2.5", "3.5"}) {
        MeterReading r = Reading(text);
        r.sub.valueText = "50.00";
        r.sub.exponentText = "0";
        r.sub.function = 0x400;
        SetField(r.sub.valueField, "50.00");
        SetField(r.sub.secondLabelField, "Hz");
        rig.publish(r);
        rig.form->TimerLoggerTimer();
    }
    QString path;
    exportWith([&](TDlgExportForm& form) {
        EXPECT_EQ(form.exportType(), ExportType::Text);
        EXPECT_EQ(Child<QLineEdit>(form, "editPageTo")->text(), "1");
        path = browse(form, QStringLiteral("page.csv"));
    });
    const QList<QByteArray> lines = Lines(path);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], "#item,Time,MainData,MainUnit,MainFunc,Sub Data,SubUnit,SubFunc");
    EXPECT_TRUE(lines[1].startsWith("1,"));
    EXPECT_EQ(lines[1].count(','), 4);
    EXPECT_TRUE(lines[2].startsWith("2,"));
    EXPECT_EQ(lines[2].count(','), 7);
    EXPECT_TRUE(lines[2].endsWith(",50.00,,Hz"));
    EXPECT_TRUE(lines[3].startsWith("3,"));
    EXPECT_EQ(lines[3].count(','), 7);
}

TEST_F(RecorderExport, TemperatureKeepsItsLetterInTheFunctionField) {
    MeterReading r = Reading("23.4C", 0x8020, "");
    r.main.couplingText = "T1";
    rig.publish(r);
    rig.form->TimerLoggerTimer();
    ASSERT_EQ(rig.form->engine().count(), 1);
    QString path;
    exportWith([&](TDlgExportForm& form) { path = browse(form, QStringLiteral("t.csv")); });
    const QList<QByteArray> lines = Lines(path);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[1].endsWith(",23.4,, C [T1]")) << lines[1].constData();
}

TEST_F(RecorderExport, AllPagesPrintedThenTheViewedPageAgain) {
    for (int i = 0; i < 450; ++i)
        rig.sample(std::to_string(i) + ".0");
    ASSERT_EQ(rig.form->engine().lastPage(), 3);
    rig.form->sbtnPageUpClick();
    ASSERT_EQ(rig.form->engine().viewedPage(), 2);

    exportWith([](TDlgExportForm& form) {
        Child<QRadioButton>(form, "rbtnBitMap")->click();
        Child<QRadioButton>(form, "rbtnPrinter")->click();
        Child<QRadioButton>(form, "rbtnPageAll")->click();
    });
    EXPECT_EQ(PdfPages(RunPrinter().outputFileName()), 3);
    EXPECT_TRUE(printDialogs.empty());
    // Page 2 is shown again: samples 50 … 249.
    EXPECT_EQ(rig.form->engine().viewedPage(), 2);
    EXPECT_EQ(rig.graph()->yData(0), 50.0);
    EXPECT_EQ(rig.graph()->yData(199), 249.0);
    EXPECT_EQ(rig.graph()->viewingStyle(), GraphAdapter::ViewingStyle::Color);

    // Pages typed beyond the recording are limited to it.
    RunPrinter().setOutputFileName(rig.dir + QStringLiteral("/range.pdf"));
    exportWith([](TDlgExportForm& form) {
        Child<QRadioButton>(form, "rbtnBitMap")->click();
        Child<QRadioButton>(form, "rbtnPrinter")->click();
        Child<QRadioButton>(form, "rbtnPage")->click();
        Child<QLineEdit>(form, "editPageFrom")->setText(QStringLiteral("2"));
        Child<QLineEdit>(form, "editPageTo")->setText(QStringLiteral("99"));
    });
    EXPECT_EQ(PdfPages(RunPrinter().outputFileName()), 2);
    EXPECT_EQ(rig.graph()->yData(0), 50.0);
}

TEST_F(RecorderExport, PictureOfTheViewedPageAndRefusals) {
    for (int i = 0; i < 250; ++i)
        rig.sample(std::to_string(i) + ".0");
    ScopedMessageAnswerer messages;
    // File without a name: the 9013 message and nothing written.
    exportWith([](TDlgExportForm& form) { Child<QRadioButton>(form, "rbtnPageAll")->click(); });
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.requests()[0].caption, "Error[E9013]");

    QString path;
    exportWith([&](TDlgExportForm& form) {
        Child<QRadioButton>(form, "rbtnBitMap")->click();
        Child<QRadioButton>(form, "rbtnFile")->click();
        path = browse(form, QStringLiteral("page.png"));
    });
    EXPECT_EQ(QImage(path).size(), QSize(1000, 681));
    EXPECT_EQ(messages.count(), 1);
}

TEST_F(RecorderExport, PrintThisPageAndPrinterSetup) {
    for (int i = 0; i < 10; ++i)
        rig.sample(std::to_string(i) + ".0");
    rig.form->sbtnPrintGraphicClick();
    ASSERT_EQ(printDialogs.size(), 1u);
    EXPECT_EQ(printDialogs[0], PrintDialogKind::Print);
    EXPECT_EQ(PdfPages(RunPrinter().outputFileName()), 1);

    // Printer Setup's choice stays with the run's printer.
    const PrintDialogAnswerer previous = SetPrintDialogAnswerer([](QPrinter& p, PrintDialogKind k) {
        EXPECT_EQ(k, PrintDialogKind::PageSetup);
        p.setPageOrientation(QPageLayout::Landscape);
        return true;
    });
    Child<QAction>(*rig.form, "miPrinterSetup")->trigger();
    SetPrintDialogAnswerer(previous);
    EXPECT_EQ(RunPrinter().pageLayout().orientation(), QPageLayout::Landscape);
    RunPrinter().setPageOrientation(QPageLayout::Portrait);
}

TEST_F(RecorderExport, FitAllDataShowsTheWholeBuffer) {
    for (int i = 0; i < 450; ++i)
        rig.sample(std::to_string(i % 97) + ".0");
    int points = -1;
    rig.form->setDialogRunner([&](QDialog& d) {
        EXPECT_EQ(&d, &viewer);
        d.show();
        points = Child<GraphAdapter>(viewer, "PEGraphView")->pointCount();
        d.close();
        return int(QDialog::Rejected);
    });
    rig.form->sbtnFitViewClick();
    EXPECT_EQ(points, 450);
    // The recorder's page is untouched.
    EXPECT_EQ(rig.graph()->pointCount(), 200);
}

} // namespace
} // namespace ostrel
