#pragma once
// LongWork: the one way the windows run long work (a file load, a save, a
// download) with progress and cancel. The work runs on a worker thread of its
// own and never touches a widget; what it reports reaches the window thread
// as queued calls, so the window keeps painting and its Abort button works.
//
// Two ways to wait for the end:
// - start(work, done): returns at once; done runs on the window thread after
//   the work has ended. The window's own event loop goes on meanwhile.
// - runLettingEvents(work): returns when the work has ended and lets the
//   window thread's events run in between. It is for the file loads whose
//   callers need the answer before they go on (the close query's save, a
//   load chosen from a dialog); it is the only place in the windows that
//   runs pending events itself.
//
// Progress: the work keeps done/total (and anything of its own, in atomics)
// and calls tell(); the window hears of it through progressed(), at most one
// queued notice at a time and at most every 20 ms unless told now. A run that
// is over, or was replaced by a newer one, reports nothing more.

#include <QObject>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

namespace ostrel {

class WorkProgress {
  public:
    // --- worker thread ---
    // Store done/total and tell the window.
    void report(std::int64_t done, std::int64_t total, bool now = false);
    // Something the window shows has changed; now skips the 20 ms pace.
    void tell(bool now = false);
    // Cancel was asked for: the work should end soon.
    bool cancelled() const { return m_cancelled.load(std::memory_order_relaxed); }

    // --- any thread ---
    std::int64_t done() const { return m_done.load(std::memory_order_relaxed); }
    std::int64_t total() const { return m_total.load(std::memory_order_relaxed); }

  private:
    friend class LongWork;
    std::function<void()> m_notify; // posts one notice to the window thread
    std::atomic<bool> m_cancelled{false};
    std::atomic<bool> m_noticeWaits{false};
    std::atomic<std::int64_t> m_lastNotice{0}; // steady clock ticks
    std::atomic<std::int64_t> m_done{0};
    std::atomic<std::int64_t> m_total{0};
};

class LongWork : public QObject {
    Q_OBJECT
  public:
    using Work = std::function<void(WorkProgress& progress)>;

    explicit LongWork(QObject* parent = nullptr);
    // Cancels a running work and waits for its end; its done does not run.
    ~LongWork() override;

    LongWork(const LongWork&) = delete;
    LongWork& operator=(const LongWork&) = delete;

    // Window thread. Start work on a worker thread; done runs on the window
    // thread after it ended (also when it was cancelled). False, and nothing
    // starts, while another work of this runner is under way.
    bool start(Work work, std::function<void()> done = {});
    // Window thread. Run work on a worker thread and return when it has ended,
    // letting the window thread's events run meanwhile. False when it could
    // not start or was cancelled.
    bool runLettingEvents(Work work);

    // Ask the running work to end (it sees progress.cancelled()).
    void cancel();
    bool running() const { return m_run != nullptr; }
    // The running work's progress (nullptr when none runs).
    const WorkProgress* progress() const;

  signals:
    // Window thread: the running work told of progress.
    void progressed();
    // Window thread: the work ended and its done has run.
    void finished();

  private:
    struct Run;
    void noticeProgress(const std::shared_ptr<Run>& run);
    void end(const std::shared_ptr<Run>& run);

    std::shared_ptr<Run> m_run;
};

} // namespace ostrel
