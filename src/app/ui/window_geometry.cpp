#include "app/ui/window_geometry.h"

#include <algorithm>

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

    const int x0 = in.areaLeft;
    const int y0 = in.areaTop;
    out.main = {x0, y0, sw,
                2 * m.dialogFrame + m.caption + m.menu + in.bevelHeight + kTileSpacing + 8};
    const int mainHeight = in.mainOuterHeight > 0 ? in.mainOuterHeight : out.main.height;

    out.digitalMeter = {x0, y0 + mainHeight, sw / 4, (sh - mainHeight) / 4};
    const int digitalHeight = out.digitalMeter.height;

    if (in.recorderVisible) {
        const int left = sw / 4;
        out.recorder =
            WindowRect{x0 + left, y0 + mainHeight, sw - left, sh - mainHeight - in.taskbarHeight};
    }

    int analogHeight = in.analogCurrentHeight;
    if (in.analogVisible) {
        analogHeight = in.analogFaceHeight + 4 * m.dialogFrame + m.caption;
        out.analogMeter = WindowRect{x0, y0 + mainHeight + digitalHeight, sw / 4, analogHeight};
    }

    if (in.dataListVisible) {
        const int top = mainHeight + digitalHeight + analogHeight;
        out.dataList = WindowRect{x0, y0 + top, sw / 4, sh - top - in.taskbarHeight};
    }

    if (in.comparatorVisible) {
        const int e = 2 * m.sizingFrame + m.caption;
        out.comparator = WindowRect{x0 + e, y0 + (sh - mainHeight) / 4 + mainHeight + e,
                                    in.comparatorFaceWidth + e,
                                    in.comparatorFaceHeight + in.comparatorButtonsHeight + e + 2};
    }
    return out;
}

FrameMetrics RealFrameMetrics(FrameMetrics m, int frameLeft, int frameTop, int frameBottom) {
    if (frameTop <= 0)
        return m;
    m.caption = std::max(0, frameTop - frameBottom);
    m.dialogFrame = std::max(1, frameLeft);
    m.sizingFrame = m.dialogFrame + 1;
    return m;
}

WindowRect KeepAbove(WindowRect r, int top, int bottom) {
    if (r.top + r.height > bottom)
        r.top = std::max(top, bottom - r.height);
    if (r.top + r.height > bottom)
        r.height = std::max(1, bottom - r.top);
    return r;
}

} // namespace ostrel
