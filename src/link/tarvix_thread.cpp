#include "link/tarvix_thread.h"

#include "link/frame_codec.h"
#include "link/hid_transport.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace ostrel {

TTarvixThread::TTarvixThread(AcquisitionState& state, HidBackend& backend, LinkNotifier* notifier,
                             LinkTimings timings)
    : m_state(state), m_backend(backend), m_notifier(notifier), m_timings(timings),
      m_thread([this] { execute(); }) {}

TTarvixThread::~TTarvixThread() {
    terminate();
    if (m_thread.joinable())
        m_thread.join();
}

void TTarvixThread::terminate() {
    std::lock_guard lock(m_stopMutex);
    m_terminated = true;
    if (m_device)
        m_device->interrupt();
    if (m_pendingNotice)
        m_pendingNotice->abandon();
    m_stopCv.notify_all();
}

bool TTarvixThread::isTerminated() const {
    std::lock_guard lock(m_stopMutex);
    return m_terminated;
}

void TTarvixThread::replaceDevice(std::unique_ptr<HidDevice> device) {
    std::unique_ptr<HidDevice> old;
    {
        std::lock_guard lock(m_stopMutex);
        old = std::move(m_device);
        m_device = std::move(device);
        if (m_terminated && m_device)
            m_device->interrupt();
    }
    // old closes here, outside the lock
}

void TTarvixThread::sleepUnlessTerminated(int milliseconds) {
    std::unique_lock lock(m_stopMutex);
    m_stopCv.wait_for(lock, std::chrono::milliseconds(milliseconds),
                      [this] { return m_terminated; });
}

// One display exchange: the request, then 27 bytes of input reports. Returns
// the last wait result; 0 when the whole answer is in buffer.
std::uint32_t TTarvixThread::poll(HidDevice* device, std::array<std::uint8_t, 36>& buffer) {
    if (!device)
        return kWaitFailed; // no cable was opened: nothing to wait for
    const std::uint8_t request[4] = {0x00, 0x00, 0x82, 0x66};
    device->write(request, sizeof request, m_timings.writeTimeoutMs); // result not needed

    std::size_t gathered = 0;
    int errorsInRow = 0;
    do {
        const int timeout =
            gathered == 0 ? m_timings.firstReportTimeoutMs : m_timings.nextReportTimeoutMs;
        const HidReadResult result =
            device->read(buffer.data() + gathered, kInputReportSize, timeout);
        if (result.wait != kWaitCompleted) {
            device->cancel();
            return result.wait;
        }
        if (!result.ok) {
            if (++errorsInRow >= kMaxErrorCompletions) {
                device->cancel();
                return kWaitFailed;
            }
            continue;
        }
        errorsInRow = 0;
        gathered += std::min(result.transferred, kInputReportSize);
    } while (gathered < 27);
    return kWaitCompleted;
}

void TTarvixThread::showNoDataReceived() {
    if (!m_notifier)
        return;
    auto reply = std::make_shared<NoticeReply>();
    {
        std::lock_guard lock(m_stopMutex);
        // Stopping already: the message is still shown, but not waited for.
        if (m_terminated)
            reply->abandon();
        else
            m_pendingNotice = reply;
    }
    m_notifier->showNoDataReceived(reply);
    reply->wait();
    std::lock_guard lock(m_stopMutex);
    m_pendingNotice.reset();
}

void TTarvixThread::execute() {
    replaceDevice(OpenAdapter(m_backend));
    int retryCount = 0;
    std::array<std::uint8_t, 36> buffer{};

    while (!isTerminated()) {
        buffer.fill(0);
        const std::uint32_t wait = poll(m_device.get(), buffer);

        if (wait != kWaitCompleted) {
            m_state.setLinkAlive(false);
            // A wait abandoned because the owner asked us to stop says nothing
            // about the meter: end without probing or reporting.
            if (wait == kWaitAbandoned && isTerminated())
                break;

            if (!OpenAdapter(m_backend)) { // the probe: is the cable still there?
                m_state.cableLostEvent.set();
                retryCount = 0;
                break;
            }
            if (++retryCount >= kFailuresBeforeNoData) {
                showNoDataReceived();
                m_state.cableLostEvent.set();
                retryCount = 0;
                break;
            }
            replaceDevice(nullptr);
            if (isTerminated())
                break;
            sleepUnlessTerminated(m_timings.reopenDelayMs);
            replaceDevice(OpenAdapter(m_backend));
            continue;
        }

        retryCount = 0;
        m_state.setLinkAlive(true);
        RawFrame raw;
        std::memcpy(raw.data(), buffer.data(), raw.size());
        MeterReading reading = DecodeFrame(raw);
        {
            std::lock_guard lock(m_state.readingLock);
            m_state.reading = std::move(reading);
            m_state.frame = raw;
            ++m_state.published;
        }
        m_state.newReadingEvent.set();
    }

    replaceDevice(nullptr);
    // The last act: the owner may destroy this object as soon as it sees the event.
    m_state.acquisitionEndedEvent.set();
}

} // namespace ostrel
