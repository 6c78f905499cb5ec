// The graph adapter offscreen: points, gaps and labels as drawn, appending,
// the cursor by mouse and keys, rubber-band zoom and its undo, and the
// images, SVG and printouts it makes.

#include "graph/ui/graph_adapter.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QImageReader>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace ostrel {
namespace {

const QColor kLine(255, 0, 0);

// The line's colour, also where antialiasing blends it a little.
bool IsLineColour(const QColor& c) {
    return c.red() > 160 && c.green() < 110 && c.blue() < 110;
}

class GraphAdapterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        graph.resize(640, 400);
        graph.setGraphBackColor(Qt::white);
        graph.setDeskColor(Qt::white);
        graph.setGraphForeColor(Qt::black);
        graph.setLineColor(kLine);
        graph.setManualMaxY(10.0);
        graph.setManualMinY(-10.0);
        graph.show();
    }

    // Line-coloured pixels in the image columns from x0 to x1.
    static int LinePixels(const QImage& image, int x0, int x1) {
        int n = 0;
        for (int x = std::max(0, x0); x <= std::min(image.width() - 1, x1); ++x)
            for (int y = 0; y < image.height(); ++y)
                if (IsLineColour(image.pixelColor(x, y)))
                    ++n;
        return n;
    }

    QWidget* plot() { return graph.focusProxy(); }

    void mouse(QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent event(type, QPointF(pos), QPointF(plot()->mapToGlobal(pos)), button, held,
                          Qt::NoModifier);
        QApplication::sendEvent(plot(), &event);
    }
    void drag(QPoint from, QPoint to) {
        mouse(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
        mouse(QEvent::MouseMove, (from + to) / 2, Qt::NoButton, Qt::LeftButton);
        mouse(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
        mouse(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    }

    GraphAdapter graph;
};

TEST_F(GraphAdapterTest, NullValuesLeaveAGapInTheDrawnLine) {
    graph.setPointCount(9);
    for (int i = 0; i < 9; ++i) {
        graph.setYData(i, i < 3 || i > 5 ? 5.0 : GraphAdapter::kNullValue);
        graph.setPointLabel(i, QStringLiteral("t%1").arg(i));
    }
    graph.rebuild();
    graph.replotNow();
    EXPECT_EQ(graph.yData(4), GraphAdapter::kNullValue);
    EXPECT_EQ(graph.pointLabel(8), "t8");

    const QImage image = graph.toImage(graph.size());
    const int x1 = graph.pointPixel(1).x();
    const int x2 = graph.pointPixel(2).x();
    const int x3 = graph.pointPixel(3).x();
    const int x5 = graph.pointPixel(5).x();
    const int x6 = graph.pointPixel(6).x();
    EXPECT_GT(LinePixels(image, x1 + 3, x2 - 3), 0);
    // From the last point before the gap to the first after it: nothing drawn.
    EXPECT_EQ(LinePixels(image, x3 - 2, x5 + 2), 0);
    EXPECT_GT(LinePixels(image, x6 + 3, graph.pointPixel(7).x() - 3), 0);
    // The value sits where the manual y range puts it: 5 of -10 … 10 is a
    // quarter of the way down from the top.
    EXPECT_LT(graph.pointPixel(0).y(), graph.pointPixel(4).y());

    // A break between two points with values: no line between them, the
    // points and the lines beside them stay; an appended point clears the
    // break of the place it takes.
    for (int i = 0; i < 9; ++i)
        graph.setYData(i, 5.0);
    graph.setBreakBefore(5, true);
    graph.rebuild();
    graph.replotNow();
    const QImage broken = graph.toImage(graph.size());
    EXPECT_EQ(LinePixels(broken, graph.pointPixel(4).x() + 3, x5 - 3), 0);
    EXPECT_GT(LinePixels(broken, x3 + 3, graph.pointPixel(4).x() - 3), 0);
    EXPECT_GT(LinePixels(broken, x5 + 3, x6 - 3), 0);
    EXPECT_TRUE(graph.breakBefore(5));
    for (int i = 0; i < 9; ++i)
        graph.appendPoint(QStringLiteral("n%1").arg(i), 1.0);
    EXPECT_FALSE(graph.breakBefore(5));
}

TEST_F(GraphAdapterTest, AppendingKeepsTheNewestPointsAndMixesWithDirectChanges) {
    graph.setPointCount(200);
    graph.rebuild();
    for (int i = 0; i < 1000; ++i)
        graph.appendPoint(QString::number(i), i);
    EXPECT_EQ(graph.pointCount(), 200);
    EXPECT_EQ(graph.pointLabel(0), "800");
    EXPECT_EQ(graph.yData(0), 800.0);
    EXPECT_EQ(graph.pointLabel(199), "999");
    EXPECT_EQ(graph.yData(199), 999.0);

    // A direct change addresses points, not storage places; a point appended
    // before the rebuild that shows it is kept in order as well.
    graph.setYData(0, -1.0);
    graph.appendPoint(QStringLiteral("1000"), 1000.0);
    graph.rebuild();
    EXPECT_EQ(graph.yData(0), 801.0);
    EXPECT_EQ(graph.yData(198), 999.0);
    EXPECT_EQ(graph.yData(199), 1000.0);

    graph.setManualMaxY(1100.0);
    graph.setManualMinY(0.0);
    graph.replotNow();
    // The newest point is drawn at the right end, the oldest at the left.
    EXPECT_GT(graph.pointPixel(199).x(), graph.pointPixel(0).x());
    EXPECT_LT(graph.pointPixel(199).y(), graph.pointPixel(0).y());
    EXPECT_EQ(graph.pointAtPixel(graph.pointPixel(150).x()), 150);
}

TEST_F(GraphAdapterTest, TickLabelsAreThePointLabelsThinnedWhenCrowded) {
    graph.setPointCount(5);
    for (int i = 0; i < 5; ++i)
        graph.setPointLabel(i, QStringLiteral(" 12:00:0%1.0").arg(i));
    graph.setPointLabel(2, QStringLiteral(" "));
    graph.rebuild();
    graph.replotNow();
    QStringList labels = graph.shownTickLabels();
    labels.removeAll(QString());
    EXPECT_EQ(labels, QStringList({" 12:00:00.0", " 12:00:01.0", " 12:00:03.0", " 12:00:04.0"}));

    graph.setPointCount(200);
    for (int i = 0; i < 200; ++i)
        graph.setPointLabel(i, QStringLiteral(" 12:%1:00.0").arg(i, 2, 10, QChar('0')));
    graph.rebuild();
    graph.replotNow();
    labels = graph.shownTickLabels();
    EXPECT_GE(labels.size(), 3);
    EXPECT_LE(labels.size(), 12); // 640 pixels hold no more side by side
    for (const QString& label : labels)
        EXPECT_TRUE(label.startsWith(" 12:")) << label.toStdString();
}

// Dark (text) pixels in the rows y0 … y1 of the columns x0 … x1.
int DarkPixels(const QImage& image, int x0, int x1, int y0, int y1) {
    int n = 0;
    for (int y = std::max(0, y0); y <= std::min(image.height() - 1, y1); ++y)
        for (int x = std::max(0, x0); x <= std::min(image.width() - 1, x1); ++x)
            if (qGray(image.pixel(x, y)) < 100)
                ++n;
    return n;
}

TEST_F(GraphAdapterTest, AShortRecordingHasItsTimeLabelsOnScreenAndInEveryPicture) {
    // Three samples appended to an empty page of 200 points, as a recording
    // starts: 197 null points, then the samples at the right end.
    graph.setPointCount(200);
    graph.rebuild();
    for (int i = 0; i < 3; ++i)
        graph.appendPoint(QStringLiteral(" 10:00:0%1.0").arg(i), i);
    graph.rebuild();
    graph.replotNow();
    EXPECT_TRUE(graph.shownTickLabels().contains(" 10:00:00.0"))
        << graph.shownTickLabels().join('|').toStdString();
    // Drawn, not only made: under the axis, right of the first sample.
    const QRect area = graph.plotArea();
    const QImage screen = graph.grab().toImage();
    EXPECT_GT(DarkPixels(screen, graph.pointPixel(197).x() - 40, screen.width(), area.bottom() + 3,
                         area.bottom() + 25),
              20);
    // The same page drawn at once, as a page is shown.
    graph.setPointCount(200);
    for (int i = 197; i < 200; ++i) {
        graph.setYData(i, i - 197);
        graph.setPointLabel(i, QStringLiteral(" 10:00:0%1.0").arg(i - 197));
    }
    graph.rebuild();
    graph.replotNow();
    EXPECT_TRUE(graph.shownTickLabels().contains(" 10:00:00.0"));

    // A bitmap and a printed page (the picture path): labels under the axis.
    const QImage bitmap = graph.toImage(QSize(1000, 681));
    EXPECT_GT(DarkPixels(bitmap, 800, 999, 640, 680), 20);
    QImage page(QSize(1000, 681), QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QPainter painter(&page);
        graph.paintOn(painter, QRectF(0, 0, 1000, 681));
    }
    EXPECT_GT(DarkPixels(page, 800, 999, 640, 680), 20);

    // SVG: the label, and a dot for each of the three samples only, none for
    // the null points (the chart puts theirs at the origin).
    const QByteArray svg = graph.toSvg(QSize(1000, 681));
    EXPECT_TRUE(svg.contains("10:00:00.0"));
    EXPECT_EQ(svg.count("<circle"), 3);
    EXPECT_FALSE(svg.contains("cx=\"0\" cy=\"0\""));
}

TEST_F(GraphAdapterTest, CursorFollowsClicksAndArrowKeysOtherKeysAreForwarded) {
    graph.setPointCount(10);
    graph.rebuild();
    graph.replotNow();
    QSignalSpy moved(&graph, &GraphAdapter::cursorMoved);
    QSignalSpy keys(&graph, &GraphAdapter::keyPressed);

    const QPoint at = graph.pointPixel(6);
    mouse(QEvent::MouseButtonPress, QPoint(at.x() + 1, 100), Qt::LeftButton, Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, QPoint(at.x() + 1, 100), Qt::LeftButton, Qt::NoButton);
    ASSERT_EQ(moved.count(), 1);
    EXPECT_EQ(moved.takeFirst().at(0).toInt(), 6);
    EXPECT_EQ(graph.cursorPoint(), 6);

    QTest::keyClick(plot(), Qt::Key_Right);
    QTest::keyClick(plot(), Qt::Key_Right);
    EXPECT_EQ(graph.cursorPoint(), 8);
    QTest::keyClick(plot(), Qt::Key_Left);
    EXPECT_EQ(graph.cursorPoint(), 7);
    EXPECT_EQ(moved.count(), 3);

    graph.setCursorPoint(0); // set by the program: no signal
    QTest::keyClick(plot(), Qt::Key_Left);
    EXPECT_EQ(graph.cursorPoint(), 0);
    EXPECT_EQ(moved.count(), 3);

    QTest::keyClick(plot(), Qt::Key_PageUp);
    QTest::keyClick(plot(), Qt::Key_PageDown);
    ASSERT_EQ(keys.count(), 2);
    EXPECT_EQ(keys.at(0).at(0).toInt(), int(Qt::Key_PageUp));
    EXPECT_EQ(keys.at(1).at(0).toInt(), int(Qt::Key_PageDown));
    EXPECT_EQ(graph.cursorPoint(), 0);

    graph.setCursorPoint(50);
    EXPECT_EQ(graph.cursorPoint(), 9);
}

TEST_F(GraphAdapterTest, RubberBandZoomsInBothDirectionsAndUndoRestores) {
    graph.setPointCount(100);
    for (int i = 0; i < 100; ++i)
        graph.setYData(i, i % 10);
    graph.rebuild();
    graph.replotNow();
    QSignalSpy zoomed(&graph, &GraphAdapter::zoomed);
    const int left = graph.pointPixel(0).x();
    const int y0 = graph.pointPixel(0).y(); // value 0

    // A click is no zoom.
    drag(QPoint(left + 50, 100), QPoint(left + 51, 101));
    EXPECT_EQ(zoomed.count(), 0);
    EXPECT_FALSE(graph.isZoomed());

    drag(graph.pointPixel(40) + QPoint(0, -120), graph.pointPixel(60) + QPoint(0, 0));
    ASSERT_EQ(zoomed.count(), 1);
    EXPECT_TRUE(graph.isZoomed());
    graph.replotNow();
    EXPECT_EQ(graph.pointAtPixel(graph.plotArea().left()), 40);
    EXPECT_EQ(graph.pointAtPixel(graph.plotArea().right()), 60);
    // The band began on point 40, within a pixel or two.
    EXPECT_NEAR(graph.shownPoints().first, 40, 1);
    EXPECT_EQ(graph.shownPoints().second, 60);
    EXPECT_NE(graph.pointPixel(40).y(), y0); // the y range changed too

    // Data changes keep the zoom until it is undone.
    graph.setManualMaxY(50.0);
    graph.rebuild();
    graph.replotNow();
    EXPECT_EQ(graph.pointAtPixel(graph.plotArea().left()), 40);
    graph.undoZoom();
    graph.replotNow();
    EXPECT_FALSE(graph.isZoomed());
    EXPECT_EQ(graph.pointAtPixel(graph.plotArea().left()), 0);
    EXPECT_EQ(graph.pointAtPixel(graph.plotArea().right()), 99);
    EXPECT_EQ(graph.shownPoints(), std::make_pair(0, 99));

    graph.setZoomEnabled(false);
    drag(graph.pointPixel(40) + QPoint(0, -120), graph.pointPixel(60));
    EXPECT_EQ(zoomed.count(), 1);
    EXPECT_FALSE(graph.isZoomed());
}

TEST_F(GraphAdapterTest, ImagesSvgAndPrintoutsInColourAndMonochrome) {
    graph.setMainTitle(QStringLiteral("Data Logger"));
    graph.setPointCount(20);
    for (int i = 0; i < 20; ++i)
        graph.setYData(i, (i % 4) - 2);
    graph.rebuild();
    graph.replotNow();

    const QImage colour = graph.toImage(QSize(500, 300));
    EXPECT_EQ(colour.size(), QSize(500, 300));
    EXPECT_GT(LinePixels(colour, 0, 499), 0);
    graph.setViewingStyle(GraphAdapter::ViewingStyle::Monochrome);
    const QImage mono = graph.toImage(QSize(500, 300));
    EXPECT_EQ(LinePixels(mono, 0, 499), 0);
    graph.setViewingStyle(GraphAdapter::ViewingStyle::Color);
    EXPECT_GT(LinePixels(graph.toImage(QSize(500, 300)), 0, 499), 0);

    QTemporaryDir dir;
    const QString png = dir.filePath("page.png");
    const QString bmp = dir.filePath("page.BMP");
    ASSERT_TRUE(graph.saveBitmap(png, QSize(1000, 681)));
    ASSERT_TRUE(graph.saveBitmap(bmp, QSize(320, 200)));
    QImageReader pngReader(png);
    EXPECT_EQ(pngReader.format(), "png");
    EXPECT_EQ(pngReader.size(), QSize(1000, 681));
    QImageReader bmpReader(bmp);
    EXPECT_EQ(bmpReader.format(), "bmp");
    EXPECT_EQ(bmpReader.size(), QSize(320, 200));
    EXPECT_FALSE(graph.saveBitmap(dir.filePath("missing/dir/x.png"), QSize(10, 10)));
    EXPECT_FALSE(QFile::exists(dir.filePath("missing")));

    const QByteArray svg = graph.toSvg(QSize(378, 257));
    EXPECT_TRUE(svg.contains("<svg"));
    EXPECT_TRUE(svg.contains("Data Logger"));
    ASSERT_TRUE(graph.saveSvg(dir.filePath("page.svg"), QSize(378, 257)));
    EXPECT_GT(QFile(dir.filePath("page.svg")).size(), 1000);

    graph.copyBitmapToClipboard(QSize(200, 100));
    EXPECT_EQ(QApplication::clipboard()->image().size(), QSize(200, 100));
    graph.copySvgToClipboard(QSize(200, 100));
    const QMimeData* data = QApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->data("image/svg+xml").contains("<svg"));

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("page.pdf"));
    ASSERT_TRUE(graph.print(printer));
    QFile pdf(dir.filePath("page.pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.read(5).startsWith("%PDF"));
    EXPECT_GT(pdf.size(), 1000);

    // Drawing pictures leaves the widget's own layout alone.
    graph.replotNow();
    EXPECT_EQ(graph.pointAtPixel(graph.pointPixel(7).x()), 7);
}

} // namespace
} // namespace ostrel
