#pragma once
// How often the screen a window stands on shows a new picture: the live
// windows draw no more often than that.

#include <chrono>

class QWidget;

namespace ostrel {

// One frame of the window's screen (of the primary screen before the window
// has one; 60 frames a second where the screen does not say).
std::chrono::microseconds ScreenFrameInterval(const QWidget* window);

} // namespace ostrel
