#include "link/auto_reset_event.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

namespace ostrel {
namespace {

using namespace std::chrono_literals;

TEST(AutoResetEventThreads, ASignalReleasesOneWaitAndAShutdownEndsEveryWait) {
    AutoResetEvent event;
    EXPECT_FALSE(event.tryWait());
    EXPECT_FALSE(event.waitFor(1ms));
    event.set();
    event.set(); // a second set before anyone waits is the same signal
    EXPECT_TRUE(event.waitFor(-5ms));
    EXPECT_FALSE(event.tryWait());

    // A waiter that is asleep is woken; so are all of them by a shutdown,
    // and a signal left set does not count once the event is shut down.
    auto woken = std::async(std::launch::async, [&] { return event.wait(); });
    std::this_thread::sleep_for(5ms);
    event.set();
    EXPECT_TRUE(woken.get());
    auto first = std::async(std::launch::async, [&] { return event.wait(); });
    auto second = std::async(std::launch::async, [&] { return event.waitFor(1h); });
    event.set();
    std::this_thread::sleep_for(5ms);
    event.shutdown();
    EXPECT_NE(first.get(), second.get()); // one took the signal, the other the shutdown
    EXPECT_TRUE(event.isShutDown());
    event.set();
    EXPECT_FALSE(event.wait());
    EXPECT_FALSE(event.tryWait());
}

// The live windows' chain: a fast stream of set() calls, each after a new
// value, and a waiter that must always come to see the last value. A lost
// wake-up leaves the waiter asleep with the event set.
TEST(AutoResetEventThreads, AFastStreamNeverLeavesTheWaiterAsleep) {
    constexpr int kLast = 200000;
    AutoResetEvent event;
    std::atomic<int> value{0};
    auto waiter = std::async(std::launch::async, [&] {
        while (event.wait())
            if (value.load() == kLast)
                return true;
        return false;
    });
    for (int i = 1; i <= kLast; ++i) {
        value.store(i);
        event.set();
    }
    // Generous: the stream takes milliseconds. Shutting down lets the test
    // end, and fail, if the waiter slept through the last signal.
    const bool saw = waiter.wait_for(60s) == std::future_status::ready;
    event.shutdown();
    EXPECT_TRUE(saw);
    EXPECT_TRUE(waiter.get());
}

} // namespace
} // namespace ostrel
