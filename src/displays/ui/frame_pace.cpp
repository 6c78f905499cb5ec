#include "displays/ui/frame_pace.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QObject>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

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

std::chrono::microseconds SteadyFrameInterval(const QWidget* window) {
    const std::chrono::microseconds steady(std::llround(1e6 / kSteadyRate));
    return std::max(ScreenFrameInterval(window), steady);
}

// The timer behind every FrameTick: made with the first tick, gone with the
// last (the windows that own the ticks live on the window thread, inside the
// application's lifetime). Ticking all windows from one timer lets them draw
// in one pass of the event loop, a single wake-up a frame.
class FrameClock : public QObject {
  public:
    static FrameClock& instance() {
        if (!s_clock)
            s_clock = new FrameClock;
        return *s_clock;
    }
    static void add(FrameTick* tick) { instance().m_ticks.push_back(tick); }
    static void remove(FrameTick* tick) {
        if (!s_clock)
            return;
        auto& ticks = s_clock->m_ticks;
        ticks.erase(std::remove(ticks.begin(), ticks.end(), tick), ticks.end());
        if (ticks.empty()) {
            // The last window may go inside a frame step, while tick() still
            // runs on this clock: stop it now and delete it once control is
            // back in the event loop.
            s_clock->m_timer.stop();
            s_clock->deleteLater();
            s_clock = nullptr;
        }
    }

    void wake(const QWidget* owner) {
        // The next tick serves this request too, unless the clock sleeps
        // longer than a frame for a held window.
        if (m_timer.isActive() && m_timer.remainingTime() <= m_steadyMs)
            return;
        m_screenMs = WholeMs(ScreenFrameInterval(owner));
        m_steadyMs = WholeMs(SteadyFrameInterval(owner));
        // The clock had stopped, and the run with it: a tick at once, unless
        // the last one was less than a screen's frame ago.
        const qint64 sinceLast = m_lastTick.isValid() ? m_lastTick.elapsed() : m_screenMs;
        m_timer.start(static_cast<int>(std::max<qint64>(0, m_screenMs - sinceLast)));
    }

  private:
    FrameClock() {
        m_timer.setTimerType(Qt::PreciseTimer);
        connect(&m_timer, &QTimer::timeout, this, [this] { tick(); });
    }

    // Whole milliseconds, rounded up: never faster than the screen.
    static int WholeMs(std::chrono::microseconds interval) {
        return static_cast<int>((interval.count() + 999) / 1000);
    }

    // The interval to the next tick: the screen's frame, or the steady one
    // once the clock has run without a pause for long enough.
    int frameMs() const {
        const bool steady = m_runBegan.isValid() && m_runBegan.elapsed() >= kSteadyAfter.count();
        return steady ? m_steadyMs : m_screenMs;
    }

    void tick() {
        m_lastTick.start();
        if (!m_runBegan.isValid())
            m_runBegan.start();
        const auto now = std::chrono::steady_clock::now();
        bool more = false; // a window asks for the next frame
        std::optional<std::chrono::steady_clock::time_point> heldUntil; // the earliest hold
        // A frame step may make or remove windows: walk a copy, and check
        // that each tick is still there before running it.
        const std::vector<FrameTick*> ticks = m_ticks;
        for (FrameTick* tick : ticks) {
            if (!tick->m_requested ||
                std::find(m_ticks.begin(), m_ticks.end(), tick) == m_ticks.end())
                continue;
            if (now >= tick->m_heldUntil) {
                tick->m_requested = false;
                if (tick->m_frame())
                    tick->m_requested = true;
            } else if (tick->m_stillWanted && !tick->m_stillWanted())
                tick->m_requested = false;
            if (!tick->m_requested) // the step asked anew, or not
                continue;
            if (now < tick->m_heldUntil) // held, perhaps by its step just now
                heldUntil = std::min(heldUntil.value_or(tick->m_heldUntil), tick->m_heldUntil);
            else
                more = true;
        }
        int interval = frameMs();
        if (!more && heldUntil) {
            // Only held windows wait: sleep until the first hold ends.
            const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*heldUntil - now);
            interval = std::max(interval, static_cast<int>(wait.count()));
        }
        if (!more && !heldUntil) {
            m_timer.stop();
            m_runBegan.invalidate();
        } else if (m_timer.interval() != interval || !m_timer.isActive())
            m_timer.start(interval);
    }

    static inline FrameClock* s_clock = nullptr; // window thread only
    std::vector<FrameTick*> m_ticks;
    QTimer m_timer;
    QElapsedTimer m_lastTick;
    QElapsedTimer m_runBegan; // the first tick since the last pause
    int m_screenMs = 17;
    int m_steadyMs = 34;
};

FrameTick::FrameTick(const QWidget* owner, FrameStep frame)
    : m_owner(owner), m_frame(std::move(frame)) {
    FrameClock::add(this);
}

FrameTick::~FrameTick() {
    FrameClock::remove(this);
}

void FrameTick::request() {
    m_requested = true;
    FrameClock::instance().wake(m_owner);
}

} // namespace ostrel
