// The import window's state without its window: sessions taken from a
// download or a file, the page commands and the display choice, the enable
// rules with and without the busy flag, and what closing asks.
#include "import/import_engine.h"

#include "import/logger_image_builder.h"
#include "import/session_decoder.h"

#include <gtest/gtest.h>

namespace ostrel {
namespace {

LoggerValue Value(std::size_t raw, std::uint8_t range) {
    LoggerValue v;
    v.range = range;
    v.raw = static_cast<std::uint16_t>(raw);
    return v;
}

// Sessions of single DC volt readings (n readings, counts 100, 200, …) or
// dual AC volt and hertz readings.
LoggerSessionData Single(std::size_t n) {
    LoggerSessionData s{2, 0, 0x03, {}};
    for (std::size_t i = 0; i < n; ++i)
        s.values.push_back(Value(100 * (i + 1), 1));
    return s;
}

LoggerSessionData Dual(std::size_t n) {
    LoggerSessionData s{1, 0, 0x83, {}};
    for (std::size_t i = 0; i < n; ++i) {
        s.values.push_back(Value(2300 + i, 2));
        s.values.push_back(Value(5000 - i, 1));
    }
    return s;
}

SessionTable Table(const std::vector<LoggerSessionData>& sessions) {
    std::string error;
    const auto image = BuildLoggerImage(sessions, &error);
    EXPECT_TRUE(image) << error;
    return DecodeLoggerImage(image->data(), image->size()).table;
}

void ExpectEnables(const ImportEngine& engine, ImportEnables want) {
    const ImportEnables e = engine.enables();
    EXPECT_EQ(e.open, want.open);
    EXPECT_EQ(e.hasData, want.hasData);
    EXPECT_EQ(e.firstPage, want.firstPage);
    EXPECT_EQ(e.lastPage, want.lastPage);
    EXPECT_EQ(e.mainChoice, want.mainChoice);
    EXPECT_EQ(e.subChoice, want.subChoice);
}

TEST(ImportEngine, ADownloadLookedAtPageByPageThenSavedAndCleared) {
    bool busy = false;
    ImportEngine engine(busy);
    EXPECT_TRUE(engine.empty());
    EXPECT_EQ(engine.points(), 200);
    EXPECT_FLOAT_EQ(engine.yRange().max, 100.0f);
    EXPECT_TRUE(engine.closesWithoutAsking());
    EXPECT_FALSE(engine.showCurrentPage()); // no page: nothing changes
    ExpectEnables(engine, {true, false, false, false, false, false});

    engine.adopt(Table({Single(3), Dual(5), Single(1)}), false);
    EXPECT_EQ(engine.sessionCount(), 3);
    EXPECT_EQ(engine.currentPage(), 2); // the last session
    EXPECT_FALSE(engine.closesWithoutAsking());
    ExpectEnables(engine, {true, true, false, false, false, false}); // no page shown yet

    ASSERT_TRUE(engine.showCurrentPage());
    EXPECT_EQ(engine.points(), 1);
    ExpectEnables(engine, {true, true, true, false, true, false});
    EXPECT_FALSE(engine.pageDown()); // the last page: nothing moves
    EXPECT_EQ(engine.currentPage(), 2);

    // The dual page, its sub values, the readout of its cells.
    ASSERT_TRUE(engine.pageUp());
    engine.chooseDisplay(true);
    ASSERT_TRUE(engine.showCurrentPage());
    ExpectEnables(engine, {true, true, true, true, true, true});
    EXPECT_TRUE(engine.subChosen());
    EXPECT_DOUBLE_EQ(engine.plot().values[0], 50.00);
    EXPECT_EQ(engine.readingAt(4), 4);
    EXPECT_EQ(engine.readingAt(5), -1);
    EXPECT_TRUE(engine.hasSub(4));
    EXPECT_EQ(engine.cellText(0, kColumnNo), "1");
    EXPECT_FALSE(engine.cellText(0, kColumnSub).empty());

    // A single page cannot show sub values: Main-Data is chosen again.
    engine.firstPage();
    ASSERT_TRUE(engine.showCurrentPage());
    EXPECT_FALSE(engine.subChosen());
    EXPECT_FALSE(engine.hasSub(0));
    EXPECT_TRUE(engine.cellText(0, kColumnSub).empty());
    EXPECT_FALSE(engine.pageUp());
    EXPECT_TRUE(engine.choosePage(2));
    EXPECT_FALSE(engine.choosePage(2)); // already there
    EXPECT_FALSE(engine.choosePage(3)); // no such page

    // Busy: the data commands, the tabs and closing wait.
    busy = true;
    ExpectEnables(engine, {false, false, true, false, true, false});
    EXPECT_FALSE(engine.choosePage(0));
    EXPECT_FALSE(engine.closesWithoutAsking());
    busy = false;

    engine.markSaved();
    EXPECT_TRUE(engine.closesWithoutAsking());
    engine.clear();
    EXPECT_TRUE(engine.empty());
    EXPECT_FALSE(engine.saved());
    EXPECT_EQ(engine.sessionCount(), 0);
    EXPECT_EQ(engine.sessions().sessionCount(), 0u);
    EXPECT_EQ(engine.cellText(0, kColumnNo), "");
    ExpectEnables(engine, {true, false, false, false, false, false});
}

TEST(ImportEngine, AnOpenedFileCountsAsSavedAndAnEmptyOneAsData) {
    bool busy = false;
    ImportEngine engine(busy);
    engine.adopt(SessionTable{}, true);
    EXPECT_FALSE(engine.empty());
    EXPECT_TRUE(engine.saved());
    EXPECT_EQ(engine.currentPage(), 0);
    EXPECT_FALSE(engine.showCurrentPage()); // no session: the graph stays cleared
    ExpectEnables(engine, {true, true, false, false, false, false});
}

} // namespace
} // namespace ostrel
