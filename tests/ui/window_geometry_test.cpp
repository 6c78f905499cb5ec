// The main strip's height and the tile layout, from given screen metrics.
#include "app/ui/window_geometry.h"

#include <gtest/gtest.h>

namespace ostrel {
namespace {

FrameMetrics ClassicMetrics() {
    FrameMetrics m;
    m.border = 1;
    m.dialogFrame = 3;
    m.sizingFrame = 4;
    m.caption = 19;
    m.menu = 19;
    return m;
}

TEST(WindowGeometry, MainStripHeightAtStartAndAfterTile) {
    const FrameMetrics m = ClassicMetrics();
    // 33 for the 22-pixel buttons plus frame, caption and menu.
    EXPECT_EQ(MainWindowStartHeight(m, 0, 22), 33 + 2 + 6 + 19 + 19);
    EXPECT_EQ(MainWindowStartHeight(m, 0, 23), 34 + 2 + 6 + 19 + 19); // 69 / 2 truncates
    TileInput in;
    in.screenWidth = 1024;
    in.screenHeight = 768;
    in.metrics = m;
    // After a tile the strip is two border heights lower.
    EXPECT_EQ(ComputeTile(in).main.height, MainWindowStartHeight(m, 0, 22) - 2 * m.border);
    EXPECT_EQ(ComputeTile(in).main, (WindowRect{0, 0, 1024, 77}));
}

TEST(WindowGeometry, TaskbarHeight) {
    EXPECT_EQ(TaskbarHeight(0, 768, 0, 728), 40);
    EXPECT_EQ(TaskbarHeight(0, 768, 0, 768), 0);
    EXPECT_EQ(TaskbarHeight(0, 768, 30, 738), 0); // a bar at the top does not count
}

TEST(WindowGeometry, TileWithEveryWindowVisible) {
    TileInput in;
    in.screenWidth = 1024;
    in.screenHeight = 768;
    in.taskbarHeight = 30;
    in.metrics = ClassicMetrics();
    in.recorderVisible = in.analogVisible = in.dataListVisible = in.comparatorVisible = true;
    in.analogFaceHeight = 178;
    in.comparatorFaceWidth = 201;
    in.comparatorFaceHeight = 122;
    in.comparatorButtonsHeight = 25 + 39; // alarm switch above the limit button
    const TileLayout t = ComputeTile(in);
    const int mainH = 77;
    EXPECT_EQ(t.digitalMeter, (WindowRect{0, mainH, 256, (768 - mainH) / 4}));
    EXPECT_EQ(t.digitalMeter.height, 172);
    ASSERT_TRUE(t.recorder);
    EXPECT_EQ(*t.recorder, (WindowRect{256, mainH, 768, 768 - mainH - 30}));
    ASSERT_TRUE(t.analogMeter);
    EXPECT_EQ(*t.analogMeter, (WindowRect{0, mainH + 172, 256, 178 + 12 + 19}));
    ASSERT_TRUE(t.dataList);
    EXPECT_EQ(*t.dataList, (WindowRect{0, mainH + 172 + 209, 256, 768 - (mainH + 172 + 209) - 30}));
    ASSERT_TRUE(t.comparator);
    const int e = 2 * 4 + 19;
    EXPECT_EQ(*t.comparator,
              (WindowRect{e, (768 - mainH) / 4 + mainH + e, 201 + e, 122 + 64 + e + 2}));
}

TEST(WindowGeometry, HiddenWindowsStayWhereTheyAreButTheDigitalMeterMoves) {
    TileInput in;
    in.screenWidth = 1366;
    in.screenHeight = 768;
    in.metrics = ClassicMetrics();
    in.dataListVisible = true;
    in.analogVisible = false;
    in.analogCurrentHeight = 209;
    const TileLayout t = ComputeTile(in);
    EXPECT_FALSE(t.recorder);
    EXPECT_FALSE(t.analogMeter);
    EXPECT_FALSE(t.comparator);
    EXPECT_EQ(t.digitalMeter.width, 341); // 1366 / 4 truncates
    ASSERT_TRUE(t.dataList);
    // Below the hidden analog meter's height all the same.
    EXPECT_EQ(t.dataList->top, 77 + (768 - 77) / 4 + 209);
    EXPECT_EQ(t.dataList->height, 768 - t.dataList->top);
}

} // namespace
} // namespace ostrel
