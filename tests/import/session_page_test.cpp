#include "import/session_page.h"
#include "link/reading.h"

#include <gtest/gtest.h>

namespace ostrel {
namespace {

SessionPair Reading(float value, std::size_t i, const float* sub = nullptr) {
    SessionPair p;
    p.main.value = value;
    p.main.function = nFunc_DcV;
    StoreField(p.main.timeText, "t" + std::to_string(i));
    StoreField(p.main.dataText, std::to_string(value));
    if (sub) {
        p.hasSub = 1;
        p.sub.emplace();
        p.sub->value = *sub;
        StoreField(p.sub->timeText, "t" + std::to_string(i));
    }
    return p;
}

SessionList Session(std::size_t n, float (*value)(std::size_t), bool dual = false) {
    SessionList list;
    list.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        const float sub = -value(i);
        list.push_back(Reading(value(i), i, dual ? &sub : nullptr));
    }
    return list;
}

float Ramp(std::size_t i) {
    return static_cast<float>(i % 1000);
}

TEST(SessionPage, LongSessionsAreDecimatedToTwoPointsPerBlock) {
    for (auto [n, points, oneToOne] :
         {std::tuple{8191u, 8191u, true}, std::tuple{8192u, 8192u, false},
          std::tuple{8193u, 8192u, false}}) {
        const SessionList list = Session(n, Ramp);
        const SessionPagePlot plot = PlotSessionPage(list, false, {});
        EXPECT_EQ(plot.points(), points) << n;
        EXPECT_EQ(plot.oneToOne, oneToOne) << n;
        EXPECT_EQ(plot.readingAt(static_cast<std::int64_t>(points)), -1);
    }
    // Never more than 12,288 points, whatever the length.
    for (std::size_t n : {12286u, 12287u, 12288u, 16383u, 16384u, 20479u, 65537u}) {
        EXPECT_LE(PlotSessionPage(Session(n, Ramp), false, {}).points(), 12288u) << n;
    }
}

TEST(SessionPage, EachBlockGivesItsFirstSmallestAndFirstLargestInOrder) {
    // Blocks of 2 (n = 8192): the pair (5, 5) lists its first reading twice;
    // (9, 1) lists the smaller, later one first... in position order.
    const SessionList list = Session(
        8192, [](std::size_t i) { return i == 2 ? 9.0f : (i >= 3 && i <= 5 ? 1.0f : 5.0f); });
    const SessionPagePlot plot = PlotSessionPage(list, false, {});
    ASSERT_EQ(plot.points(), 8192u);
    EXPECT_EQ(plot.readingAt(0), 0);
    EXPECT_EQ(plot.readingAt(1), 0);
    EXPECT_EQ(plot.readingAt(2), 2);
    EXPECT_EQ(plot.readingAt(3), 3);
    EXPECT_EQ(plot.readingAt(4), 4); // (1, 1): the first occurrence for both
    EXPECT_EQ(plot.readingAt(5), 4);
    EXPECT_DOUBLE_EQ(plot.values[2], 9.0);
    EXPECT_DOUBLE_EQ(plot.values[3], 1.0);
}

TEST(SessionPage, ExtremesOfAConstantSessionAreTheLastAndTheFirst) {
    for (std::size_t n : {1u, 7u, 9000u}) {
        const SessionPagePlot plot =
            PlotSessionPage(Session(n, [](std::size_t) { return 3.0f; }), false, {});
        // A later equal value takes the maximum; the minimum never moves.
        const std::int64_t last = plot.readingAt(static_cast<std::int64_t>(plot.points()) - 1);
        EXPECT_EQ(plot.mainExtremes.maxIndex, last) << n;
        EXPECT_EQ(plot.mainExtremes.minIndex, 0) << n;
    }
}

TEST(SessionPage, ChoiceFollowsTheSubRecords) {
    // A single-display session forces Main-Data.
    const SessionPagePlot single = PlotSessionPage(Session(10, Ramp), true, {});
    EXPECT_TRUE(single.mainEnabled);
    EXPECT_FALSE(single.subEnabled);
    EXPECT_FALSE(single.subChosen);
    EXPECT_FALSE(single.subExtremesShown);
    EXPECT_DOUBLE_EQ(single.values[3], 3.0);

    // A dual session plots the chosen display and keeps both extremes.
    const SessionList dual = Session(10, Ramp, true);
    const SessionPagePlot sub = PlotSessionPage(dual, true, {});
    EXPECT_TRUE(sub.subEnabled);
    EXPECT_TRUE(sub.subChosen);
    EXPECT_DOUBLE_EQ(sub.values[3], -3.0);
    EXPECT_EQ(sub.mainExtremes.maxIndex, 9);
    EXPECT_EQ(sub.subExtremes.minIndex, 9);
    EXPECT_EQ(sub.subExtremes.maxIndex, 0);

    // An empty session: nothing to choose, the range as it was.
    const SessionPagePlot none = PlotSessionPage({}, true, YRange{5, -5});
    EXPECT_EQ(none.points(), 0u);
    EXPECT_FALSE(none.mainEnabled);
    EXPECT_FLOAT_EQ(none.range.max, 5);
}

TEST(SessionPage, FirstPointSetsTheRangeAgain) {
    // Whatever the range before, a first value 0 gives -1 … 1.
    const SessionPagePlot zero =
        PlotSessionPage(Session(3, [](std::size_t) { return 0.0f; }), false, YRange{500, -500});
    EXPECT_FLOAT_EQ(zero.range.max, 1);
    EXPECT_FLOAT_EQ(zero.range.min, -1);
    // Later points only widen it, by 1.33 times the value that passed 1/1.33 of it.
    const SessionPagePlot grow = PlotSessionPage(
        Session(3, [](std::size_t i) { return i == 0 ? 10.0f : (i == 1 ? 12.0f : -2.0f); }), false,
        {});
    EXPECT_FLOAT_EQ(grow.range.max, 12 * 1.33f);
    EXPECT_FLOAT_EQ(grow.range.min, -10 * 1.33f);
}

TEST(SessionPage, CellTexts) {
    SessionList list;
    TRecord ohm;
    StoreField(ohm.timeText, "0:00'1.000\"");
    StoreField(ohm.dataText, "4.700");
    StoreField(ohm.unitText, "k");
    StoreField(ohm.functionText, "W");
    ohm.function = nFunc_Ohm;
    SessionPair p;
    p.main = ohm;
    list.push_back(std::move(p));
    SessionPair d;
    d.main = ohm;
    d.main.function = nFunc_DcV;
    StoreField(d.main.functionText, "V [DC]");
    d.hasSub = 1;
    d.sub = ohm;
    StoreField(d.sub->unitText, "");
    StoreField(d.sub->functionText, "Hz");
    d.sub->function = nFunc_Hz;
    list.push_back(std::move(d));

    EXPECT_EQ(SessionRowCount(list), 3u);
    EXPECT_EQ(SessionCellText(list, 0, kColumnNo), "1");
    EXPECT_EQ(SessionCellText(list, 0, kColumnTime), "0:00'1.000\"");
    EXPECT_EQ(SessionCellText(list, 0, kColumnMain), "4.700k Ohm");
    EXPECT_EQ(SessionCellText(list, 0, kColumnSub), "");
    EXPECT_EQ(SessionCellText(list, 1, kColumnMain), "4.700kV [DC]");
    EXPECT_EQ(SessionCellText(list, 1, kColumnSub), "4.700Hz");
    for (int c = 0; c < kSessionColumns; ++c)
        EXPECT_EQ(SessionCellText(list, 2, c), "") << c; // the empty last row
}

} // namespace
} // namespace ostrel
