#pragma once
// HandOver: the one way a background thread has a routine run on the window
// thread. run() posts the routine through the poster given at construction
// (the window side queues it on the window thread, see
// base/ui/window_thread_hand_over.h) and blocks until the routine has
// finished there, like a synchronous call. Two ways out keep threads from
// waiting on each other forever:
// - cancel() releases a blocked run() at once and makes every later run()
//   return without posting; a routine that has not started by then never
//   runs. The window thread cancels before it joins the thread (an update
//   thread, the off-line watcher) or ends the program.
// - called from the window thread itself (when the owner can tell, through
//   the query given at construction), run() runs the routine at once.
//
// The live windows' update threads and the off-line watcher use it; long
// work with progress reports through queued signals instead.

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

namespace ostrel {

class HandOver {
  public:
    using Routine = std::function<void()>;
    using Poster = std::function<void(Routine)>;
    using ThreadQuery = std::function<bool()>;

    // onWindowThread: true when the calling thread is the window thread
    // (none: run() is never called from it).
    explicit HandOver(Poster post, ThreadQuery onWindowThread = {});

    HandOver(const HandOver&) = delete;
    HandOver& operator=(const HandOver&) = delete;

    // Run routine on the window thread and wait for its end. True when it ran
    // to its end (or threw there); false when the hand-over was cancelled
    // before the routine finished.
    bool run(Routine routine);

    // Release a waiting run() and refuse further ones. Any thread.
    void cancel();
    bool isCancelled() const;

  private:
    struct Sync {
        std::mutex mutex;
        std::condition_variable cv;
        bool cancelled = false;
    };

    Poster m_post;
    ThreadQuery m_onWindowThread;
    std::shared_ptr<Sync> m_sync;
};

} // namespace ostrel
