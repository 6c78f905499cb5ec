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

// With real frames and a panel, on the screens users have: the frames that
// the tile plans stay inside the available area, below the strip's real
// height, side by side without overlapping.
TEST(WindowGeometry, FramesBelowTheRealStripInsideTheAvailableArea) {
    struct Screen {
        int width, height, panelTop, panelBottom;
    };
    for (const Screen screen :
         {Screen{1024, 768, 0, 0}, Screen{1366, 768, 0, 40}, Screen{1920, 1080, 28, 48}}) {
        TileInput in;
        in.areaTop = screen.panelTop;
        in.screenWidth = screen.width;
        in.screenHeight = screen.height - screen.panelTop;
        in.taskbarHeight = screen.panelBottom;
        // A window manager's frame: 1-pixel sides, a 20-pixel title, a 6-pixel grip.
        in.metrics = RealFrameMetrics(ClassicMetrics(), 1, 21, 6);
        EXPECT_EQ(in.metrics.caption, 15);
        EXPECT_EQ(in.metrics.dialogFrame, 1);
        in.mainOuterHeight = 81;
        in.recorderVisible = in.analogVisible = in.dataListVisible = true;
        const TileLayout t = ComputeTile(in);
        const int bottom = screen.height - screen.panelBottom;
        EXPECT_EQ(t.main.top, screen.panelTop);
        for (const WindowRect& r : {t.digitalMeter, *t.recorder, *t.analogMeter, *t.dataList}) {
            EXPECT_GE(r.top, screen.panelTop + 81);
            EXPECT_LE(r.top + r.height, bottom);
            EXPECT_LE(r.left + r.width, screen.width);
        }
        EXPECT_EQ(t.recorder->top + t.recorder->height, bottom);
        EXPECT_EQ(t.dataList->top + t.dataList->height, bottom);
        EXPECT_EQ(t.analogMeter->top, t.digitalMeter.top + t.digitalMeter.height);
        EXPECT_EQ(t.dataList->top, t.analogMeter->top + t.analogMeter->height);
        EXPECT_EQ(t.recorder->left, t.digitalMeter.left + t.digitalMeter.width);
    }
    // Without a frame the metrics stay.
    EXPECT_EQ(RealFrameMetrics(ClassicMetrics(), 0, 0, 0).caption, 19);
}

TEST(WindowGeometry, KeepAboveMovesUpThenCuts) {
    EXPECT_EQ(KeepAbove({0, 100, 50, 60}, 80, 200), (WindowRect{0, 100, 50, 60}));
    EXPECT_EQ(KeepAbove({0, 180, 50, 60}, 80, 200), (WindowRect{0, 140, 50, 60}));
    EXPECT_EQ(KeepAbove({0, 180, 50, 160}, 80, 200), (WindowRect{0, 80, 50, 120}));
}

} // namespace
} // namespace ostrel
