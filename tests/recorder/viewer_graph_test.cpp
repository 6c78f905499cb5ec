#include "recorder/viewer_graph.h"

#include "record_test_util.h"

#include <gtest/gtest.h>

namespace ostrel {
namespace {

SampleBuffer Buffer(int n) {
    SampleBuffer buffer;
    for (int i = 0; i < n; ++i)
        buffer.push_back(test::MakePair(i, false));
    return buffer;
}

TEST(ViewerGraphTest, SmallBuffersPointByPoint) {
    const SampleBuffer buffer = Buffer(5000);
    const ViewerGraph g = BuildViewerGraph(buffer, {4999, 0});
    EXPECT_TRUE(g.oneToOne);
    ASSERT_EQ(g.points(), 5000);
    EXPECT_TRUE(g.positions.empty());
    EXPECT_EQ(g.maxPoint, 4999);
    EXPECT_EQ(g.minPoint, 0);
    EXPECT_EQ(g.y[1234], buffer[1234].main.value);
    EXPECT_EQ(g.labels[1234], FieldView(buffer[1234].main.timeText));
}

TEST(ViewerGraphTest, LargeBuffersTwoPointsPerBlock) {
    SampleBuffer buffer = Buffer(8193);
    // A flat first block: its first position listed twice.
    buffer[0].main.value = 3.0f;
    buffer[1].main.value = 3.0f;
    const ViewerGraph g = BuildViewerGraph(buffer, {8191, 1});
    EXPECT_FALSE(g.oneToOne);
    ASSERT_EQ(g.points(), 8192);
    ASSERT_EQ(g.positions.size(), 8192u);
    EXPECT_EQ(g.positions[0], 0);
    EXPECT_EQ(g.positions[1], 0);
    // Values and labels follow the listed positions.
    EXPECT_EQ(g.y[5], buffer[static_cast<std::size_t>(g.positions[5])].main.value);
    EXPECT_EQ(g.labels.back(), FieldView(buffer[8191].main.timeText));
    EXPECT_EQ(g.positions[static_cast<std::size_t>(g.maxPoint)], 8191);
    // The smallest sample hidden behind the equal first one takes its point.
    EXPECT_EQ(g.positions[static_cast<std::size_t>(g.minPoint)], 0);
}

TEST(ViewerGraphTest, OutsideTheBufferGivesNothing) {
    const SampleBuffer buffer = Buffer(300);
    // Extremes that do not fit the buffer are not used as positions.
    const ViewerGraph g = BuildViewerGraph(buffer, {5000, -3});
    EXPECT_EQ(g.maxPoint, 0);
    EXPECT_EQ(g.minPoint, 0);
    EXPECT_EQ(BuildViewerGraph({}, {}).points(), 0);

    EXPECT_EQ(FirstSamplesGraph(buffer, 100).points(), 100);
    EXPECT_EQ(FirstSamplesGraph(buffer, 1000).points(), 300);
}

} // namespace
} // namespace ostrel
