#include "displays/ui/frame_pace.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QObject>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cmath>
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
        if (m_timer.isActive())
            return; // the next tick serves this request too
        // Whole milliseconds, rounded up: never faster than the screen.
        const auto frameUs = ScreenFrameInterval(owner).count();
        m_frameMs = static_cast<int>((frameUs + 999) / 1000);
        // A tick at once, unless the last one was less than a frame ago.
        const qint64 sinceLast = m_lastTick.isValid() ? m_lastTick.elapsed() : m_frameMs;
        m_timer.start(static_cast<int>(std::max<qint64>(0, m_frameMs - sinceLast)));
    }

  private:
    FrameClock() {
        m_timer.setTimerType(Qt::PreciseTimer);
        connect(&m_timer, &QTimer::timeout, this, [this] { tick(); });
    }

    void tick() {
        m_lastTick.start();
        bool more = false;
        // A frame step may make or remove windows: walk a copy, and check
        // that each tick is still there before running it.
        const std::vector<FrameTick*> ticks = m_ticks;
        for (FrameTick* tick : ticks) {
            if (!tick->m_requested ||
                std::find(m_ticks.begin(), m_ticks.end(), tick) == m_ticks.end())
                continue;
            tick->m_requested = false;
            if (tick->m_frame())
                tick->m_requested = true;
            more = more || tick->m_requested; // also when the step asked anew
        }
        if (!more)
            m_timer.stop();
        else if (m_timer.interval() != m_frameMs)
            m_timer.start(m_frameMs);
    }

    static inline FrameClock* s_clock = nullptr; // window thread only
    std::vector<FrameTick*> m_ticks;
    QTimer m_timer;
    QElapsedTimer m_lastTick;
    int m_frameMs = 17;
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
