// Pictures of a graph to files and the clipboard, and printing to PDF.
#include "base/ui/message_box.h"
#include "recorder/ui/graph_output.h"
#include "recorder/ui/graph_printing.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QMimeData>
#include <QPainter>
#include <QPrinter>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace ostrel {
namespace {

// A stand-in graph: a frame and a diagonal across the rectangle.
void PaintCross(QPainter& painter, const QRect& rect) {
    painter.setPen(Qt::blue);
    painter.drawRect(rect.adjusted(0, 0, -1, -1));
    painter.drawLine(rect.topLeft(), rect.bottomRight());
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int PdfPages(const QByteArray& pdf) {
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page[^s]"));
    return static_cast<int>(QString::fromLatin1(pdf).count(page));
}

TEST(GraphOutput, ImagesAtTheRequestedSizeByExtension) {
    QTemporaryDir dir;
    const QImage image = GraphImage(PaintCross, QSize(1000, 681));
    EXPECT_EQ(image.pixel(0, 0), QColor(Qt::blue).rgb());
    EXPECT_EQ(image.pixel(500, 100), QColor(Qt::white).rgb());

    const QString png = dir.filePath("page.png");
    const QString bmp = dir.filePath("page.BMP");
    ASSERT_TRUE(SaveGraphImage(image, png));
    ASSERT_TRUE(SaveGraphImage(image, bmp));
    QImageReader pngReader(png);
    EXPECT_EQ(pngReader.format(), "png");
    EXPECT_EQ(pngReader.size(), QSize(1000, 681));
    QImageReader bmpReader(bmp);
    EXPECT_EQ(bmpReader.format(), "bmp");
    EXPECT_EQ(bmpReader.size(), QSize(1000, 681));

    // A failed save keeps the previous file.
    const QByteArray before = ReadAll(png);
    EXPECT_FALSE(SaveGraphImage(QImage(), png));
    EXPECT_FALSE(SaveGraphImage(image, dir.filePath("missing/page.png")));
    EXPECT_EQ(ReadAll(png), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);
}

TEST(GraphOutput, SvgCarriesTheSizeInMillimetres) {
    QTemporaryDir dir;
    const QByteArray svg = GraphSvg(PaintCross, 10000, 6810, QStringLiteral("Data Logger"));
    EXPECT_TRUE(svg.contains("width=\"100mm\" height=\"68.1mm\"")) << svg.left(600).data();
    EXPECT_TRUE(svg.contains("<title>Data Logger</title>"));
    EXPECT_EQ(SvgPixels(10000, 6810), QSize(378, 257));
    EXPECT_EQ(SvgPixels(0.5, 1), QSize(1, 1));

    const QString path = dir.filePath("page.svg");
    ASSERT_TRUE(SaveGraphFile(svg, path));
    QSvgRenderer renderer(path);
    ASSERT_TRUE(renderer.isValid());
    EXPECT_EQ(renderer.viewBox(), QRect(0, 0, 378, 257));

    // An odd size is written as asked, not rounded to whole pixels.
    EXPECT_TRUE(
        GraphSvg(PaintCross, 5555, 1234, {}).contains("width=\"55.55mm\" height=\"12.34mm\""));
}

TEST(GraphOutput, ClipboardGetsImageAndSvg) {
    const QImage image = GraphImage(PaintCross, QSize(64, 48));
    CopyGraphToClipboard(image);
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->hasImage());
    EXPECT_FALSE(data->hasFormat("image/svg+xml"));

    const QByteArray svg = GraphSvg(PaintCross, 2540, 2540, {});
    CopyGraphToClipboard(GraphImage(PaintCross, SvgPixels(2540, 2540)), svg);
    data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->data("image/svg+xml"), svg);
    EXPECT_EQ(qvariant_cast<QImage>(data->imageData()).size(), QSize(96, 96));
}

TEST(GraphPrinting, PagesToPdfInMonochromeThenColourAgain) {
    QTemporaryDir dir;
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("pages.pdf"));

    std::vector<int> shown;
    std::vector<bool> styles;
    bool monochrome = false;
    int paintedMonochrome = 0;
    GraphPrintJob job;
    job.paint = [&](QPainter& painter, const QRect& rect) {
        paintedMonochrome += monochrome ? 1 : 0;
        EXPECT_GT(rect.width(), 100);
        EXPECT_NEAR(double(rect.height()) / rect.width(), 0.681, 0.01);
        PaintCross(painter, rect);
    };
    job.setMonochrome = [&](bool on) {
        monochrome = on;
        styles.push_back(on);
    };
    job.showPage = [&](int page) { shown.push_back(page); };

    ASSERT_TRUE(PrintGraphPages(printer, {1, 3}, job));
    EXPECT_EQ(shown, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(paintedMonochrome, 3);
    EXPECT_FALSE(monochrome);
    EXPECT_EQ(styles.size(), 6u);
    EXPECT_EQ(PdfPages(ReadAll(printer.outputFileName())), 3);

    // Nothing to print: no sheet, no file.
    printer.setOutputFileName(dir.filePath("none.pdf"));
    EXPECT_TRUE(PrintGraphPages(printer, {3, 2}, job));
    EXPECT_FALSE(QFile::exists(dir.filePath("none.pdf")));
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
