#pragma once
// How often the screen a window stands on shows a new picture, and the one
// clock the live windows draw by: each window has a FrameTick, and all of them
// tick together, at most once a frame, from one timer that runs only while
// some window has something new to draw.

#include <chrono>
#include <functional>

class QWidget;

namespace ostrel {

// One frame of the window's screen (of the primary screen before the window
// has one; 60 frames a second where the screen does not say).
std::chrono::microseconds ScreenFrameInterval(const QWidget* window);

// A window's share of the frame clock. request() asks for a tick: at once
// when the clock has been idle for a frame or more, else with the clock's next
// one. At each tick the frame step runs (window thread); it returns true to
// have the next tick too (something moves, or more may come). The clock stops
// when no window asks for a tick. Window thread only.
class FrameTick {
  public:
    using FrameStep = std::function<bool()>;

    // owner: the window whose screen sets the pace.
    FrameTick(const QWidget* owner, FrameStep frame);
    ~FrameTick();
    FrameTick(const FrameTick&) = delete;
    FrameTick& operator=(const FrameTick&) = delete;

    void request();
    bool isRequested() const { return m_requested; }

  private:
    friend class FrameClock;
    const QWidget* m_owner;
    FrameStep m_frame;
    bool m_requested = false;
};

} // namespace ostrel
