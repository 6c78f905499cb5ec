#include "graph/export_request.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace ostrel {
namespace {

TEST(ExportSizeTest, UnitsBothWays) {
    EXPECT_DOUBLE_EQ(ShownSize(kMetafileWidth, SizeUnit::Millimeters), 100.0);
    EXPECT_DOUBLE_EQ(ShownSize(kMetafileHeight, SizeUnit::Millimeters), 68.1);
    EXPECT_NEAR(ShownSize(kMetafileWidth, SizeUnit::Inches), 3.937, 0.001);
    EXPECT_NEAR(ShownSize(kMetafileHeight, SizeUnit::Inches), 2.681, 0.001);
    // Points are real points, 1/72 inch: 100 mm is 283.46 pt.
    EXPECT_NEAR(ShownSize(kMetafileWidth, SizeUnit::Points), 283.46, 0.01);
    EXPECT_DOUBLE_EQ(ShownSize(681.0, SizeUnit::Pixels), 681.0);

    EXPECT_DOUBLE_EQ(StoredSize(50.0, ExportType::MetaFile, SizeUnit::Millimeters), 5000.0);
    EXPECT_DOUBLE_EQ(StoredSize(2.0, ExportType::MetaFile, SizeUnit::Inches), 5080.0);
    EXPECT_DOUBLE_EQ(StoredSize(72.0, ExportType::MetaFile, SizeUnit::Points), 2540.0);
    // A bitmap stores what was typed, whatever unit is selected.
    EXPECT_DOUBLE_EQ(StoredSize(50.0, ExportType::BitMap, SizeUnit::Millimeters), 50.0);
}

TEST(ExportSizeTest, ShownTextsKeepWhatTheUnitCanTellApart) {
    for (int stored = 1; stored <= 100000; stored += 7)
        for (SizeUnit unit : {SizeUnit::Millimeters, SizeUnit::Inches, SizeUnit::Points}) {
            const std::string text = ShownSizeText(stored, unit);
            // Few decimals, and typed back it gives the size within the
            // text's last digit.
            const auto point = text.find('.');
            const std::size_t decimals = point == std::string::npos ? 0 : text.size() - point - 1;
            EXPECT_LE(decimals, unit == SizeUnit::Inches ? 3u : 2u) << text;
            const double step = unit == SizeUnit::Inches ? 0.001 : 0.01;
            EXPECT_NEAR(std::stod(text), ShownSize(stored, unit), step / 2 + 1e-9) << text;
        }
    EXPECT_EQ(ShownSizeText(kMetafileWidth, SizeUnit::Inches), "3.937");
    EXPECT_EQ(ShownSizeText(kMetafileHeight, SizeUnit::Millimeters), "68.1");
    EXPECT_EQ(ShownSizeText(640.5, SizeUnit::Pixels), "640.5");
}

TEST(ExportSizeTest, SidesAreTruncatedAndLimited) {
    EXPECT_EQ(ObjectSide(999.9), 999);
    EXPECT_EQ(ObjectSide(-0.5), 0);
    EXPECT_EQ(ObjectSide(std::nan("")), 0);
    EXPECT_EQ(ObjectSide(1e300), 0);
    EXPECT_EQ(ObjectSide(-1e300), 0);

    EXPECT_TRUE(ObjectSizeAcceptable(ExportType::BitMap, kBitmapWidth, kBitmapHeight));
    EXPECT_TRUE(ObjectSizeAcceptable(ExportType::BitMap, 1.0, 8192.9));
    EXPECT_FALSE(ObjectSizeAcceptable(ExportType::BitMap, 0.9, 100.0));
    EXPECT_FALSE(ObjectSizeAcceptable(ExportType::BitMap, 100.0, 8193.0));
    EXPECT_TRUE(ObjectSizeAcceptable(ExportType::MetaFile, 100000.0, 1.0));
    EXPECT_FALSE(ObjectSizeAcceptable(ExportType::MetaFile, 100001.0, 6810.0));
    EXPECT_FALSE(ObjectSizeAcceptable(ExportType::MetaFile, std::numeric_limits<double>::infinity(),
                                      6810.0));
}

TEST(ExportPathTest, LongPathsKeepHeadAndTail) {
    const std::string thirty = "/home/user/exports/abcdefg.csv";
    ASSERT_EQ(thirty.size(), 30u);
    EXPECT_EQ(ShortenPath(thirty), thirty);
    EXPECT_EQ(ShortenPath(""), "");

    const std::string forty = "/home/user/exports/2024/march/run-07.csv";
    ASSERT_EQ(forty.size(), 40u);
    const std::string shown = ShortenPath(forty);
    EXPECT_EQ(shown.size(), 30u);
    EXPECT_EQ(shown, "/ho...ts/2024/march/run-07.csv");

    // Characters, not bytes: a multi-byte letter is neither cut nor counted twice.
    const std::string umlauts = "/home/\xc3\xa4\xc3\xa4\xc3\xa4/messungen/2024/juli/lauf-07.csv";
    const std::string cut = ShortenPath(umlauts);
    EXPECT_EQ(cut, "/ho...en/2024/juli/lauf-07.csv");
    const std::string early = "\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4/exports/2024/march/run-07.csv";
    EXPECT_EQ(ShortenPath(early), "\xc3\xa4\xc3\xa4\xc3\xa4...ts/2024/march/run-07.csv");
}

ExportRequest Request(ExportType type, ExportDestination destination, PageScope scope,
                      std::string from = "1", std::string to = "1") {
    ExportRequest r;
    r.type = type;
    r.destination = destination;
    r.scope = scope;
    r.pageFrom = std::move(from);
    r.pageTo = std::move(to);
    r.fileName = "/tmp/out";
    r.width = kBitmapWidth;
    r.height = kBitmapHeight;
    return r;
}

TEST(ExportPagesTest, ScopesAreResolvedWithinTheBuffer) {
    PageSpan pages;
    EXPECT_EQ(ResolvePages(Request(ExportType::Text, ExportDestination::File, PageScope::AllPages),
                           2, 3, &pages),
              0);
    EXPECT_EQ(pages.first, 1);
    EXPECT_EQ(pages.last, 3);

    EXPECT_EQ(ResolvePages(Request(ExportType::Text, ExportDestination::File, PageScope::ThisPage),
                           2, 3, &pages),
              0);
    EXPECT_EQ(pages.count(), 1);
    EXPECT_EQ(pages.first, 2);

    // Numbers outside 1 … L are limited to it.
    EXPECT_EQ(ResolvePages(Request(ExportType::Text, ExportDestination::File, PageScope::Pages,
                                   "-4", " 99 "),
                           1, 3, &pages),
              0);
    EXPECT_EQ(pages.first, 1);
    EXPECT_EQ(pages.last, 3);

    // From after To is an empty range.
    EXPECT_EQ(
        ResolvePages(Request(ExportType::Text, ExportDestination::File, PageScope::Pages, "3", "2"),
                     1, 3, &pages),
        0);
    EXPECT_TRUE(pages.empty());
    EXPECT_EQ(pages.count(), 0);

    // Texts that are no whole numbers are refused, and the span stays.
    pages = {2, 2};
    for (const char* bad : {"", "abc", "1.5", "2x", "99999999999"})
        EXPECT_EQ(ResolvePages(Request(ExportType::Text, ExportDestination::File, PageScope::Pages,
                                       "1", bad),
                               1, 3, &pages),
                  kMsgPageNotNumber)
            << bad;
    EXPECT_EQ(pages.first, 2);
}

TEST(ExportPlanTest, WhatEachChoiceProduces) {
    // File without a name: refused before anything else.
    ExportRequest noName = Request(ExportType::Text, ExportDestination::File, PageScope::AllPages);
    noName.fileName.clear();
    EXPECT_EQ(PlanPageExport(noName, 1, 3).message, kMsgBrowseForName);
    EXPECT_EQ(PlanPageExport(noName, 1, 3).action, ExportAction::None);

    ExportPlan text = PlanPageExport(
        Request(ExportType::Text, ExportDestination::File, PageScope::Pages, "2", "9"), 1, 3);
    EXPECT_EQ(text.action, ExportAction::WriteText);
    EXPECT_EQ(text.pages.first, 2);
    EXPECT_EQ(text.pages.last, 3);
    // An empty text range still writes the header line.
    EXPECT_EQ(
        PlanPageExport(
            Request(ExportType::Text, ExportDestination::File, PageScope::Pages, "3", "1"), 1, 3)
            .action,
        ExportAction::WriteText);

    // Images to the clipboard or a file are of the viewed page, whatever the scope.
    ExportPlan clip = PlanPageExport(
        Request(ExportType::BitMap, ExportDestination::ClipBoard, PageScope::AllPages), 2, 3);
    EXPECT_EQ(clip.action, ExportAction::ImageToClipboard);
    EXPECT_EQ(clip.pages.first, 2);
    EXPECT_EQ(clip.pages.last, 2);
    ExportPlan file = PlanPageExport(
        Request(ExportType::MetaFile, ExportDestination::File, PageScope::ThisPage), 3, 3);
    EXPECT_EQ(file.action, ExportAction::ImageToFile);
    EXPECT_EQ(file.pages.first, 3);

    // A picture too large to make is refused; the printer takes no size.
    ExportRequest huge = Request(ExportType::BitMap, ExportDestination::File, PageScope::ThisPage);
    huge.width = 1e9;
    EXPECT_EQ(PlanPageExport(huge, 1, 3).message, kMsgBitmapSize);
    huge.type = ExportType::MetaFile;
    EXPECT_EQ(PlanPageExport(huge, 1, 3).message, kMsgMetafileSize);
    huge.destination = ExportDestination::Printer;
    EXPECT_EQ(PlanPageExport(huge, 1, 3).action, ExportAction::PrintPages);

    ExportPlan print = PlanPageExport(
        Request(ExportType::MetaFile, ExportDestination::Printer, PageScope::AllPages), 2, 3);
    EXPECT_EQ(print.action, ExportAction::PrintPages);
    EXPECT_EQ(print.pages.count(), 3);
    EXPECT_EQ(PlanPageExport(Request(ExportType::BitMap, ExportDestination::Printer,
                                     PageScope::Pages, "3", "1"),
                             1, 3)
                  .message,
              kMsgEmptyPageRange);
    EXPECT_EQ(PlanPageExport(Request(ExportType::BitMap, ExportDestination::Printer,
                                     PageScope::Pages, "one", "3"),
                             1, 3)
                  .message,
              kMsgPageNotNumber);
}

} // namespace
} // namespace ostrel
