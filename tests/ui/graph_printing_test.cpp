// Printing of graph pages to PDF, and the word when no printer is installed.
#include "base/ui/message_box.h"
#include "graph/ui/graph_adapter.h"
#include "graph/ui/graph_printing.h"

#include "pdf_pages.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace ostrel {
namespace {

using testing::PdfPages;

TEST(GraphPrinting, PagesToPdfInMonochromeThenColourAgain) {
    QTemporaryDir dir;
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("pages.pdf"));
    GraphAdapter graph;
    graph.setPointCount(5);
    std::vector<int> shown;
    const GraphPrintJob job{&graph, [&](int page) { shown.push_back(page); }};

    ASSERT_TRUE(PrintGraphPages(printer, {1, 3}, job));
    EXPECT_EQ(shown, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(graph.viewingStyle(), GraphAdapter::ViewingStyle::Color);
    EXPECT_EQ(PdfPages(printer.outputFileName()), 3);

    // Nothing to print: no sheet, no file.
    printer.setOutputFileName(dir.filePath("none.pdf"));
    EXPECT_TRUE(PrintGraphPages(printer, {3, 2}, job));
    EXPECT_FALSE(QFile::exists(dir.filePath("none.pdf")));
    // A file that cannot be made is a failure.
    printer.setOutputFileName(dir.filePath("no/such/dir.pdf"));
    EXPECT_FALSE(PrintGraphPages(printer, {1, 1}, job));
}

// A device of another resolution (a printer, an SVG drawing in mm) gets the
// whole graph laid out as on a screen, scaled once: the desk shows at its
// corners and the graph area's background in its middle.
TEST(GraphPrinting, PaintOnAnyResolutionFitsTheTarget) {
    GraphAdapter graph;
    graph.setDeskColor(Qt::red);
    graph.setGraphBackColor(Qt::white);
    graph.setPointCount(5);
    graph.rebuild();
    for (int dpi : {96, 192, 600}) {
        const double scale = dpi / 96.0;
        QImage image(QSize(int(640 * scale), int(436 * scale)), QImage::Format_RGB32);
        image.setDotsPerMeterX(int(dpi / 0.0254));
        image.setDotsPerMeterY(int(dpi / 0.0254));
        image.fill(Qt::green);
        QPainter painter(&image);
        graph.paintOn(painter, QRectF(image.rect()));
        painter.end();
        const int w = image.width();
        const int h = image.height();
        EXPECT_EQ(image.pixelColor(1, 1), QColor(Qt::red)) << dpi;
        EXPECT_EQ(image.pixelColor(w - 2, h - 2), QColor(Qt::red)) << dpi;
        EXPECT_EQ(image.pixelColor(w / 2, h / 2), QColor(Qt::white)) << dpi;
    }
}

TEST(GraphPrinting, NoPrinterSaysSoAndOffersTheDialog) {
    ScopedMessageAnswerer messages;
    int dialogs = 0;
    bool accept = false;
    QTemporaryDir dir;
    const PrintDialogAnswerer previous =
        SetPrintDialogAnswerer([&](QPrinter& printer, PrintDialogKind kind) {
            EXPECT_EQ(kind, PrintDialogKind::Print);
            ++dialogs;
            if (accept) {
                printer.setOutputFormat(QPrinter::PdfFormat);
                printer.setOutputFileName(dir.filePath("chosen.pdf"));
            }
            return accept;
        });

    QPrinter pdf;
    pdf.setOutputFormat(QPrinter::PdfFormat);
    pdf.setOutputFileName(dir.filePath("direct.pdf"));
    EXPECT_TRUE(ReadyToPrint(nullptr, pdf));
    EXPECT_EQ(dialogs, 0);
    EXPECT_EQ(messages.count(), 0);

    if (!PrinterInstalled()) {
        QPrinter native;
        EXPECT_FALSE(ReadyToPrint(nullptr, native));
        ASSERT_EQ(messages.count(), 1);
        EXPECT_EQ(messages.requests()[0].caption, "Warning[W9043]");
        EXPECT_EQ(dialogs, 1);
        accept = true;
        EXPECT_TRUE(ReadyToPrint(nullptr, native));
        EXPECT_EQ(native.outputFileName(), dir.filePath("chosen.pdf"));
        // The print dialog itself is offered after the same word.
        QPrinter other;
        EXPECT_TRUE(AskPrint(nullptr, other));
        EXPECT_EQ(messages.count(), 3);
    }
    SetPrintDialogAnswerer(previous);
}

} // namespace
} // namespace ostrel
