#pragma once
// How often the screen a window stands on shows a new picture, and the one
// clock the live windows draw by: each window has a FrameTick, and all of them
// tick together, at most once a frame, from one timer that runs only while
// some window has something new to draw.
//
// A stream of readings faster than the eye follows keeps the clock running
// without a pause; once it has run so for kSteadyAfter, it ticks at most
// kSteadyRate times a second (each frame of each window costs the window
// system a copy and a round trip, whatever it shows). The first tick after a
// pause comes at once, and a window always draws the newest it has at a tick,
// so a slow meter is drawn as fast as before and a fast one is never shown
// late by more than one frame.

#include <chrono>
#include <functional>

class QWidget;

namespace ostrel {

// One frame of the window's screen (of the primary screen before the window
// has one; 60 frames a second where the screen does not say).
std::chrono::microseconds ScreenFrameInterval(const QWidget* window);

// Frames a second the clock keeps to while it runs without a pause.
inline constexpr int kSteadyRate = 30;
// How long the clock runs without a pause before it keeps to kSteadyRate.
inline constexpr std::chrono::milliseconds kSteadyAfter{100};

// Digits are read, not followed by eye: a readout takes a new reading at most
// kReadoutRate times a second (see FrameTick::holdFor), while the needles keep
// the clock's pace. A reading that comes after a pause is still shown at once.
inline constexpr int kReadoutRate = 10;
inline constexpr std::chrono::milliseconds kReadoutFrame{1000 / kReadoutRate};

// The frame interval of a steady stream: the screen's, or a kSteadyRate frame
// where that is longer. Update threads rest this long between two offers.
std::chrono::microseconds SteadyFrameInterval(const QWidget* window);

// A window's share of the frame clock. request() asks for a tick: at once
// when the clock has been idle for a frame or more, else with the clock's next
// one. At each tick the frame step runs (window thread); it returns true to
// have the next tick too (something moves, or more may come). The clock stops
// when no window asks for a tick. A step may hold its window's next step back
// for a while (holdFor): the clock then passes over it, and sleeps until the
// hold ends when no other window asks. Window thread only.
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
    // No step before interval has passed from now. Meanwhile each tick asks
    // stillWanted instead whether the request stands (say, whether something
    // new waits to be drawn); false drops it. From the frame step or anywhere
    // else on the window thread.
    void holdFor(std::chrono::milliseconds interval, std::function<bool()> stillWanted) {
        m_heldUntil = std::chrono::steady_clock::now() + interval;
        m_stillWanted = std::move(stillWanted);
    }

  private:
    friend class FrameClock;
    const QWidget* m_owner;
    FrameStep m_frame;
    bool m_requested = false;
    std::chrono::steady_clock::time_point m_heldUntil{};
    std::function<bool()> m_stillWanted; // asked at the ticks while held
};

} // namespace ostrel
