#include "app/ui/window_geometry.h"

namespace ostrel {

int MainWindowStartHeight(const FrameMetrics& m, int bevelHeight, int buttonHeight) {
    return 2 * m.border + 2 * m.dialogFrame + m.caption + m.menu + bevelHeight +
           (3 * buttonHeight) / 2;
}

int TaskbarHeight(int screenTop, int screenHeight, int availableTop, int availableHeight) {
    const int screenBottom = screenTop + screenHeight;
    const int availableBottom = availableTop + availableHeight;
    return availableBottom < screenBottom ? screenBottom - availableBottom : 0;
}

TileLayout ComputeTile(const TileInput& in) {
    const FrameMetrics& m = in.metrics;
    const int sw = in.screenWidth;
    const int sh = in.screenHeight;
    TileLayout out;

    out.main = {0, 0, sw,
                2 * m.dialogFrame + m.caption + m.menu + in.bevelHeight + kTileSpacing + 8};
    const int mainHeight = out.main.height;

    out.digitalMeter = {0, mainHeight, sw / 4, (sh - mainHeight) / 4};
    const int digitalHeight = out.digitalMeter.height;

    if (in.recorderVisible) {
        const int left = sw / 4;
        out.recorder = WindowRect{left, mainHeight, sw - left, sh - mainHeight - in.taskbarHeight};
    }

    int analogHeight = in.analogCurrentHeight;
    if (in.analogVisible) {
        analogHeight = in.analogFaceHeight + 4 * m.dialogFrame + m.caption;
        out.analogMeter = WindowRect{0, mainHeight + digitalHeight, sw / 4, analogHeight};
    }

    if (in.dataListVisible) {
        const int top = mainHeight + digitalHeight + analogHeight;
        out.dataList = WindowRect{0, top, sw / 4, sh - top - in.taskbarHeight};
    }

    if (in.comparatorVisible) {
        const int e = 2 * m.sizingFrame + m.caption;
        out.comparator =
            WindowRect{e, (sh - mainHeight) / 4 + mainHeight + e, in.comparatorFaceWidth + e,
                       in.comparatorFaceHeight + in.comparatorButtonsHeight + e + 2};
    }
    return out;
}

} // namespace ostrel
