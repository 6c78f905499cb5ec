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

UpdateThread::UpdateThread(AutoResetEvent& wakeEvent, HandOver::Poster post)
    : m_wakeEvent(wakeEvent), m_handOver(std::move(post)) {}

UpdateThread::~UpdateThread() {
    stop();
}

void UpdateThread::start(std::function<bool()> pass) {
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
    m_handOver.cancel();
}

bool UpdateThread::handOver(HandOver::Routine routine) {
    const auto begun = std::chrono::steady_clock::now();
    const bool ran = m_handOver.run(std::move(routine));
    if (ran)
        restUntil(begun + frameInterval());
    return ran;
}

void UpdateThread::restUntil(std::chrono::steady_clock::time_point end) {
    std::unique_lock lock(m_restMutex);
    m_rest.wait_until(lock, end, [this] { return isTerminated(); });
}

void UpdateThread::join() {
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id())
        m_thread.join();
}

TDigitalMeterThread::TDigitalMeterThread(LiveState& state, HandOver::Poster post, ShowStep show,
                                         ClearStep clear)
    : UpdateThread(state.newReadingEvent, std::move(post)), m_state(state), m_show(std::move(show)),
      m_clear(std::move(clear)) {
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
        m_cleared = handOver(m_clear);
    if (!m_state.newReadingEvent.wait())
        return false; // shut down
    if (isTerminated())
        return false;
    if (!m_state.isLinked())
        return true; // published before the unlink: an unlinked display stays clear
    {
        std::lock_guard lock(m_state.readingLock);
        m_copy = m_state.reading;
    }
    m_state.analogUpdateEvent.set();
    m_state.comparatorUpdateEvent.set();
    // The toggle as it was at the last blink, unless it is time for the next.
    bool toggle = !m_iconToggle;
    const auto now = std::chrono::steady_clock::now();
    if (now - m_lastBlink >= std::chrono::milliseconds(m_blinkInterval.load())) {
        toggle = m_iconToggle;
        m_iconToggle = !m_iconToggle;
        m_lastBlink = now;
    }
    m_cleared = false;
    handOver([show = m_show, copy = m_copy, toggle] { show(copy, toggle); });
    return true;
}

} // namespace ostrel
