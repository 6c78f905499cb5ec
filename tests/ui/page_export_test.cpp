// The export command of a paged graph: text, pictures and printed pages.
#include "base/ui/message_box.h"
#include "graph/ui/graph_adapter.h"
#include "graph/ui/graph_printing.h"
#include "graph/ui/page_export.h"
#include "recorder/text_export.h"

#include "../recorder/record_test_util.h"
#include "pdf_pages.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QMimeData>
#include <QPrinter>
#include <QSvgRenderer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace ostrel {
namespace {

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A graph of lastPage pages that records which pages it was filled with and
// in which style it stood then.
struct FakeGraph {
    GraphAdapter adapter;
    std::vector<int> shown;
    std::vector<GraphAdapter::ViewingStyle> styles;
    FakeGraph() {
        adapter.resize(640, 400);
        adapter.setMainTitle(QStringLiteral("Data Logger"));
        adapter.setPointCount(10);
        for (int i = 0; i < 10; ++i)
            adapter.setYData(i, i);
        adapter.rebuild();
    }
    PagedGraph graph(int viewed, int last) {
        PagedGraph g;
        g.graph = &adapter;
        g.viewedPage = viewed;
        g.lastPage = last;
        g.showPage = [this](int page) {
            shown.push_back(page);
            styles.push_back(adapter.viewingStyle());
        };
        return g;
    }
};

ExportRequest Request(ExportType type, ExportDestination destination, PageScope scope,
                      const QString& path = {}) {
    ExportRequest r;
    r.type = type;
    r.destination = destination;
    r.scope = scope;
    r.pageFrom = "1";
    r.pageTo = "1";
    r.fileName = path.toStdString();
    r.width = type == ExportType::MetaFile ? kMetafileWidth : kBitmapWidth;
    r.height = type == ExportType::MetaFile ? kMetafileHeight : kBitmapHeight;
    return r;
}

TEST(PageExport, TextOfThisPageAndClampedRanges) {
    QTemporaryDir dir;
    const QString path = dir.filePath("page.csv");
    SampleBuffer buffer = {test::MakePair(1, false), test::MakePair(2), test::MakePair(3)};
    const WritePagesText write = [&buffer](const std::string& file, PageSpan pages) {
        return ExportTextFile(file, buffer, 200, pages.first, pages.last) ? 0 : kMsgFileSaveError;
    };
    FakeGraph fake;
    ScopedMessageAnswerer messages;

    ASSERT_EQ(
        RunPageExport(nullptr,
                      Request(ExportType::Text, ExportDestination::File, PageScope::ThisPage, path),
                      fake.graph(1, 1), write),
        0);
    const QList<QByteArray> lines = ReadAll(path).split('\n');
    ASSERT_EQ(lines.size(), 5); // four lines, each ending in CR LF
    EXPECT_EQ(lines[0], "#item,Time,MainData,MainUnit,MainFunc,Sub Data,SubUnit,SubFunc\r");
    EXPECT_EQ(lines[1].count(','), 4);
    EXPECT_TRUE(lines[1].startsWith("1,"));
    EXPECT_EQ(lines[2].count(','), 7);
    EXPECT_TRUE(lines[3].startsWith("3,"));
    EXPECT_EQ(lines[3].count(','), 7);
    EXPECT_TRUE(fake.shown.empty()) << "text leaves the graph alone";

    // Page numbers outside 1 … L are limited to it.
    std::vector<PageSpan> asked;
    const WritePagesText record = [&asked](const std::string&, PageSpan pages) {
        asked.push_back(pages);
        return 0;
    };
    ExportRequest range =
        Request(ExportType::Text, ExportDestination::File, PageScope::Pages, path);
    range.pageFrom = "0";
    range.pageTo = "12";
    EXPECT_EQ(RunPageExport(nullptr, range, fake.graph(2, 3), record), 0);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].first, 1);
    EXPECT_EQ(asked[0].last, 3);

    // A page that is no number, or no file name: a numbered message, nothing written.
    range.pageTo = "3a";
    EXPECT_EQ(RunPageExport(nullptr, range, fake.graph(2, 3), record), kMsgPageNotNumber);
    EXPECT_EQ(RunPageExport(nullptr,
                            Request(ExportType::Text, ExportDestination::File, PageScope::AllPages),
                            fake.graph(2, 3), record),
              kMsgBrowseForName);
    EXPECT_EQ(asked.size(), 1u);
    ASSERT_EQ(messages.count(), 2);
    EXPECT_EQ(messages.requests()[0].caption, "Error[E9040]");
    EXPECT_EQ(messages.requests()[1].caption, "Error[E9013]");
    EXPECT_EQ(messages.requests()[1].text, "Please \"Browse\" and specify a file name !");
    EXPECT_EQ(messages.requests()[1].icon, MessageIcon::Stop);
}

TEST(PageExport, FailedWriteSaysSoAndKeepsThePreviousFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("page.csv");
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("previous");
    old.close();
    FakeGraph fake;
    ScopedMessageAnswerer messages;
    const WritePagesText failing = [](const std::string&, PageSpan) { return kMsgFileSaveError; };
    EXPECT_EQ(
        RunPageExport(nullptr,
                      Request(ExportType::Text, ExportDestination::File, PageScope::AllPages, path),
                      fake.graph(1, 1), failing),
        kMsgFileSaveError);
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.requests()[0].text, "File save error.");
    EXPECT_EQ(ReadAll(path), "previous");

    // A picture into a folder that does not exist.
    EXPECT_EQ(RunPageExport(nullptr,
                            Request(ExportType::BitMap, ExportDestination::File,
                                    PageScope::ThisPage, dir.filePath("no/such.png")),
                            fake.graph(1, 1), failing),
              kMsgFileSaveError);
}

TEST(PageExport, PicturesOfTheViewedPageAtTheirSize) {
    QTemporaryDir dir;
    FakeGraph fake;
    const WritePagesText none;

    ExportRequest png = Request(ExportType::BitMap, ExportDestination::File, PageScope::AllPages,
                                dir.filePath("page.png"));
    png.width = 640.9; // truncated
    png.height = 480;
    ASSERT_EQ(RunPageExport(nullptr, png, fake.graph(2, 3), none), 0);
    EXPECT_EQ(QImageReader(dir.filePath("page.png")).size(), QSize(640, 480));
    // The viewed page only, then the viewed page again.
    EXPECT_EQ(fake.shown, (std::vector<int>{2, 2}));

    ASSERT_EQ(RunPageExport(nullptr,
                            Request(ExportType::MetaFile, ExportDestination::File,
                                    PageScope::ThisPage, dir.filePath("page.svg")),
                            fake.graph(2, 3), none),
              0);
    const QByteArray svg = ReadAll(dir.filePath("page.svg"));
    EXPECT_TRUE(svg.contains("width=\"100mm\" height=\"68.1mm\"")) << svg.left(400).data();
    EXPECT_TRUE(svg.contains("Data Logger"));
    EXPECT_TRUE(QSvgRenderer(svg).isValid());
    EXPECT_EQ(MetafilePixels(10000, 6810), QSize(378, 257));
    EXPECT_EQ(MetafilePixels(1, 0), QSize(1, 1));

    ASSERT_EQ(RunPageExport(
                  nullptr,
                  Request(ExportType::MetaFile, ExportDestination::ClipBoard, PageScope::ThisPage),
                  fake.graph(2, 3), none),
              0);
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->hasFormat("image/svg+xml"));
    EXPECT_EQ(qvariant_cast<QImage>(data->imageData()).size(), QSize(378, 257));

    ASSERT_EQ(RunPageExport(
                  nullptr,
                  Request(ExportType::BitMap, ExportDestination::ClipBoard, PageScope::ThisPage),
                  fake.graph(2, 3), none),
              0);
    data = QGuiApplication::clipboard()->mimeData();
    EXPECT_EQ(qvariant_cast<QImage>(data->imageData()).size(), QSize(1000, 681));
    EXPECT_FALSE(data->hasFormat("image/svg+xml"));
    EXPECT_EQ(fake.adapter.viewingStyle(), GraphAdapter::ViewingStyle::Color);
}

TEST(PageExport, AllPagesToThePrinterThenTheViewedPageAgain) {
    QTemporaryDir dir;
    QPrinter& printer = RunPrinter();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("all.pdf"));
    FakeGraph fake;
    ASSERT_EQ(
        RunPageExport(nullptr,
                      Request(ExportType::BitMap, ExportDestination::Printer, PageScope::AllPages),
                      fake.graph(2, 3), {}),
        0);
    EXPECT_EQ(fake.shown, (std::vector<int>{1, 2, 3, 2}));
    // Each page is filled in colour (the style of the page before was restored).
    for (GraphAdapter::ViewingStyle style : fake.styles)
        EXPECT_EQ(style, GraphAdapter::ViewingStyle::Color);
    EXPECT_EQ(testing::PdfPages(printer.outputFileName()), 3);

    // An empty range prints nothing and says why.
    ScopedMessageAnswerer messages;
    ExportRequest backwards =
        Request(ExportType::MetaFile, ExportDestination::Printer, PageScope::Pages);
    backwards.pageFrom = "3";
    backwards.pageTo = "2";
    EXPECT_EQ(RunPageExport(nullptr, backwards, fake.graph(2, 3), {}), kMsgEmptyPageRange);
    EXPECT_EQ(messages.count(), 1);

    // A PDF that cannot be opened is a failure, not silence.
    printer.setOutputFileName(dir.filePath("no/such/dir/all.pdf"));
    EXPECT_EQ(
        RunPageExport(nullptr,
                      Request(ExportType::BitMap, ExportDestination::Printer, PageScope::ThisPage),
                      fake.graph(2, 3), {}),
        kMsgPrintFailed);
    EXPECT_EQ(messages.requests().back().caption, "Error[E9045]");
    printer.setOutputFormat(QPrinter::NativeFormat);
    printer.setOutputFileName({});
}

} // namespace
} // namespace ostrel
