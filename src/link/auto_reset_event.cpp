#include "link/auto_reset_event.h"

#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <ctime>

namespace ostrel {
namespace {

static_assert(sizeof(std::atomic<std::uint32_t>) == sizeof(std::uint32_t));

// Sleep while *word holds expected, at most until the absolute monotonic time
// at (none: no limit). Returns on a wake, a change, a signal or the limit;
// the caller looks at the word again.
void FutexWait(std::atomic<std::uint32_t>& word, std::uint32_t expected, const timespec* at) {
    syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(&word),
            FUTEX_WAIT_BITSET | FUTEX_PRIVATE_FLAG, expected, at, nullptr, FUTEX_BITSET_MATCH_ANY);
}

void FutexWake(std::atomic<std::uint32_t>& word, int count) {
    syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(&word), FUTEX_WAKE | FUTEX_PRIVATE_FLAG,
            count, nullptr, nullptr, 0);
}

} // namespace

void AutoResetEvent::set() {
    m_state.fetch_or(kSignalled);
    // A waiter counts itself before it looks at the state: either it sees
    // the signal, or it is counted here and woken.
    if (m_waiters.load() != 0)
        FutexWake(m_state, 1);
}

bool AutoResetEvent::tryWait() {
    std::uint32_t state = m_state.load();
    while ((state & kShutDown) == 0 && (state & kSignalled) != 0)
        if (m_state.compare_exchange_weak(state, state & ~kSignalled))
            return true;
    return false;
}

void AutoResetEvent::shutdown() {
    m_state.fetch_or(kShutDown);
    if (m_waiters.load() != 0)
        FutexWake(m_state, INT_MAX);
}

bool AutoResetEvent::waitUntil(const std::chrono::steady_clock::time_point* deadline) {
    timespec at{};
    if (deadline) {
        // steady_clock is CLOCK_MONOTONIC, the clock FUTEX_WAIT_BITSET measures by.
        const auto since = deadline->time_since_epoch();
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(since);
        at.tv_sec = static_cast<time_t>(seconds.count());
        at.tv_nsec = static_cast<long>(
            std::chrono::duration_cast<std::chrono::nanoseconds>(since - seconds).count());
    }
    for (;;) {
        if (tryWait())
            return true;
        if (isShutDown())
            return false;
        if (deadline && std::chrono::steady_clock::now() >= *deadline)
            return false;
        m_waiters.fetch_add(1);
        const std::uint32_t state = m_state.load();
        // Sleep only while neither set nor shut down; a set() after this load
        // changes the word, so the sleep returns at once.
        if ((state & (kSignalled | kShutDown)) == 0)
            FutexWait(m_state, state, deadline ? &at : nullptr);
        m_waiters.fetch_sub(1);
    }
}

} // namespace ostrel
