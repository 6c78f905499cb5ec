#include "link/cable_return_watch.h"

#include "link/hid_transport.h"

namespace ostrel {

CableReturnWatch::CableReturnWatch(HidBackend& backend, std::function<void()> back,
                                   std::chrono::milliseconds interval)
    : m_backend(backend), m_back(std::move(back)), m_interval(interval),
      m_thread([this] { run(); }) {}

CableReturnWatch::~CableReturnWatch() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_cv.notify_all();
    m_thread.join();
}

void CableReturnWatch::run() {
    std::unique_lock lock(m_mutex);
    while (!m_cv.wait_for(lock, m_interval, [this] { return m_stop; })) {
        lock.unlock();
        const bool present = OpenAdapter(m_backend) != nullptr; // closed again at once
        lock.lock();
        if (present && !m_stop) {
            m_back();
            return;
        }
    }
}

} // namespace ostrel
