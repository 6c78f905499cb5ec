#pragma once
// An auto-reset event: set() wakes one waiter (or the next one to wait), and
// the event resets as it releases a waiter. shutdown() wakes every waiter for
// good, so that threads blocked on the event can end.

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace ostrel {

class AutoResetEvent {
  public:
    void set() {
        {
            std::lock_guard lock(m_mutex);
            m_signalled = true;
        }
        m_cv.notify_one();
    }

    // Wait until the event is set (true) or shut down (false).
    bool wait() {
        std::unique_lock lock(m_mutex);
        m_cv.wait(lock, [this] { return m_signalled || m_shutdown; });
        return consume();
    }

    // Wait at most timeout; true when the event was set within it.
    template <class Rep, class Period> bool waitFor(std::chrono::duration<Rep, Period> timeout) {
        std::unique_lock lock(m_mutex);
        m_cv.wait_for(lock, timeout, [this] { return m_signalled || m_shutdown; });
        return consume();
    }

    // Consume the signal if it is set, without waiting.
    bool tryWait() {
        std::lock_guard lock(m_mutex);
        return consume();
    }

    void shutdown() {
        {
            std::lock_guard lock(m_mutex);
            m_shutdown = true;
        }
        m_cv.notify_all();
    }

    bool isShutDown() const {
        std::lock_guard lock(m_mutex);
        return m_shutdown;
    }

  private:
    bool consume() {
        if (m_shutdown)
            return false;
        bool was = m_signalled;
        m_signalled = false;
        return was;
    }

    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_signalled = false;
    bool m_shutdown = false;
};

} // namespace ostrel
