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

// The screen as the tile sees it: the available area's left and top (the
// origin of every rectangle), its width, the height from its top to the
// screen's bottom, and the taskbar's height at the bottom.
struct TileInput {
    int areaLeft = 0;
    int areaTop = 0;
    int screenWidth = 0;
    int screenHeight = 0;
    int taskbarHeight = 0;
    // The main strip's real outer height once the window system framed it
    // (the windows go below it); 0 for the formula's height.
    int mainOuterHeight = 0;
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

// Where the tile command puts each window's frame; hidden windows (other than
// the digital meter) get no rectangle and are not moved.
TileLayout ComputeTile(const TileInput& in);

// The frame metrics a window system really gives: the caption is the frame's
// top less its bottom edge, the dialog frame its side edge. Metrics without a
// frame (none known yet, or no window manager) stay as they are.
FrameMetrics RealFrameMetrics(FrameMetrics m, int frameLeft, int frameTop, int frameBottom);

// r moved up and cut so that it ends inside an area whose bottom edge is at
// bottom (exclusive) and whose top is top; never shorter than 1.
WindowRect KeepAbove(WindowRect r, int top, int bottom);

} // namespace ostrel
