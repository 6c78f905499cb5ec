// Hand-overs from background threads onto the real window thread, and their
// release at shutdown.
#include "base/ui/window_thread_hand_over.h"

#include <QObject>
#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace ostrel {
namespace {

TEST(WindowThreadHandOver, RunsOnTheWindowThreadAndReturnsWhenDone) {
    QObject window;
    HandOver handOver(WindowThreadPoster(&window), OnThreadOf(&window));
    std::atomic<bool> returned{false};
    bool ranOnWindowThread = false;
    std::thread caller([&] {
        EXPECT_TRUE(
            handOver.run([&] { ranOnWindowThread = QThread::currentThread() == window.thread(); }));
        returned = true;
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return returned.load(); }, 5000));
    caller.join();
    EXPECT_TRUE(ranOnWindowThread);
}

TEST(WindowThreadHandOver, ShutdownReleasesAWaitingCallerAndRefusesLaterOnes) {
    QObject window;
    std::atomic<int> posted{0};
    HandOver handOver(
        [&](HandOver::Routine routine) {
            WindowThreadPoster (&window)(std::move(routine));
            ++posted;
        },
        OnThreadOf(&window));
    std::atomic<int> result{-1};
    bool ran = false;
    std::thread caller([&] { result = handOver.run([&] { ran = true; }) ? 1 : 0; });
    // The routine is queued but the window thread does not run it.
    while (posted == 0)
        std::this_thread::yield();
    handOver.cancel();
    caller.join();
    EXPECT_EQ(result, 0);
    QCoreApplication::processEvents(); // the queued routine finds itself cancelled
    EXPECT_FALSE(ran);
    EXPECT_FALSE(handOver.run([] {}));
}

TEST(WindowThreadHandOver, FromTheWindowThreadItselfRunsAtOnce) {
    QObject window;
    HandOver handOver(WindowThreadPoster(&window), OnThreadOf(&window));
    int runs = 0;
    EXPECT_TRUE(handOver.run([&] { ++runs; }));
    EXPECT_EQ(runs, 1);
}

} // namespace
} // namespace ostrel
