#include "base/hand_over.h"
#include "fake_window_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <memory>
#include <thread>

using namespace ostrel;
using ostrel::testing::FakeWindowThread;

TEST(HandOverThread, RunReturnsAfterTheRoutineRanOnTheWindowThread) {
    FakeWindowThread window;
    HandOver handOver(window.poster());
    std::thread::id ranOn;
    int value = 0;
    ASSERT_TRUE(handOver.run([&] {
        ranOn = std::this_thread::get_id();
        value = 42;
    }));
    EXPECT_EQ(value, 42); // visible right after run(): the call was synchronous
    EXPECT_NE(ranOn, std::this_thread::get_id());
}

TEST(HandOverThread, CancelReleasesARunWhoseWindowThreadNeverComes) {
    FakeWindowThread window(/*paused=*/true);
    auto handOver = std::make_unique<HandOver>(window.poster());
    auto result = std::async(std::launch::async, [&] { return handOver->run([] {}); });
    ASSERT_TRUE(window.waitPosted(1));
    handOver->cancel();
    EXPECT_FALSE(result.get());
    // Later runs give up at once without posting.
    EXPECT_FALSE(handOver->run([] {}));
    EXPECT_EQ(window.posted(), 1);
    // The held routine may still run after its HandOver is gone.
    handOver.reset();
    window.resume();
}

TEST(HandOverThread, ARoutineThatThrowsStillReleasesTheCaller) {
    std::exception_ptr caught;
    HandOver handOver([&](HandOver::Routine routine) {
        std::thread([&, routine = std::move(routine)] {
            try {
                routine();
            } catch (...) {
                caught = std::current_exception();
            }
        }).join();
    });
    EXPECT_TRUE(handOver.run([] { throw std::runtime_error("window step failed"); }));
    EXPECT_TRUE(caught != nullptr);
}
