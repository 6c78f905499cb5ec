// Synchronous calls from background threads onto the window thread, and
// their release at shutdown.
#include "base/ui/window_thread_call.h"

#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace ostrel {
namespace {

TEST(WindowThreadCall, RunsOnTheWindowThreadAndReturnsWhenDone) {
    WindowThreadCall calls;
    std::atomic<bool> returned{false};
    bool ranOnWindowThread = false;
    std::thread caller([&] {
        EXPECT_TRUE(
            calls.call([&] { ranOnWindowThread = QThread::currentThread() == calls.thread(); }));
        returned = true;
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return returned.load(); }, 5000));
    caller.join();
    EXPECT_TRUE(ranOnWindowThread);
}

TEST(WindowThreadCall, ShutdownReleasesAWaitingCallerAndRefusesLaterOnes) {
    WindowThreadCall calls;
    std::atomic<int> result{-1};
    std::thread caller([&] { result = calls.call([] {}) ? 1 : 0; });
    // The call is queued but the window thread does not run it.
    while (!calls.hasPending())
        std::this_thread::yield();
    calls.shutdown();
    caller.join();
    EXPECT_EQ(result, 0);
    QCoreApplication::processEvents(); // the queued run finds nothing to do
    EXPECT_FALSE(calls.call([] {}));
}

TEST(WindowThreadCall, FromTheWindowThreadItselfRunsAtOnce) {
    WindowThreadCall calls;
    int runs = 0;
    EXPECT_TRUE(calls.call([&] { ++runs; }));
    EXPECT_EQ(runs, 1);
}

} // namespace
} // namespace ostrel
