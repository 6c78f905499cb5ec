#pragma once
// Synchronous hand-over of a routine from an update thread to the window
// thread: run() posts the routine through the poster given at construction
// (the window side queues it on the window thread) and blocks until the
// routine has finished there. cancel() releases a blocked run() at once and
// makes every later run() return without posting, so that a window thread
// which is itself waiting to join the update thread never deadlocks with it.
//
// A routine that was posted before the cancel may still run later on the
// window thread; it must therefore own (capture by value) everything it reads.

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

namespace ostrel {

class HandOver {
  public:
    using Routine = std::function<void()>;
    using Poster = std::function<void(Routine)>;

    explicit HandOver(Poster post);

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
    std::shared_ptr<Sync> m_sync;
};

} // namespace ostrel
