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
// The off-line watcher uses it; the live windows' update threads hand their
// copies over through a NewestHandOver (below), which never waits; long work
// with progress reports through queued signals instead.

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

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

// NewestHandOver: a stream of values from one background thread to the
// window thread, where the newest wins. offer() stores the value in place of
// one the window thread has not taken yet and returns at once: it never waits
// for the window thread. It posts a notice (through the same poster as a
// HandOver) only when the window side is not already going to look: at most
// one notice is ever pending, and none while the receiver keeps taking.
//
// The receiver takes with deliverNewest(), which runs the deliver step with
// the newest value. A receiver given no notice of its own has every notice
// take and deliver at once. A receiver with a notice (say, one that asks for
// the next frame) promises to call deliverNewest() again after each call that
// delivered something; no notice is posted until a call finds nothing new.
// So a value offered is always delivered, and the last one of a burst last.
//
// cancel() makes every later offer() and deliverNewest() do nothing; a notice
// still queued then does nothing either. The deliver step and the notice are
// only ever run on the window thread (or on the receiver's thread).
template <class Value> class NewestHandOver {
  public:
    using Deliver = std::function<void(const Value&)>;
    using Notice = std::function<void()>;

    NewestHandOver(HandOver::Poster post, Deliver deliver, Notice notice = {})
        : m_post(std::move(post)), m_shared(std::make_shared<Shared>()) {
        m_shared->deliver = std::move(deliver);
        m_shared->notice = std::move(notice);
    }
    NewestHandOver(const NewestHandOver&) = delete;
    NewestHandOver& operator=(const NewestHandOver&) = delete;

    // Store value as the newest; post a notice when the receiver is not
    // looking already. False (and nothing stored) once cancelled. The one
    // producer thread only.
    bool offer(Value value) {
        {
            std::lock_guard lock(m_shared->mutex);
            if (m_shared->cancelled)
                return false;
            m_shared->newest = std::move(value);
            if (m_shared->looking)
                return true;
            m_shared->looking = true;
        }
        // The notice holds the shared block, not this object: it may run (and
        // find itself cancelled) after this object has gone.
        m_post([shared = m_shared] {
            if (shared->isCancelled())
                return;
            if (shared->notice)
                shared->notice();
            else
                while (shared->deliverNewest()) {
                }
        });
        return true;
    }

    // Deliver the newest value not yet delivered: true when there was one.
    // False also means that the next offer posts a notice again. Receiver's
    // thread.
    bool deliverNewest() { return m_shared->deliverNewest(); }

    // True when a value waits to be delivered. When none does, the receiver
    // stops looking, as after a deliverNewest() that found nothing: the next
    // offer posts a notice again. Receiver's thread.
    bool holdsNewest() {
        std::lock_guard lock(m_shared->mutex);
        if (m_shared->cancelled)
            return false;
        if (m_shared->newest)
            return true;
        m_shared->looking = false;
        return false;
    }

    // Refuse further offers and deliveries. Any thread.
    void cancel() {
        std::lock_guard lock(m_shared->mutex);
        m_shared->cancelled = true;
        m_shared->newest.reset();
    }
    bool isCancelled() const { return m_shared->isCancelled(); }

  private:
    struct Shared {
        std::mutex mutex;
        std::optional<Value> newest; // guarded by mutex
        bool looking = false;        // guarded by mutex: the receiver will take again
        bool cancelled = false;      // guarded by mutex
        Deliver deliver;
        Notice notice;

        bool isCancelled() {
            std::lock_guard lock(mutex);
            return cancelled;
        }
        bool deliverNewest() {
            std::optional<Value> value;
            {
                std::lock_guard lock(mutex);
                if (cancelled)
                    return false;
                if (!newest) {
                    looking = false;
                    return false;
                }
                value.swap(newest);
            }
            deliver(*value);
            return true;
        }
    };

    HandOver::Poster m_post;
    std::shared_ptr<Shared> m_shared;
};

} // namespace ostrel
