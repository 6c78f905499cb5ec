#pragma once
// The live windows' update threads. Each waits for its event, copies the part
// of the published reading its window shows (under readingLock, in one go),
// and hands the copy to its window on the window thread. The digital meter's
// thread is the first to learn of a reading; after its copy it wakes the
// analog meter's and the comparator's threads.
//
// Hand-over: a thread never waits for the window thread. It offers its copy
// through a NewestHandOver, where a copy the window has not taken yet is
// replaced by the newer one, and goes on; the window takes the newest one
// when it gets to it (at once on the notice, or at its next frame when it
// asks for notices of its own). The last copy of a burst is always taken.
//
// Pace: a window shows no more than the screen can. Given a frame interval,
// a thread rests out the frame of its last offer, and only then copies the
// reading, which is then the newest one, if one was published meanwhile
// (else it sleeps until one is). Readings nobody could have seen are
// skipped, as the events skip readings that come faster than a thread takes
// them; the newest is never held back longer than one frame, and a reading
// is copied once. A reading that comes after a whole frame is taken at once,
// without a rest: a meter at a slow pace costs each thread one wake-up a
// reading, a fast one a wake-up a frame.
//
// Ending: terminate() sets the thread's own stop flag, signals the thread's
// event (each event has exactly one waiter: its own update thread), ends a
// rest and cancels the hand-over, so a thread blocked in its wait or its rest
// ends promptly even when the window thread is the one waiting for the join.
// A shut down event (LiveState::shutdownEvents) also ends the thread.

#include "base/hand_over.h"
#include "displays/live_state.h"
#include "link/reading.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace ostrel {

// What the analog meter's thread copies: the main display's sign, value field
// and labels (as texts), and its function.
struct AnalogCopy {
    bool negative = false;
    std::string valueText;
    std::string firstLabel;
    std::string secondLabel;
    std::int32_t function = 0;
};
AnalogCopy CopyForAnalog(const MeterReading& reading);

// What the comparator's thread copies: the main display's sign, value text,
// exponent text and function.
struct ComparatorCopy {
    bool negative = false;
    std::string valueText;
    std::string exponentText;
    std::int32_t function = 0;
};
ComparatorCopy CopyForComparator(const MeterReading& reading);

// Common life cycle: started by the derived constructor once its members are
// ready, ended by stop() (the derived destructor calls it before its own
// members go). No virtual functions: the running thread must never dispatch
// through an object under construction or destruction.
class UpdateThread {
  public:
    UpdateThread(const UpdateThread&) = delete;
    UpdateThread& operator=(const UpdateThread&) = delete;

    // Ask the thread to end and wake it, without waiting. Any thread.
    void terminate();
    // Wait for the end (after terminate()). Not from the update thread itself.
    void join();
    void stop() {
        terminate();
        join();
    }
    bool isTerminated() const { return m_terminated.load(); }

    // The shortest time from one offer to the next (the screen's frame
    // interval); zero offers every reading the thread takes. Any thread.
    void setFrameInterval(std::chrono::microseconds interval) {
        m_frameInterval.store(interval.count());
    }
    std::chrono::microseconds frameInterval() const {
        return std::chrono::microseconds(m_frameInterval.load());
    }

  protected:
    explicit UpdateThread(AutoResetEvent& wakeEvent);
    ~UpdateThread();
    // Run pass again and again on the new thread until it returns false or
    // the thread is asked to end; cancelHandOver is the last step of
    // terminate().
    void start(std::function<bool()> pass, std::function<void()> cancelHandOver);
    // Wait for a reading to copy: rest out the frame of the last offer, if it
    // has not passed yet (at once when asked to end), then take the event's
    // signal, or sleep until it comes. False when the event is shut down.
    bool awaitReading();
    // Note an offer: the frame it begins starts now.
    void noteOffer(std::chrono::steady_clock::time_point begun) { m_lastOffer = begun; }

    AutoResetEvent& m_wakeEvent;

  private:
    std::atomic<bool> m_terminated{false};
    std::atomic<std::chrono::microseconds::rep> m_frameInterval{0};
    std::mutex m_restMutex;
    std::condition_variable m_rest;
    std::chrono::steady_clock::time_point m_lastOffer; // update thread only
    std::function<void()> m_cancelHandOver;
    std::thread m_thread;
};

// An update thread whose copies are of type Value.
template <class Value> class HandingThread : public UpdateThread {
  public:
    using Deliver = typename NewestHandOver<Value>::Deliver;
    using Notice = typename NewestHandOver<Value>::Notice;

    // The newest copy not yet delivered goes to the window step: true when
    // there was one. A window that asked for notices of its own calls this at
    // its frames until it returns false. Window thread.
    bool deliverNewest() { return m_handOver.deliverNewest(); }
    // True when a copy waits; else the next offer posts a notice again (see
    // NewestHandOver::holdsNewest). Window thread.
    bool holdsNewest() { return m_handOver.holdsNewest(); }

  protected:
    // deliver: the window step. notice: none, and each notice delivers at
    // once; or the window's own (see NewestHandOver).
    HandingThread(AutoResetEvent& wakeEvent, HandOver::Poster post, Deliver deliver, Notice notice)
        : UpdateThread(wakeEvent),
          m_handOver(std::move(post), std::move(deliver), std::move(notice)) {}
    void start(std::function<bool()> pass) {
        UpdateThread::start(std::move(pass), [this] { m_handOver.cancel(); });
    }
    // Offer the copy; its frame begins now. False once cancelled.
    bool offer(Value value) {
        const auto begun = std::chrono::steady_clock::now();
        const bool offered = m_handOver.offer(std::move(value));
        if (offered)
            noteOffer(begun);
        return offered;
    }

  private:
    NewestHandOver<Value> m_handOver;
};

// What the digital meter's window is handed: a reading to show with its icon
// toggle, or none (clear the display).
struct DigitalMeterShowing {
    std::optional<MeterReading> reading;
    bool iconToggle = false;
};

// The digital meter's thread: wait for newReadingEvent, copy the whole
// reading, wake the two followers, offer the copy. While not linked it clears
// the display once and sleeps in the same wait; a reading that wakes it then
// was published before the unlink and is dropped.
class TDigitalMeterThread : public HandingThread<DigitalMeterShowing> {
  public:
    // show runs on the window thread with the thread's copy and its icon toggle
    // (false: icon 2, true: icon 8); clear runs on the window thread. notice:
    // see HandingThread.
    using ShowStep = std::function<void(const MeterReading&, bool iconToggle)>;
    using ClearStep = std::function<void()>;

    TDigitalMeterThread(LiveState& state, HandOver::Poster post, ShowStep show, ClearStep clear,
                        Notice notice = {});
    ~TDigitalMeterThread();

    // Passes of the thread's loop so far (each ends in a wait or an offer
    // unless the thread is ending). Any thread.
    long passes() const { return m_passes.load(); }

    // The shortest time between two flips of the icon toggle: the icon blinks
    // with every reading offered, but no faster than this (zero: with every
    // one). A window system redraws the icon wherever it shows it. Any thread.
    void setIconBlinkInterval(std::chrono::milliseconds interval) {
        m_blinkInterval.store(interval.count());
    }

  private:
    bool pass();

    LiveState& m_state;
    std::atomic<long> m_passes{0};
    bool m_iconToggle = false; // what the next blink shows
    std::atomic<std::chrono::milliseconds::rep> m_blinkInterval{0};
    std::chrono::steady_clock::time_point m_lastBlink; // thread only
    bool m_cleared = false; // the display was cleared since the last reading
};

// The analog meter's and the comparator's threads: wait for their event, copy
// their fields, and offer the copy only while their window is shown (not
// hidden, not minimised); otherwise the copy is dropped. They are paced by the
// digital meter's thread, which wakes them.
template <class Copy> class FollowerThread : public HandingThread<Copy> {
  public:
    using CopyFunction = Copy (*)(const MeterReading&);
    using UpdateStep = std::function<void(const Copy&)>;
    using ShowingQuery = std::function<bool()>;
    using Notice = typename HandingThread<Copy>::Notice;

    FollowerThread(LiveState& state, AutoResetEvent& event, CopyFunction copy,
                   HandOver::Poster post, ShowingQuery windowShowing, UpdateStep update,
                   Notice notice)
        : HandingThread<Copy>(event, std::move(post), std::move(update), std::move(notice)),
          m_state(state), m_copyFunction(copy), m_windowShowing(std::move(windowShowing)) {
        this->start([this] { return pass(); });
    }
    ~FollowerThread() { this->stop(); }

  private:
    bool pass() {
        if (!this->awaitReading())
            return false; // shut down
        if (this->isTerminated())
            return false;
        Copy copy;
        {
            std::lock_guard lock(m_state.readingLock);
            copy = m_copyFunction(m_state.reading);
        }
        if (m_windowShowing())
            this->offer(std::move(copy));
        return true;
    }

    LiveState& m_state;
    CopyFunction m_copyFunction;
    ShowingQuery m_windowShowing;
};

class TAnalogMeterThread : public FollowerThread<AnalogCopy> {
  public:
    TAnalogMeterThread(LiveState& state, HandOver::Poster post, ShowingQuery windowShowing,
                       UpdateStep update, Notice notice = {})
        : FollowerThread(state, state.analogUpdateEvent, &CopyForAnalog, std::move(post),
                         std::move(windowShowing), std::move(update), std::move(notice)) {}
};

class TComparatorThread : public FollowerThread<ComparatorCopy> {
  public:
    TComparatorThread(LiveState& state, HandOver::Poster post, ShowingQuery windowShowing,
                      UpdateStep update, Notice notice = {})
        : FollowerThread(state, state.comparatorUpdateEvent, &CopyForComparator, std::move(post),
                         std::move(windowShowing), std::move(update), std::move(notice)) {}
};

} // namespace ostrel
