#pragma once
// How the acquisition thread tells the user that the meter stays silent.
//
// The thread hands the message to a LinkNotifier together with a NoticeReply
// and waits until the reply is closed or until its owner asks it to stop. A
// window implementation queues the message box onto the window thread and
// closes the reply when the user has closed the box; it must never make the
// acquisition thread wait for the window thread, because the window thread
// may itself be waiting for the acquisition thread to end.

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>

namespace ostrel {

// "No data received." has no number of its own; it is shown under the
// caption of the cable-not-found message.
inline constexpr const char* kNoDataReceivedText = "No data received.";
inline constexpr int kCableNotFoundText = 9015;

class NoticeReply {
  public:
    // The user has closed the message (any thread, any number of times).
    void close() { finish(m_closed); }
    // The waiter gives up waiting (its owner asked it to stop).
    void abandon() { finish(m_abandoned); }

    // Block until close() or abandon(); true when the message was closed.
    bool wait() {
        std::unique_lock lock(m_mutex);
        m_cv.wait(lock, [this] { return m_closed || m_abandoned; });
        return m_closed;
    }
    bool isClosed() const {
        std::lock_guard lock(m_mutex);
        return m_closed;
    }

  private:
    void finish(bool& flag) {
        {
            std::lock_guard lock(m_mutex);
            flag = true;
        }
        m_cv.notify_all();
    }

    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_closed = false;
    bool m_abandoned = false;
};

class LinkNotifier {
  public:
    virtual ~LinkNotifier() = default;
    // Show "No data received." under the caption Error[E9015] with an error
    // icon, and close reply once the user has closed it. May return at once
    // (the message goes to another thread, which closes the reply later) or
    // block until the message is gone and close the reply before returning.
    // The reply may outlive the acquisition thread; keep it, not the thread.
    virtual void showNoDataReceived(std::shared_ptr<NoticeReply> reply) = 0;
};

} // namespace ostrel
