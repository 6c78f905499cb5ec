#include "displays/update_threads.h"
#include "fake_window_thread.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using namespace ostrel;
using namespace std::chrono_literals;
using ostrel::testing::FakeWindowThread;

namespace {

MeterReading Reading(const std::string& value, bool lowBattery = false) {
    MeterReading r;
    r.main.valueText = value;
    SetField(r.main.valueField, value);
    r.main.exponentText = "-3";
    r.main.function = 0x6;
    r.main.couplingText = "DC";
    SetField(r.main.firstLabelField, "m");
    SetField(r.main.secondLabelField, "V");
    r.lowBattery = lowBattery ? 1 : 0;
    return r;
}

void Publish(LiveState& state, const MeterReading& reading) {
    {
        std::lock_guard lock(state.readingLock);
        state.reading = reading;
    }
    state.newReadingEvent.set();
}

// What the window steps saw, filled on the fake window thread.
struct Seen {
    std::mutex mutex;
    std::condition_variable cv;
    std::vector<std::string> values;
    std::vector<bool> toggles;
    std::vector<bool> followersSignalled;
    int clears = 0;

    template <class Pred> bool waitFor(Pred pred) {
        std::unique_lock lock(mutex);
        return cv.wait_for(lock, 5s, [&] { return pred(*this); });
    }
};

struct DigitalRig {
    LiveState state;
    FakeWindowThread window;
    Seen seen;
    std::unique_ptr<TDigitalMeterThread> thread;

    explicit DigitalRig(bool linked, bool checkFollowers = true) {
        state.setLinked(linked);
        thread = std::make_unique<TDigitalMeterThread>(
            state, window.poster(),
            [this, checkFollowers](const MeterReading& r, bool toggle) {
                // The followers are woken before the window step runs.
                const bool signalled = checkFollowers && state.analogUpdateEvent.tryWait() &&
                                       state.comparatorUpdateEvent.tryWait();
                std::lock_guard lock(seen.mutex);
                seen.values.push_back(r.main.valueText);
                seen.toggles.push_back(toggle);
                seen.followersSignalled.push_back(signalled);
                seen.cv.notify_all();
            },
            [this] {
                std::lock_guard lock(seen.mutex);
                ++seen.clears;
                seen.cv.notify_all();
            });
    }
};

} // namespace

TEST(DigitalMeterThread, ShowsEachPublishedReadingAfterWakingTheFollowers) {
    DigitalRig rig(/*linked=*/true);
    Publish(rig.state, Reading("1.234"));
    ASSERT_TRUE(rig.seen.waitFor([](Seen& s) { return s.values.size() == 1; }));
    Publish(rig.state, Reading("5.678"));
    ASSERT_TRUE(rig.seen.waitFor([](Seen& s) { return s.values.size() == 2; }));
    Publish(rig.state, Reading("9.000"));
    ASSERT_TRUE(rig.seen.waitFor([](Seen& s) { return s.values.size() == 3; }));
    rig.thread->stop();
    std::lock_guard lock(rig.seen.mutex);
    EXPECT_EQ(rig.seen.values, (std::vector<std::string>{"1.234", "5.678", "9.000"}));
    // The icon blinks: 2, 8, 2.
    EXPECT_EQ(rig.seen.toggles, (std::vector<bool>{false, true, false}));
    EXPECT_EQ(rig.seen.followersSignalled, (std::vector<bool>{true, true, true}));
    EXPECT_EQ(rig.seen.clears, 0);
}

TEST(DigitalMeterThread, PacedToTheScreenItSkipsWhatNobodyCouldSeeButNotTheNewest) {
    // A fast meter: a reading every 2 ms, a screen of 25 frames a second.
    DigitalRig rig(/*linked=*/true);
    rig.thread->setFrameInterval(40ms);
    const auto begun = std::chrono::steady_clock::now();
    for (int i = 0; i < 150; ++i) {
        Publish(rig.state, Reading(std::to_string(i)));
        std::this_thread::sleep_for(2ms);
    }
    ASSERT_TRUE(
        rig.seen.waitFor([](Seen& s) { return !s.values.empty() && s.values.back() == "149"; }));
    const auto elapsed = std::chrono::steady_clock::now() - begun;
    // A rest covers the readings published during it: their signals wake no
    // second copy of the reading taken after it.
    std::this_thread::sleep_for(3 * 40ms);
    std::lock_guard lock(rig.seen.mutex);
    const auto& values = rig.seen.values;
    EXPECT_EQ(std::adjacent_find(values.begin(), values.end()), values.end());
    EXPECT_LE(rig.seen.values.size(), static_cast<std::size_t>(elapsed / 40ms) + 1);
    EXPECT_GE(rig.seen.values.size(), 2u);
    // Each shown reading woke the followers once.
    for (bool signalled : rig.seen.followersSignalled)
        EXPECT_TRUE(signalled);
}

TEST(DigitalMeterThread, StopEndsARestAtOnce) {
    DigitalRig rig(/*linked=*/true);
    rig.thread->setFrameInterval(std::chrono::minutes(1));
    Publish(rig.state, Reading("1.000"));
    ASSERT_TRUE(rig.seen.waitFor([](Seen& s) { return s.values.size() == 1; }));
    const auto begun = std::chrono::steady_clock::now();
    rig.thread->stop();
    EXPECT_LT(std::chrono::steady_clock::now() - begun, 10s);
}

TEST(DigitalMeterThread, UnlinkedClearsOnceSleepsAndPicksUpTheFirstReadingOfALink) {
    DigitalRig rig(/*linked=*/false);
    ASSERT_TRUE(rig.seen.waitFor([](Seen& s) { return s.clears == 1; }));
    std::this_thread::sleep_for(30ms);
    const long asleep = rig.thread->passes();
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(rig.thread->passes(), asleep); // no polling while unlinked
    {
        std::lock_guard lock(rig.seen.mutex);
        EXPECT_EQ(rig.seen.clears, 1);
        EXPECT_TRUE(rig.seen.values.empty());
    }
    rig.state.setLinked(true);
    Publish(rig.state, Reading("0.500"));
    ASSERT_TRUE(rig.seen.waitFor([](Seen& s) { return s.values.size() == 1; }));
    std::lock_guard lock(rig.seen.mutex);
    EXPECT_EQ(rig.seen.values.front(), "0.500");
}

TEST(DigitalMeterThread, AfterAnUnlinkTheFirstReadingOfTheNextLinkIsShown) {
    DigitalRig rig(/*linked=*/true);
    Publish(rig.state, Reading("1.000"));
    ASSERT_TRUE(rig.seen.waitFor([](Seen& s) { return s.values.size() == 1; }));
    rig.state.setLinked(false);
    std::this_thread::sleep_for(20ms);
    rig.state.setLinked(true);
    Publish(rig.state, Reading("2.000"));
    ASSERT_TRUE(rig.seen.waitFor([](Seen& s) { return s.values.size() == 2; }));
    std::lock_guard lock(rig.seen.mutex);
    EXPECT_EQ(rig.seen.values.back(), "2.000");
    EXPECT_LE(rig.seen.clears, 1); // at most the one clear on entering the unlinked state
}

TEST(DigitalMeterThread, AReadingPendingAtTheUnlinkIsDroppedAndTheThreadSleeps) {
    LiveState state;
    state.setLinked(true);
    FakeWindowThread window(/*paused=*/true); // a busy window thread
    std::atomic<int> shows{0};
    std::atomic<int> clears{0};
    TDigitalMeterThread thread(
        state, window.poster(), [&](const MeterReading&, bool) { ++shows; }, [&] { ++clears; });
    Publish(state, Reading("1.000"));
    ASSERT_TRUE(window.waitPosted(1)); // offered, not yet taken...
    for (int i = 0; i < 2500 && thread.passes() < 2; ++i)
        std::this_thread::sleep_for(2ms);
    ASSERT_GE(thread.passes(), 2);    // ...and the thread went on without waiting for it
    state.setLinked(false);           // the link ends...
    Publish(state, Reading("2.000")); // ...with a reading still on its way
    for (int i = 0; i < 2500 && thread.passes() < 3; ++i)
        std::this_thread::sleep_for(2ms);
    window.resume();
    for (int i = 0; i < 2500 && clears.load() == 0; ++i)
        std::this_thread::sleep_for(2ms);
    ASSERT_EQ(clears.load(), 1);
    std::this_thread::sleep_for(50ms);
    const long asleep = thread.passes();
    std::this_thread::sleep_for(1s);
    EXPECT_EQ(thread.passes(), asleep); // it used to loop here at full speed
    EXPECT_EQ(shows.load(), 0);         // the clear replaced the reading not yet shown
    EXPECT_EQ(window.posted(), 1);      // one notice for both

    state.setLinked(true);
    Publish(state, Reading("3.000"));
    for (int i = 0; i < 2500 && shows.load() < 1; ++i)
        std::this_thread::sleep_for(2ms);
    EXPECT_EQ(shows.load(), 1);
    EXPECT_EQ(clears.load(), 1);
}

TEST(DigitalMeterThread, StopEndsAThreadBlockedInItsWait) {
    DigitalRig rig(/*linked=*/true);
    std::this_thread::sleep_for(10ms);
    rig.thread->stop(); // returns: the thread was woken
    std::lock_guard lock(rig.seen.mutex);
    EXPECT_TRUE(rig.seen.values.empty());
}

TEST(DigitalMeterThread, StopEndsAThreadWhoseWindowThreadNeverTakes) {
    LiveState state;
    state.setLinked(true);
    FakeWindowThread window(/*paused=*/true); // never gets to the routine
    TDigitalMeterThread thread(
        state, window.poster(), [](const MeterReading&, bool) {}, [] {});
    Publish(state, Reading("1.000"));
    ASSERT_TRUE(window.waitPosted(1));
    thread.stop(); // the caller plays the window thread joining its update thread
    EXPECT_TRUE(thread.isTerminated());
}

TEST(DigitalMeterThread, ShutDownEventsEndTheThread) {
    DigitalRig linked(/*linked=*/true);
    DigitalRig unlinked(/*linked=*/false);
    linked.state.shutdownEvents();
    unlinked.state.shutdownEvents();
    linked.thread->join(); // would hang if the thread kept waiting
    unlinked.thread->join();
}

namespace {

template <class Copy> struct FollowerSeen {
    std::mutex mutex;
    std::condition_variable cv;
    std::vector<Copy> copies;
};

} // namespace

TEST(FollowerThread, AnalogCopiesTheMainDisplayWhileItsWindowShows) {
    LiveState state;
    FakeWindowThread window;
    std::atomic<bool> showing{true};
    FollowerSeen<AnalogCopy> seen;
    TAnalogMeterThread thread(
        state, window.poster(), [&] { return showing.load(); },
        [&](const AnalogCopy& c) {
            std::lock_guard lock(seen.mutex);
            seen.copies.push_back(c);
            seen.cv.notify_all();
        });
    {
        std::lock_guard lock(state.readingLock);
        state.reading = Reading("-0.500");
        state.reading.main.negative = 1;
    }
    state.analogUpdateEvent.set();
    {
        std::unique_lock lock(seen.mutex);
        ASSERT_TRUE(seen.cv.wait_for(lock, 5s, [&] { return seen.copies.size() == 1; }));
        const AnalogCopy& c = seen.copies.front();
        EXPECT_TRUE(c.negative);
        EXPECT_EQ(c.valueText, "-0.500");
        EXPECT_EQ(c.firstLabel, "m");
        EXPECT_EQ(c.secondLabel, "V");
        EXPECT_EQ(c.function, 0x6);
    }
    // Hidden or minimised: the wake-up is consumed, nothing is handed over.
    showing = false;
    const int posted = window.posted();
    state.analogUpdateEvent.set();
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(window.posted(), posted);
    EXPECT_FALSE(state.analogUpdateEvent.tryWait());
    thread.stop();
}

TEST(FollowerThread, ComparatorCopiesValueExponentAndFunctionAndStopsWhenBlocked) {
    LiveState state;
    FakeWindowThread window(/*paused=*/true);
    TComparatorThread thread(
        state, window.poster(), [] { return true; }, [](const ComparatorCopy&) {});
    state.comparatorUpdateEvent.set();
    ASSERT_TRUE(window.waitPosted(1));
    thread.stop(); // blocked in the hand-over: released by the stop

    const ComparatorCopy c = CopyForComparator(Reading("1.000"));
    EXPECT_EQ(c.valueText, "1.000");
    EXPECT_EQ(c.exponentText, "-3");
    EXPECT_EQ(c.function, 0x6);
    EXPECT_FALSE(c.negative);
}

TEST(FollowerThread, FollowersSeeNothingWhileTheDigitalMeterThreadIsStopped) {
    LiveState state;
    state.setLinked(true);
    FakeWindowThread window;
    std::atomic<int> updates{0};
    TComparatorThread comparator(
        state, window.poster(), [] { return true; }, [&](const ComparatorCopy&) { ++updates; });
    Publish(state, Reading("1.000"));
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(updates.load(), 0);
    {
        TDigitalMeterThread digital(
            state, window.poster(), [](const MeterReading&, bool) {}, [] {});
        for (int i = 0; i < 500 && updates.load() == 0; ++i)
            std::this_thread::sleep_for(2ms);
        EXPECT_EQ(updates.load(), 1);
    }
    comparator.stop();
}
