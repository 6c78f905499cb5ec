// HandOver: a routine of a background thread run on the window thread.
#include "base/hand_over.h"

#include <utility>

namespace ostrel {

HandOver::HandOver(Poster post, ThreadQuery onWindowThread)
    : m_post(std::move(post)), m_onWindowThread(std::move(onWindowThread)),
      m_sync(std::make_shared<Sync>()) {}

bool HandOver::run(Routine routine) {
    // The completion flag and the sync block are shared with the posted call,
    // which may outlive this HandOver when it comes up after a cancel.
    auto sync = m_sync;
    auto done = std::make_shared<bool>(false); // guarded by sync->mutex
    {
        std::lock_guard lock(sync->mutex);
        if (sync->cancelled)
            return false;
    }
    if (m_onWindowThread && m_onWindowThread()) {
        routine();
        return true;
    }
    m_post([sync, done, routine = std::move(routine)] {
        {
            std::lock_guard lock(sync->mutex);
            if (sync->cancelled)
                return; // its caller has gone on without it
        }
        struct MarkDone {
            Sync& sync;
            bool& done;
            ~MarkDone() {
                {
                    std::lock_guard lock(sync.mutex);
                    done = true;
                }
                sync.cv.notify_all();
            }
        } mark{*sync, *done};
        routine();
    });
    std::unique_lock lock(sync->mutex);
    sync->cv.wait(lock, [&] { return *done || sync->cancelled; });
    return *done;
}

void HandOver::cancel() {
    {
        std::lock_guard lock(m_sync->mutex);
        m_sync->cancelled = true;
    }
    m_sync->cv.notify_all();
}

bool HandOver::isCancelled() const {
    std::lock_guard lock(m_sync->mutex);
    return m_sync->cancelled;
}

} // namespace ostrel
