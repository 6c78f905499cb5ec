#include "cli/live_link.h"

#include "base/string_table.h"
#include "cli/cable_access.h"
#include "link/hid_transport.h"

#include <iostream>

namespace ostrel::cli {

// The message of a meter that stays silent, on standard error; said once
// while a reconnecting link stays lost. It is the reason the link ends: the
// loss that follows is not told again.
class LiveLink::Notifier final : public LinkNotifier {
  public:
    explicit Notifier(LiveLink& link) : m_link(link) {}
    void showNoDataReceived(std::shared_ptr<NoticeReply> reply) override {
        if (!m_link.lost())
            std::cerr << NumberedCaption(kErrorCaption, kCableNotFoundText) << ": "
                      << kNoDataReceivedText << std::endl;
        m_link.m_noDataTold = true;
        reply->close();
    }

  private:
    LiveLink& m_link;
};

bool LiveLink::start(const CableChoice& cable, bool readings, bool reconnect) {
    std::string error;
    m_backend = MakeBackend(cable, &error);
    if (!m_backend) {
        std::cerr << error << std::endl;
        return false;
    }
    // Probe the cable as linking does, so that a missing cable is reported at once.
    bool denied = false;
    auto probe = OpenAdapter(*m_backend, kCableVendorId, kCableProductId, &denied);
    if (!probe) {
        std::cerr << CableNotFoundMessage(denied) << std::endl;
        return false;
    }
    m_cableSerial = probe->serialNumber();
    probe.reset();
    m_stopRequest = std::make_unique<StopRequest>([this] { raise(&LiveLink::m_stop); });
    // Each event of the link is forwarded by a thread that blocks on it.
    m_readings = readings;
    m_reconnect = reconnect;
    if (readings)
        m_forwarders.emplace_back([this] {
            while (m_state.newReadingEvent.wait())
                notify();
        });
    m_forwarders.emplace_back([this] {
        while (m_state.cableLostEvent.wait())
            raise(&LiveLink::m_lost);
    });
    m_notifier = std::make_unique<Notifier>(*this);
    startPolling();
    return true;
}

void LiveLink::startPolling() {
    m_thread = std::make_unique<TTarvixThread>(m_state, *m_backend, m_notifier.get());
}

void LiveLink::endPolling() {
    if (m_thread) {
        m_thread->terminate();
        m_state.acquisitionEndedEvent.wait();
        m_thread.reset();
    }
}

bool LiveLink::lost() {
    return m_lostSinceReading && m_state.publishedCount() == m_publishedAtLoss;
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
    const auto happened = [this] { return m_stop || m_lost || m_back || newReading(); };
    for (;;) {
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
            m_lost = false;
            lock.unlock();
            const bool saidAlready = lost();
            // A silent meter's message says why this link ended.
            if (!m_noDataTold.exchange(false) && !saidAlready)
                std::cerr << CableNotFoundMessage(false) << std::endl;
            if (!m_reconnect) {
                lock.lock();
                m_stop = true; // nothing more comes
                return Event::Lost;
            }
            m_publishedAtLoss = m_state.publishedCount();
            m_lostSinceReading = true;
            // The thread has ended by itself: take its end, then look for the cable.
            endPolling();
            m_watch = std::make_unique<CableReturnWatch>(*m_backend,
                                                         [this] { raise(&LiveLink::m_back); });
            if (!saidAlready)
                return Event::Lost;
            lock.lock();
            continue;
        }
        if (m_back) {
            m_back = false;
            lock.unlock();
            m_watch.reset();
            startPolling();
            return Event::Relinked;
        }
        return Event::Deadline;
    }
}

void LiveLink::stop() {
    m_watch.reset();
    endPolling();
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
