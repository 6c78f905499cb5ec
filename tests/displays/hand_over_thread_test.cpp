#include "base/hand_over.h"
#include "fake_window_thread.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <thread>
#include <vector>

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

// Many values from a producer to a window thread that is now quick, now slow:
// whether the window takes at each notice, at frames of its own, or at every
// third frame only (holding the others back, as a readout does), it sees the
// values in order, never one twice, and always the last one; the producer
// never waits, and the window is notified at most once per value it takes.
TEST(NewestHandOverThread, TheLastOfManyValuesAlwaysArrivesInOrder) {
    for (const int mode : {0, 1, 2}) {
        const bool frames = mode > 0;
        const bool holding = mode == 2;
        SCOPED_TRACE(holding  ? "taken at every third frame"
                     : frames ? "taken at frames"
                              : "taken at each notice");
        int frameCount = 0; // window thread only
        constexpr int kValues = 20000;
        auto window = std::make_unique<FakeWindowThread>();
        const HandOver::Poster post = window->poster();
        std::vector<int> seen; // window thread only, until the end
        std::atomic<int> last{-1};
        std::atomic<int> notices{0};
        std::unique_ptr<NewestHandOver<int>> handOver;
        std::function<void()> frame = [&] {
            std::this_thread::sleep_for(std::chrono::microseconds(300));
            const bool take = !holding || ++frameCount % 3 == 0;
            // Another frame while values come (or while one waits).
            if (take ? handOver->deliverNewest() : handOver->holdsNewest())
                post(frame);
        };
        NewestHandOver<int>::Notice notice;
        if (frames)
            notice = [&] {
                ++notices;
                post(frame);
            };
        handOver = std::make_unique<NewestHandOver<int>>(
            post,
            [&](const int& value) {
                if (!frames)
                    ++notices; // each notice delivers at least one
                seen.push_back(value);
                if (value % 97 == 0) // now and then a slow window thread
                    std::this_thread::sleep_for(std::chrono::microseconds(500));
                last = value;
            },
            notice);
        for (int i = 0; i < kValues; ++i) {
            ASSERT_TRUE(handOver->offer(i));
            if (i % 1000 == 999) // a pause between bursts
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        for (int i = 0; i < 2500 && last.load() != kValues - 1; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        ASSERT_EQ(last.load(), kValues - 1);
        handOver->cancel(); // nothing runs after this
        EXPECT_FALSE(handOver->offer(kValues));
        window.reset(); // ends the window thread before what its routines use
        ASSERT_FALSE(seen.empty());
        EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
        EXPECT_EQ(std::adjacent_find(seen.begin(), seen.end()), seen.end()); // none twice
        EXPECT_EQ(seen.back(), kValues - 1);
        EXPECT_LT(seen.size(), static_cast<std::size_t>(kValues)); // the slow ones were skipped
        if (frames) {
            EXPECT_LE(notices.load(), static_cast<int>(seen.size()));
        }
    }
}
