#pragma once
// Runs work of background threads on the window thread and lets the calling
// thread wait until it has run, like a synchronous call, but with two ways
// out that a plain blocking queued call lacks:
// - a window-thread routine that is itself waiting for a background thread
//   (the unlink waiting for the acquisition thread's end) runs the pending
//   calls while it waits, so neither side waits for the other forever;
// - shutdown() releases every waiting caller and refuses later calls, so
//   threads never block the end of the program.

#include <QObject>

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

namespace ostrel {

class WindowThreadCall : public QObject {
    Q_OBJECT
  public:
    explicit WindowThreadCall(QObject* parent = nullptr);
    ~WindowThreadCall() override;

    // Run work on the window thread and wait until it has run. From the window
    // thread itself the work runs at once. False when shut down before it ran.
    bool call(std::function<void()> work);

    // Window thread: run every call that waits now.
    void runPending();
    bool hasPending() const;

    // Release every waiting caller; later calls return false at once.
    void shutdown();
    bool isShutDown() const;

  private:
    struct Job {
        std::function<void()> work;
        bool started = false;
        bool done = false;
    };
    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    std::deque<std::shared_ptr<Job>> m_jobs;
    bool m_shutdown = false;
};

} // namespace ostrel
