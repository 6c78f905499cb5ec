#include "displays/ui/frame_pace.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <cmath>

namespace ostrel {

std::chrono::microseconds ScreenFrameInterval(const QWidget* window) {
    constexpr double kUsualRate = 60.0; // frames a second
    const QScreen* screen = window ? window->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    double rate = screen ? screen->refreshRate() : 0.0;
    // Below 10 or above 1000 frames a second is no screen's own figure.
    if (!(rate >= 10.0 && rate <= 1000.0))
        rate = kUsualRate;
    return std::chrono::microseconds(std::llround(1e6 / rate));
}

} // namespace ostrel
