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
    m_handOver.cancel();
}

void UpdateThread::join() {
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id())
        m_thread.join();
}

TDigitalMeterThread::TDigitalMeterThread(AcquisitionState& state, HandOver::Poster post,
                                         ShowStep show, ClearStep clear,
                                         std::chrono::milliseconds idlePause)
    : UpdateThread(state.newReadingEvent, std::move(post)), m_state(state), m_show(std::move(show)),
      m_clear(std::move(clear)), m_idlePause(idlePause) {
    start([this] { return pass(); });
}

TDigitalMeterThread::~TDigitalMeterThread() {
    stop();
}

bool TDigitalMeterThread::pass() {
    if (m_state.isLinked()) {
        if (!m_state.newReadingEvent.wait())
            return false; // shut down
        if (isTerminated())
            return false;
        {
            std::lock_guard lock(m_state.readingLock);
            m_copy = m_state.reading;
        }
        m_state.analogUpdateEvent.set();
        m_state.comparatorUpdateEvent.set();
        const bool toggle = m_iconToggle;
        m_iconToggle = !m_iconToggle;
        m_cleared = false;
        handOver([show = m_show, copy = m_copy, toggle] { show(copy, toggle); });
        return true;
    }
    // Not linked: clear the display once, then sleep until a reading arrives
    // or the pause is over, and look at linked again. (Clearing pass after
    // pass without a pause would keep a core and the window thread busy.)
    if (!m_cleared)
        m_cleared = handOver(m_clear);
    if (m_state.newReadingEvent.waitFor(m_idlePause)) {
        m_state.newReadingEvent.set(); // keep the signal for the linked pass
    } else if (m_state.newReadingEvent.isShutDown()) {
        return false;
    }
    return true;
}

} // namespace ostrel
