// TFormMain's placement: the strip's size at start and once framed, and the
// tile (and the start's placement) of the windows below it, by their frames.
#include "app/ui/main_form.h"

#include "app/ui/display_windows.h"
#include "base/ui/app_windows.h"
#include "base/ui/shell_geometry.h"
#include "displays/panel_geometry.h"
#include "recorder/recorder_view.h"
#include "recorder/ui/graphical_form.h"

#include <QFrame>
#include <QMenuBar>
#include <QScreen>
#include <QStyle>

#include <algorithm>

namespace ostrel {
namespace {

QRect ScreenRect(const QWidget* w) {
    QScreen* screen = w && w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect(0, 0, 1024, 768);
}

QRect AvailableRect(const QWidget* w) {
    QScreen* screen = w && w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

int CurrentTaskbarHeight(const QWidget* w) {
    QScreen* screen = w && w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return 0;
    const QRect s = screen->geometry();
    const QRect a = screen->availableGeometry();
    return TaskbarHeight(s.top(), s.height(), a.top(), a.height());
}

// Place a window so that its frame (caption and borders included) covers r.
void PlaceFrame(QWidget* w, const WindowRect& r) {
    const QMargins frame = WindowFrame(w);
    w->move(r.left, r.top);
    w->resize(std::max(1, r.width - frame.left() - frame.right()),
              std::max(1, r.height - frame.top() - frame.bottom()));
}

} // namespace

void TFormMain::placeAtStart() {
    const FrameMetrics m = frameMetrics();
    const int height = MainWindowStartHeight(m, Bevel1->height(), kButtonHeight);
    CurrentShellGeometry().mainWindowHeight = height;
    CurrentShellGeometry().taskbarHeight = CurrentTaskbarHeight(this);
    const QRect screen = ScreenRect(this);
    const int clientHeight = height - (2 * m.border + 2 * m.dialogFrame + m.caption);
    move(0, 0);
    setFixedSize(screen.width(), clientHeight);
}

void TFormMain::adoptFrameHeight() {
    if (!isVisible())
        return;
    // The strip spans the screen frame included.
    const int frameWidth = frameGeometry().width() - width();
    if (frameWidth > 0)
        setFixedWidth(ScreenRect(this).width() - frameWidth);
    if (frameGeometry().height() > geometry().height())
        CurrentShellGeometry().mainWindowHeight = frameGeometry().height();
}

FrameMetrics TFormMain::frameMetrics() const {
    FrameMetrics m;
    const QStyle* s = style();
    m.border = 1;
    m.dialogFrame = std::max(1, s->pixelMetric(QStyle::PM_DefaultFrameWidth));
    m.sizingFrame = m.dialogFrame + 1;
    m.caption = s->pixelMetric(QStyle::PM_TitleBarHeight);
    m.menu = menuBar()->sizeHint().height();
    return m;
}

void TFormMain::sbtnWinTileClick() {
    arrangeWindows(true);
    activateWindow();
    setFocus();
}

void TFormMain::arrangeWindows(bool tile) {
    const QRect screen = ScreenRect(this);
    const QRect area = AvailableRect(this);
    const QMargins frame = WindowFrame(this);
    TileInput in;
    // The available area stands for the screen: a panel at the top or a side
    // moves the windows, one at the bottom is the taskbar.
    in.areaLeft = area.left();
    in.areaTop = area.top();
    in.screenWidth = area.width();
    in.screenHeight = screen.bottom() + 1 - area.top();
    in.taskbarHeight = screen.bottom() - area.bottom();
    in.metrics = RealFrameMetrics(frameMetrics(), frame.left(), frame.top(), frame.bottom());
    in.bevelHeight = Bevel1->height();
    in.analogFaceHeight = kAnalogFaceHeight;
    in.comparatorFaceWidth = kComparatorFaceWidth;
    in.comparatorFaceHeight = kComparatorFaceHeight;
    if (m_windows) {
        in.recorderVisible = m_windows->graphical && m_windows->graphical->isVisible();
        in.analogVisible = m_windows->analogMeter && m_windows->analogMeter->isVisible();
        in.dataListVisible = m_windows->dataList && m_windows->dataList->isVisible();
        in.comparatorVisible = m_windows->comparator && m_windows->comparator->isVisible();
        if (m_windows->analogMeter)
            in.analogCurrentHeight = m_windows->analogMeter->frameGeometry().height();
        if (auto* comparator = m_windows->comparator) {
            const int buttons = comparator->buttonsHeight();
            if (buttons > 0)
                in.comparatorButtonsHeight = buttons;
        }
    }

    // The main strip first: across the top of the area, its frame included.
    TileLayout layout = ComputeTile(in);
    move(area.topLeft());
    const int frameWidth = frame.left() + frame.right();
    if (tile)
        setFixedSize(layout.main.width - frameWidth,
                     layout.main.height - (2 * in.metrics.dialogFrame + in.metrics.caption));
    else
        setFixedWidth(layout.main.width - frameWidth);
    // The others go below its real outer height.
    in.mainOuterHeight = frameGeometry().height();
    layout = ComputeTile(in);
    CurrentShellGeometry().taskbarHeight = in.taskbarHeight;
    CurrentShellGeometry().mainWindowHeight = in.mainOuterHeight;
    if (m_windows)
        placeBelowMainStrip(layout, in);
}

void TFormMain::placeBelowMainStrip(TileLayout layout, const TileInput& in) {
    const AppWindows& w = *m_windows;
    const int bottom = in.areaTop + in.screenHeight - in.taskbarHeight;
    const int below = in.areaTop + in.mainOuterHeight;
    // The size limits of the windows follow the strip's height and the frames.
    ScreenMetrics metrics;
    metrics.screenWidth = in.screenWidth;
    metrics.screenHeight = in.screenHeight;
    metrics.mainWindowHeight = in.mainOuterHeight;
    metrics.taskbarHeight = in.taskbarHeight;
    if (w.digitalMeter) {
        const PixelRect largest = DigitalMeterMaximised(metrics);
        SetFrameSizeLimits(w.digitalMeter, DigitalMeterMinimumSize(metrics),
                           {largest.width, largest.height});
    }
    if (w.dataList) {
        const PixelSize smallest = DataListMinimumSize(metrics);
        const PixelRect largest = DataListMaximised(metrics);
        SetFrameSizeLimits(w.dataList, {smallest.width, std::min(smallest.height, largest.height)},
                           {largest.width, largest.height});
    }
    if (w.graphical) {
        const RecorderGeometry g = ComputeRecorderGeometry(in.screenWidth, in.screenHeight,
                                                           in.mainOuterHeight, in.taskbarHeight);
        SetFrameSizeLimits(w.graphical, {g.minWidth, std::min(g.minHeight, g.maxHeight)},
                           {g.maxWidth, g.maxHeight});
    }

    // A window may refuse the planned size (its own size limits); the windows
    // below it then stack under the size it really took, so that none covers
    // another, and every frame stays inside the available area.
    int drift = 0;
    if (w.digitalMeter) {
        PlaceFrame(w.digitalMeter, KeepAbove(layout.digitalMeter, below, bottom));
        drift += w.digitalMeter->frameGeometry().height() - layout.digitalMeter.height;
    }
    if (layout.recorder)
        PlaceFrame(w.graphical, KeepAbove(*layout.recorder, below, bottom));
    if (layout.analogMeter) {
        layout.analogMeter->top += drift;
        PlaceFrame(w.analogMeter, KeepAbove(*layout.analogMeter, below, bottom));
        drift += w.analogMeter->frameGeometry().height() - layout.analogMeter->height;
    }
    if (layout.dataList) {
        layout.dataList->top += drift;
        layout.dataList->height -= drift;
        PlaceFrame(w.dataList, KeepAbove(*layout.dataList, below, bottom));
    }
    if (layout.comparator) {
        PlaceFrame(w.comparator, KeepAbove(*layout.comparator, below, bottom));
        w.comparator->raise();
    }
}

} // namespace ostrel
