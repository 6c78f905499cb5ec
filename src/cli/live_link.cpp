#include "cli/live_link.h"

#include "base/string_table.h"
#include "cli/cable_access.h"
#include "link/hid_transport.h"

#include <iostream>

namespace ostrel::cli {
namespace {

// The message of a meter that stays silent, on standard error. It is the
// reason the link ends: the loss that follows is not told again.
class StderrNotifier final : public LinkNotifier {
  public:
    explicit StderrNotifier(std::atomic<bool>& told) : m_told(told) {}
    void showNoDataReceived(std::shared_ptr<NoticeReply> reply) override {
        std::cerr << NumberedCaption(kErrorCaption, kCableNotFoundText) << ": "
                  << kNoDataReceivedText << std::endl;
        m_told = true;
        reply->close();
    }

  private:
    std::atomic<bool>& m_told;
};

} // namespace

bool LiveLink::start(const std::optional<std::string>& simulation, bool readings) {
    std::string error;
    m_backend = MakeBackend(simulation, &error);
    if (!m_backend) {
        std::cerr << error << std::endl;
        return false;
    }
    // Probe the cable as linking does, so that a missing cable is reported at once.
    bool denied = false;
    if (!OpenAdapter(*m_backend, kCableVendorId, kCableProductId, &denied)) {
        std::cerr << CableNotFoundMessage(denied) << std::endl;
        return false;
    }
    m_stopRequest = std::make_unique<StopRequest>([this] { raise(&LiveLink::m_stop); });
    // Each event of the link is forwarded by a thread that blocks on it.
    m_readings = readings;
    if (readings)
        m_forwarders.emplace_back([this] {
            while (m_state.newReadingEvent.wait())
                notify();
        });
    m_forwarders.emplace_back([this] {
        while (m_state.cableLostEvent.wait())
            raise(&LiveLink::m_lost);
    });
    m_notifier = std::make_unique<StderrNotifier>(m_endTold);
    m_thread = std::make_unique<TTarvixThread>(m_state, *m_backend, m_notifier.get());
    return true;
}

void LiveLink::raise(bool LiveLink::*flag) {
    {
        std::lock_guard lock(m_mutex);
        this->*flag = true;
    }
    m_cv.notify_all();
}

void LiveLink::notify() {
    { std::lock_guard lock(m_mutex); }
    m_cv.notify_all();
}

// Counted, not flagged: a reading published before the link was lost is
// seen even when its event is forwarded after the loss.
bool LiveLink::newReading() {
    return m_readings && m_state.publishedCount() != m_handedOut;
}

LiveLink::Event LiveLink::wait(std::optional<std::chrono::steady_clock::time_point> deadline) {
    std::unique_lock lock(m_mutex);
    const auto happened = [this] { return m_stop || m_lost || newReading(); };
    if (deadline)
        m_cv.wait_until(lock, *deadline, happened);
    else
        m_cv.wait(lock, happened);
    if (m_stop)
        return Event::Stop;
    // A reading that came before the link was lost is still handed out.
    if (newReading()) {
        m_handedOut = m_state.publishedCount();
        return Event::Reading;
    }
    if (m_lost) {
        if (!m_endTold) {
            lock.unlock();
            std::cerr << CableNotFoundMessage(false) << std::endl;
            lock.lock();
        }
        m_lost = false; // said once
        m_stop = true;  // and nothing more comes
        return Event::Lost;
    }
    return Event::Deadline;
}

void LiveLink::stop() {
    if (m_thread) {
        m_thread->terminate();
        m_state.acquisitionEndedEvent.wait();
        m_thread.reset();
    }
    m_state.shutdownEvents(); // ends the forwarders
    for (std::thread& forwarder : m_forwarders)
        forwarder.join();
    m_forwarders.clear();
}

LiveLink::~LiveLink() {
    stop();
    m_stopRequest.reset();
}

} // namespace ostrel::cli
