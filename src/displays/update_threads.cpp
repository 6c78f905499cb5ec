#include "displays/update_threads.h"

#include <utility>

namespace ostrel {

AnalogCopy CopyForAnalog(const MeterReading& reading) {
    AnalogCopy copy;
    copy.negative = reading.main.negative != 0;
    copy.valueText = FieldText(reading.main.valueField);
    copy.firstLabel = FieldText(reading.main.firstLabelField);
    copy.secondLabel = FieldText(reading.main.secondLabelField);
    copy.function = reading.main.function;
    return copy;
}

ComparatorCopy CopyForComparator(const MeterReading& reading) {
    ComparatorCopy copy;
    copy.negative = reading.main.negative != 0;
    copy.valueText = reading.main.valueText;
    copy.exponentText = reading.main.exponentText;
    copy.function = reading.main.function;
    return copy;
}

UpdateThread::UpdateThread(AutoResetEvent& wakeEvent) : m_wakeEvent(wakeEvent) {}

UpdateThread::~UpdateThread() {
    stop();
}

void UpdateThread::start(std::function<bool()> pass, std::function<void()> cancelHandOver) {
    m_cancelHandOver = std::move(cancelHandOver);
    m_thread = std::thread([this, pass = std::move(pass)] {
        while (!isTerminated())
            if (!pass())
                break;
    });
}

void UpdateThread::terminate() {
    if (m_terminated.exchange(true))
        return;
    // The event's only waiter is this thread: the signal wakes it, or, when it
    // is not waiting yet, makes its next wait return at once.
    m_wakeEvent.set();
    {
        std::lock_guard lock(m_restMutex); // a rest about to begin sees the flag
    }
    m_rest.notify_all();
    if (m_cancelHandOver)
        m_cancelHandOver();
}

bool UpdateThread::awaitReading() {
    const auto end = m_lastOffer + frameInterval();
    // A wait that is over before it begins still costs the thread a trip
    // through the scheduler.
    if (std::chrono::steady_clock::now() < end) {
        std::unique_lock lock(m_restMutex);
        m_rest.wait_until(lock, end, [this] { return isTerminated(); });
    }
    // The rest ends before the signal is taken: the copy that follows holds
    // every reading published during the rest, so their signal cannot wake
    // the thread for a second copy of the same reading. (That copy would show
    // nothing new, yet hold the digital readout's next change back for
    // another readout frame.) In a stream the signal is there already: one
    // wake-up a frame.
    return m_wakeEvent.tryWait() || m_wakeEvent.wait();
}

void UpdateThread::join() {
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id())
        m_thread.join();
}

TDigitalMeterThread::TDigitalMeterThread(LiveState& state, HandOver::Poster post, ShowStep show,
                                         ClearStep clear, Notice notice)
    : HandingThread(
          state.newReadingEvent, std::move(post),
          [show = std::move(show), clear = std::move(clear)](const DigitalMeterShowing& s) {
              if (s.reading)
                  show(*s.reading, s.iconToggle);
              else
                  clear();
          },
          std::move(notice)),
      m_state(state) {
    start([this] { return pass(); });
}

TDigitalMeterThread::~TDigitalMeterThread() {
    stop();
}

bool TDigitalMeterThread::pass() {
    m_passes.fetch_add(1);
    // Not linked: clear the display once, then sleep like a linked thread.
    // (Clearing pass after pass, or keeping a reading's signal for a later
    // link, would keep a core and the window thread busy while unlinked.)
    if (!m_cleared && !m_state.isLinked())
        m_cleared = offer({});
    if (!awaitReading())
        return false; // shut down
    if (isTerminated())
        return false;
    if (!m_state.isLinked())
        return true; // published before the unlink: an unlinked display stays clear
    DigitalMeterShowing showing;
    {
        std::lock_guard lock(m_state.readingLock);
        showing.reading = m_state.reading;
    }
    m_state.analogUpdateEvent.set();
    m_state.comparatorUpdateEvent.set();
    // The toggle as it was at the last blink, unless it is time for the next.
    showing.iconToggle = !m_iconToggle;
    const auto now = std::chrono::steady_clock::now();
    if (now - m_lastBlink >= std::chrono::milliseconds(m_blinkInterval.load())) {
        showing.iconToggle = m_iconToggle;
        m_iconToggle = !m_iconToggle;
        m_lastBlink = now;
    }
    m_cleared = false;
    offer(std::move(showing));
    return true;
}

} // namespace ostrel
