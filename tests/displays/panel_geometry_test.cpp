#include "displays/panel_geometry.h"

#include <gtest/gtest.h>

using namespace ostrel;

TEST(DigitalMeterLayout, PanelsFollowTheResizeRules) {
    // A 1920 × 1080 screen under a 60-pixel main window: 480 × 255 at creation.
    const DigitalMeterLayout l = ComputeDigitalMeterLayout(480, 255, 96);
    EXPECT_EQ(l.subLcd, (PixelRect{0, 0, 480, 85}));
    EXPECT_EQ(l.mainLcd, (PixelRect{0, 85, 480, 170}));
    // Sub line: LB at 2/15 of the width (not the fifth the sub line gives it
    // first), half the height; coupling a fifth; value three fifths at the right.
    EXPECT_EQ(l.lowBattery.rect, (PixelRect{0, 0, 64, 42}));
    EXPECT_EQ(l.lowBattery.fontPoints, 21);
    EXPECT_EQ(l.subData.rect, (PixelRect{192, 0, 288, 85}));
    EXPECT_EQ(l.subData.fontPoints, 33); // 288 × 0.125 − 3
    EXPECT_EQ(l.subCoupling.rect, (PixelRect{96, 0, 96, 85}));
    EXPECT_EQ(l.subCoupling.fontPoints, 19);
    // Main line: coupling W/6, value in the middle, two labels of W/5.
    EXPECT_EQ(l.coupling.rect, (PixelRect{0, 85, 80, 170}));
    EXPECT_EQ(l.coupling.fontPoints, 16);
    EXPECT_EQ(l.data.rect, (PixelRect{80, 85, 208, 170}));
    EXPECT_EQ(l.data.fontPoints, 49); // 208 × 0.25 − 3
    EXPECT_EQ(l.unit.rect, (PixelRect{288, 85, 96, 170}));
    EXPECT_EQ(l.func.rect, (PixelRect{384, 85, 96, 170}));
    EXPECT_EQ(l.unit.fontPoints, 48);
    EXPECT_EQ(l.func.fontPoints, 48);
}

TEST(DigitalMeterLayout, DivisionsTruncateAndValueFontsScaleWithTheScreen) {
    const DigitalMeterLayout l = ComputeDigitalMeterLayout(101, 50, 96);
    EXPECT_EQ(l.subLcd.height, 16);
    EXPECT_EQ(l.lowBattery.rect.width, 13); // 202 / 15
    EXPECT_EQ(l.subData.rect.width, 60);    // 303 / 5
    EXPECT_EQ(l.data.rect.width, 101 - 16 - 2 * 20);
    // On a 120-dpi screen the value's points shrink by 96/120.
    EXPECT_EQ(ValueFontPoints(208, 0.25, 120), 38); // 0.8 × 52 − 3 = 38.6
    EXPECT_EQ(ValueFontPoints(8, 0.25, 96), -1);    // the window clamps to 1 point
    // Degenerate sizes produce no negative rectangles.
    const DigitalMeterLayout z = ComputeDigitalMeterLayout(-5, 0, 0);
    EXPECT_EQ(z.data.rect.width, 0);
    EXPECT_EQ(z.panelLcd, (PixelRect{0, 0, 0, 0}));
}

TEST(LiveWindowPlacement, WindowsStackBelowTheMainWindow) {
    ScreenMetrics m;
    m.screenWidth = 1920;
    m.screenHeight = 1080;
    m.mainWindowHeight = 80;
    m.captionHeight = 23;
    m.dialogFrameHeight = 3;
    m.sizingFrameHeight = 4;
    m.taskbarHeight = 40;
    EXPECT_EQ(DigitalMeterPlacement(m), (PixelRect{0, 80, 480, 250}));
    EXPECT_EQ(DigitalMeterMinimumSize(m), (PixelSize{480, 250}));
    EXPECT_EQ(DigitalMeterMaximised(m), (PixelRect{0, 80, 1920, 1000}));
    EXPECT_EQ(AnalogMeterPlacement(m, 250), (PixelRect{0, 330, 480, 178 + 12 + 23}));
    EXPECT_EQ(DataListPlacement(m, 250, 213), (PixelRect{0, 543, 480, 1080 - 543 - 40}));
    EXPECT_EQ(DataListMinimumSize(m), (PixelSize{480, 270}));
    EXPECT_EQ(DataListMaximised(m), (PixelRect{0, 80, 480, 960}));
    // Comparator: E = 23; left (247 − 201) / 2, top 1000 / 4 + 80 + 8 + 23.
    EXPECT_EQ(ComparatorPlacement(m), (PixelRect{23, 361, 247, 122 + 25 + 39 + 46}));
}

TEST(SymbolTypeface, ResistanceUnitsShowTheOhmSign) {
    EXPECT_TRUE(UsesSymbolUnit(0x80));
    EXPECT_TRUE(UsesSymbolUnit(0x180));
    EXPECT_TRUE(UsesSymbolUnit(0x2080));
    EXPECT_FALSE(UsesSymbolUnit(0x6));
    EXPECT_FALSE(UsesSymbolUnit(0x80 | 0x6));
    EXPECT_EQ(SymbolTypefaceText("W"), "Ω");
    EXPECT_EQ(SymbolTypefaceText("m"), "μ");
    EXPECT_EQ(SymbolTypefaceText("1.5 W"), "1.5 Ω");
    EXPECT_EQ(SymbolTypefaceText(""), "");
}
