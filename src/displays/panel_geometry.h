#pragma once
// Geometry of the live windows without a window system: the digital meter's
// panel layout and font sizes, and where each live window places itself at
// creation. Every division truncates toward zero.

#include <string>

namespace ostrel {

struct PixelRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const PixelRect&) const = default;
};

struct PixelSize {
    int width = 0;
    int height = 0;
    bool operator==(const PixelSize&) const = default;
};

// One panel of the digital meter: its rectangle inside the window's client
// area and its font size in points.
struct PanelPlacement {
    PixelRect rect;
    int fontPoints = 0;
    bool operator==(const PanelPlacement&) const = default;
};

// The digital meter's panels for a client area of width × height pixels; dpi
// is the pixels per inch of the value panel's font (96 on a standard screen).
// The sub line takes the top third; in it "LB" sits at the left (2/15 of the
// width, half the height), the sub coupling a fifth and the sub value three
// fifths at the right. The main line below holds the coupling (a sixth), the
// value (the middle), the first label and the second label (a fifth each).
struct DigitalMeterLayout {
    PixelRect panelLcd;
    PixelRect subLcd;
    PixelRect mainLcd;
    PanelPlacement lowBattery;  // pnlLB
    PanelPlacement subCoupling; // pnlSubAcDc
    PanelPlacement subData;     // SubDataPanel
    PanelPlacement coupling;    // pnlAcDc
    PanelPlacement data;        // DataPanel
    PanelPlacement unit;        // UnitPanel
    PanelPlacement func;        // FuncPanel
};
DigitalMeterLayout ComputeDigitalMeterLayout(int width, int height, double dpi);

// Font size of a value panel: truncate(96 / dpi × (width × share) − 3).
int ValueFontPoints(int panelWidth, double share, double dpi);

// Screen and frame figures the placements need.
struct ScreenMetrics {
    int screenWidth = 0;
    int screenHeight = 0;
    int mainWindowHeight = 0;
    int captionHeight = 0;     // title bar
    int dialogFrameHeight = 0; // fixed border
    int sizingFrameHeight = 0; // resizable border
    int taskbarHeight = 0;
};

// The digital meter: left 0 below the main window, a quarter of the screen's
// width and a quarter of the height left below the main window.
PixelRect DigitalMeterPlacement(const ScreenMetrics& m);
// Smallest size (the creation size) and maximised placement of the digital meter.
PixelSize DigitalMeterMinimumSize(const ScreenMetrics& m);
PixelRect DigitalMeterMaximised(const ScreenMetrics& m);

// The analog meter below the digital meter; faceHeight is its meter face's height.
inline constexpr int kAnalogFaceWidth = 198;
inline constexpr int kAnalogFaceHeight = 178;
PixelRect AnalogMeterPlacement(const ScreenMetrics& m, int digitalMeterHeight);

// The comparator: its face picture and its two buttons, one above the
// other: the alarm switch, then the limit button with the two limit rows
// beside it (the rows end where the button ends).
inline constexpr int kComparatorFaceWidth = 201;
inline constexpr int kComparatorFaceHeight = 122;
inline constexpr int kComparatorButtonHeight = 25;
inline constexpr int kComparatorLimitRowHeight = 18;
inline constexpr int kComparatorLimitRowGap = 3;
inline constexpr int kComparatorLimitButtonHeight =
    2 * kComparatorLimitRowHeight + kComparatorLimitRowGap;
PixelRect ComparatorPlacement(const ScreenMetrics& m);

// The data list below the three meters, down to the taskbar.
PixelRect DataListPlacement(const ScreenMetrics& m, int digitalMeterHeight, int analogMeterHeight);
PixelSize DataListMinimumSize(const ScreenMetrics& m);
PixelRect DataListMaximised(const ScreenMetrics& m);

// The functions whose unit label the window draws in the "Symbol" typeface:
// resistance, continuity and the dBm-ohm reference.
bool UsesSymbolUnit(int function);

// The text a label shows when the window would draw text in the "Symbol"
// typeface: the Latin letters become their Greek counterparts of that
// typeface (so "W" is the ohm sign "Ω"); other characters stay. UTF-8.
std::string SymbolTypefaceText(const std::string& text);

} // namespace ostrel
