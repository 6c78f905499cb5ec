#pragma once
// The arithmetic that places Ostrel's windows on the screen: the main strip's
// height and the tile layout. Pure functions over given metrics, so that they
// can be checked with numbers; the windows feed them from QStyle and QScreen.
// All divisions truncate toward zero.

#include "displays/panel_geometry.h"

#include <optional>

namespace ostrel {

// A window's place on the screen, in pixels.
using WindowRect = PixelRect;

// Frame metrics of the desktop, in pixels.
struct FrameMetrics {
    int border = 1;      // thin border height
    int dialogFrame = 3; // dialog frame height
    int sizingFrame = 4; // sizing frame height
    int caption = 20;    // caption bar height
    int menu = 20;       // one-line menu bar height
};

// Height of the main strip at start: frame, caption, menu, bevel and one and
// a half tool buttons (33 for 22-pixel buttons).
int MainWindowStartHeight(const FrameMetrics& m, int bevelHeight, int buttonHeight);

// The taskbar's height from the screen and its available area: 0 when the
// available area reaches the screen's bottom (no taskbar there, or one that
// hides itself), else the strip cut off at the bottom.
int TaskbarHeight(int screenTop, int screenHeight, int availableTop, int availableHeight);

struct TileInput {
    int screenWidth = 0;
    int screenHeight = 0;
    int taskbarHeight = 0;
    FrameMetrics metrics;
    int bevelHeight = 0;
    bool recorderVisible = false;
    bool analogVisible = false;
    bool dataListVisible = false;
    bool comparatorVisible = false;
    int analogFaceHeight = 178;    // meter-face picture
    int analogCurrentHeight = 0;   // used when the analog meter is hidden
    int comparatorFaceWidth = 201; // face picture
    int comparatorFaceHeight = 122;
    int comparatorButtonsHeight = 64; // its two buttons' heights together
};

struct TileLayout {
    WindowRect main;
    WindowRect digitalMeter; // always placed
    std::optional<WindowRect> recorder;
    std::optional<WindowRect> analogMeter;
    std::optional<WindowRect> dataList;
    std::optional<WindowRect> comparator;
};

inline constexpr int kTileSpacing = 25; // K of the tile rule

// Where the tile command puts each window; hidden windows (other than the
// digital meter) get no rectangle and are not moved.
TileLayout ComputeTile(const TileInput& in);

} // namespace ostrel
