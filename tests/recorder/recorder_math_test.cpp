#include "recorder/recorder_math.h"

#include "record_test_util.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace ostrel {
namespace {

TEST(AutoScaleTest, FirstSampleSetsTheRangeAndLaterOnesOnlyWiden) {
    YRange r;
    ScaleY(r, 0.0f, true);
    EXPECT_EQ(r.max, 1.0f);
    EXPECT_EQ(r.min, -1.0f);

    ScaleY(r, 10.0f, true);
    EXPECT_EQ(r.max, static_cast<float>(10.0 * 1.33));
    EXPECT_EQ(r.min, static_cast<float>(-10.0 * 1.33));
    // Inside k × limits: nothing changes.
    ScaleY(r, 9.0f, false);
    ScaleY(r, -9.0f, false);
    EXPECT_EQ(r.max, static_cast<float>(13.3));
    // Not below k × y max: the top is recomputed from this value.
    ScaleY(r, 20.0f, false);
    EXPECT_EQ(r.max, static_cast<float>(20.0 * 1.33));
    EXPECT_EQ(r.min, static_cast<float>(-13.3)); // the bottom stays
    ScaleY(r, -50.0f, false);
    EXPECT_EQ(r.min, static_cast<float>(-50.0 * 1.33));
    // A value that is not finite (damaged file) leaves the range alone.
    const YRange before = r;
    ScaleY(r, std::nanf(""), false);
    ScaleY(r, INFINITY, false);
    EXPECT_EQ(r.max, before.max);
    EXPECT_EQ(r.min, before.min);
}

TEST(ExtremesTest, TiesGoToTheNewerSampleAndMinimumOnlyWhenMaximumStays) {
    std::vector<float> values;
    Extremes e;
    const auto add = [&](float v) {
        const int pos = static_cast<int>(values.size());
        TrackExtremes(e, pos, v, pos ? values[e.maxIndex] : 0.0f, pos ? values[e.minIndex] : 0.0f);
        values.push_back(v);
    };
    add(5.0f);
    EXPECT_EQ(e.maxIndex, 0);
    EXPECT_EQ(e.minIndex, 0);
    add(5.0f); // both ties: the maximum moves, the minimum is not tested
    EXPECT_EQ(e.maxIndex, 1);
    EXPECT_EQ(e.minIndex, 0);
    add(3.0f);
    EXPECT_EQ(e.minIndex, 2);
    add(3.0f);
    EXPECT_EQ(e.minIndex, 3);
    add(7.0f);
    EXPECT_EQ(e.maxIndex, 4);
}

TEST(ExtremesTest, ScanOfALoadedBufferMatchesSampleBySample) {
    SampleBuffer buffer;
    for (float v : {5.0f, 5.0f, -2.0f, 8.0f, -2.0f, 3.0f}) {
        RecordPair p;
        p.main.value = v;
        buffer.push_back(p);
    }
    YRange range;
    Extremes e;
    ScanBuffer(buffer, range, e);
    EXPECT_EQ(e.maxIndex, 3);
    EXPECT_EQ(e.minIndex, 4);
    EXPECT_EQ(range.max, static_cast<float>(8.0 * 1.33));
    EXPECT_EQ(range.min, static_cast<float>(-5.0 * 1.33)); // -2 never reached k × y min
    ScanBuffer({}, range, e);
    EXPECT_EQ(range.max, 100.0f);
    EXPECT_EQ(e.maxIndex, 0);
}

TEST(PageTest, PagesCountBackFromTheNewestSample) {
    EXPECT_EQ(LastPageFor(0, 200), 1);
    EXPECT_EQ(LastPageFor(200, 200), 1);
    EXPECT_EQ(LastPageFor(201, 200), 2);

    // N = 250: page 2 holds positions 50 … 249, page 1 has 150 blank points.
    PageLayout last = LayoutPage(250, 200, 2, 2);
    EXPECT_EQ(last.blankPoints, 0);
    EXPECT_EQ(last.firstPosition, 50);
    EXPECT_EQ(last.filledPoints, 200);
    PageLayout first = LayoutPage(250, 200, 2, 1);
    EXPECT_EQ(first.blankPoints, 150);
    EXPECT_EQ(first.firstPosition, 0);
    EXPECT_EQ(first.filledPoints, 50);
    EXPECT_EQ(PointPosition(10, 250, 200, 2, 1), -1);
    EXPECT_EQ(PointPosition(150, 250, 200, 2, 1), 0);
    EXPECT_EQ(PointPosition(199, 250, 200, 2, 1), 49);
    EXPECT_EQ(PointPosition(0, 250, 200, 2, 2), 50);

    SampleBuffer buffer;
    for (int i = 0; i < 250; ++i)
        buffer.push_back(test::MakePair(i));
    const auto points = FillPage(buffer, 200, 2, 1);
    ASSERT_EQ(points.size(), 200u);
    EXPECT_EQ(points[149].y, kBlankValue);
    EXPECT_EQ(points[149].label, " ");
    EXPECT_EQ(points[150].y, 0.0);
    EXPECT_EQ(points[199].y, 49 * 0.5);
    EXPECT_EQ(points[199].label, FieldView(buffer[49].main.timeText));
    EXPECT_EQ(FillPage(buffer, 200, 2, 2)[0].y, 25.0);

    // An empty buffer, and a page number past the newest sample, give blank points.
    for (const auto& p : FillPage({}, 200, 1, 1))
        EXPECT_EQ(p.y, kBlankValue);
    EXPECT_EQ(LayoutPage(250, 200, 2, 3).filledPoints, 0);
    EXPECT_EQ(PointPosition(0, 250, 200, 2, 3), -1);
}

std::vector<float> Ramp(int n) {
    std::vector<float> v(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        v[static_cast<std::size_t>(i)] = static_cast<float>(i % 97);
    return v;
}

TEST(DecimationTest, SmallBuffersAreDrawnOneToOne) {
    const Decimation d = Decimate(Ramp(5000), 96, 0);
    EXPECT_TRUE(d.oneToOne);
    EXPECT_TRUE(d.positions.empty());
    EXPECT_EQ(d.maxPoint, 96);
    EXPECT_TRUE(Decimate(Ramp(8191), 0, 0).oneToOne);
}

TEST(DecimationTest, OddLastSampleIsDroppedAndBlocksGiveTwoPoints) {
    const auto values = Ramp(8193);
    const Decimation d = Decimate(values, 96, 97);
    EXPECT_FALSE(d.oneToOne);
    ASSERT_EQ(d.positions.size(), 8192u);
    EXPECT_EQ(d.positions.back(), 8191); // sample 8192 left out
    EXPECT_TRUE(std::is_sorted(d.positions.begin(), d.positions.end()));
    EXPECT_EQ(d.positions[d.maxPoint], 96);
    EXPECT_EQ(d.positions[d.minPoint], 97);

    // 12,287 samples: step 2, one left over, at most 12,288 points anyway.
    EXPECT_EQ(Decimate(Ramp(12287), 0, 0).positions.size(), 12286u);
    // A step of 3 with two left over keeps the short last block.
    EXPECT_EQ(Decimate(Ramp(12290), 0, 0).positions.size(), 2 * 4097u);
}

TEST(DecimationTest, BlockOrderAndTies) {
    // step 2: blocks {9, 1}, {4, 4}, {2, 8}, …
    std::vector<float> v(8192, 0.0f);
    v[0] = 9.0f;
    v[1] = 1.0f;
    v[2] = 4.0f;
    v[3] = 4.0f;
    v[4] = 2.0f;
    v[5] = 8.0f;
    const Decimation d = Decimate(v, 0, 1);
    ASSERT_GE(d.positions.size(), 6u);
    EXPECT_EQ(d.positions[0], 0); // largest first when it comes first
    EXPECT_EQ(d.positions[1], 1);
    EXPECT_EQ(d.positions[2], 2); // equal values: the first position twice
    EXPECT_EQ(d.positions[3], 2);
    EXPECT_EQ(d.positions[4], 4);
    EXPECT_EQ(d.positions[5], 5);
    EXPECT_EQ(d.maxPoint, 0);
    EXPECT_EQ(d.minPoint, 1);

    // The recorder's maximum hidden behind an equal earlier value: the nearest point.
    const Decimation hidden = Decimate(v, 3, 1);
    EXPECT_EQ(hidden.positions[hidden.maxPoint], 2);
    // Even when a point of another value lies as near: in the block {7, 0, 7}
    // the maximum on the second 7 goes to the first 7, not to the 0.
    std::vector<float> w(3 * 4096, 1.0f);
    w[0] = 7.0f;
    w[1] = 0.0f;
    w[2] = 7.0f;
    const Decimation equal = Decimate(w, 2, 1);
    EXPECT_EQ(equal.positions[equal.maxPoint], 0);
    EXPECT_EQ(equal.positions[equal.minPoint], 1);
    // The dropped last sample: the nearest (last) point.
    const std::vector<float> odd = Ramp(8193);
    const Decimation dropped = Decimate(odd, 8192, 0);
    EXPECT_EQ(dropped.maxPoint, static_cast<std::int64_t>(dropped.positions.size()) - 1);

    // Same position listed twice: the point is the later of the two.
    const Decimation twice = Decimate(v, 2, 1);
    EXPECT_EQ(twice.maxPoint, 3);
}

TEST(DecimationTest, BlockExtremesAreTheFirstSmallestAndLargest) {
    // Random blocks of few distinct values (ties), with zeros of both signs
    // and NaN, against the positions found one by one.
    std::mt19937 random(7);
    const float some[] = {1.0f, -1.0f, 0.0f, -0.0f, 2.5f, std::nanf(""), 1e30f, -1e30f};
    for (int round = 0; round < 2000; ++round) {
        std::vector<float> block(1 + random() % 40);
        for (float& v : block)
            v = some[random() % (round % 2 ? 8 : 7)];
        std::size_t smallest = 0, largest = 0;
        for (std::size_t i = 0; i < block.size(); ++i) {
            if (block[i] > block[largest])
                largest = i;
            if (block[i] < block[smallest])
                smallest = i;
        }
        const BlockExtremesResult r = BlockExtremes(block);
        ASSERT_EQ(r.smallest, static_cast<std::int64_t>(smallest)) << round;
        ASSERT_EQ(r.largest, static_cast<std::int64_t>(largest)) << round;
    }
}

} // namespace
} // namespace ostrel
