#pragma once
// An auto-reset event: set() wakes one waiter (or the next one to wait), and
// the event resets as it releases a waiter. shutdown() wakes every waiter for
// good, so that threads blocked on the event can end.
//
// The event is one atomic word that waiters sleep on with the kernel's futex,
// not a mutex and condition variable: the C library's condition variable can
// lose a signal under a fast stream of set() calls (its waiter then sleeps
// with the event set), which stalled a live window and hung the join at
// shutdown.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>

namespace ostrel {

class AutoResetEvent {
  public:
    void set();

    // Wait until the event is set (true) or shut down (false).
    bool wait() { return waitUntil(nullptr); }

    // Wait at most timeout; true when the event was set within it.
    template <class Rep, class Period> bool waitFor(std::chrono::duration<Rep, Period> timeout) {
        const auto deadline = std::chrono::steady_clock::now() +
                              std::chrono::ceil<std::chrono::steady_clock::duration>(
                                  std::max(timeout, std::chrono::duration<Rep, Period>::zero()));
        return waitUntil(&deadline);
    }

    // Consume the signal if it is set, without waiting.
    bool tryWait();

    void shutdown();

    bool isShutDown() const { return (m_state.load() & kShutDown) != 0; }

  private:
    static constexpr std::uint32_t kSignalled = 1;
    static constexpr std::uint32_t kShutDown = 2;

    // Wait until the event is set or shut down, or until *deadline when one
    // is given; consume the signal.
    bool waitUntil(const std::chrono::steady_clock::time_point* deadline);

    std::atomic<std::uint32_t> m_state{0};
    std::atomic<std::uint32_t> m_waiters{0}; // threads in or about to enter a sleep
};

} // namespace ostrel
