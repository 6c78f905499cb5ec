#include "displays/tone_player.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

using namespace ostrel;
using namespace std::chrono_literals;

namespace {

// A sound device that plays instantly (or, held, not before it is let go),
// and can be told to fail.
class FakeOutput : public ToneOutput {
  public:
    struct Log {
        std::mutex mutex;
        std::condition_variable cv;
        std::vector<int> played; // frequencies asked for, in order
        bool held = false;
        bool fails = false;
        int started = 0;
    };
    explicit FakeOutput(std::shared_ptr<Log> log) : m_log(std::move(log)) {}
    bool play(int frequencyHz, int) override {
        std::unique_lock lock(m_log->mutex);
        ++m_log->started;
        m_log->played.push_back(frequencyHz);
        m_log->cv.notify_all();
        m_log->cv.wait(lock, [&] { return !m_log->held; });
        return !m_log->fails;
    }

  private:
    std::shared_ptr<Log> m_log;
};

template <class Pred> bool WaitFor(Pred pred) {
    for (int i = 0; i < 2500; ++i) {
        if (pred())
            return true;
        std::this_thread::sleep_for(2ms);
    }
    return false;
}

} // namespace

TEST(ToneSamples, ASineOfTheAskedLengthFadedInAndOut) {
    const std::vector<std::int16_t> tone = SineTone(1047, 100, 48000);
    ASSERT_EQ(tone.size(), 4800u);
    EXPECT_EQ(tone.front(), 0);
    EXPECT_LE(std::abs(tone.back()), 200);
    int peak = 0;
    int crossings = 0;
    for (std::size_t i = 1; i < tone.size(); ++i) {
        peak = std::max(peak, std::abs(static_cast<int>(tone[i])));
        if ((tone[i - 1] < 0) != (tone[i] < 0))
            ++crossings;
    }
    EXPECT_GT(peak, 10000); // clearly audible, far from clipping
    EXPECT_LT(peak, 20000);
    EXPECT_NEAR(crossings, 2 * 1047 / 10, 3); // two per period over a tenth of a second
    EXPECT_TRUE(SineTone(0, 100, 48000).empty());
    EXPECT_TRUE(SineTone(523, 0, 48000).empty());
}

TEST(TonePlayerThread, TonesPlayOnTheirOwnThreadAndTheNewestWaitingOneWins) {
    auto log = std::make_shared<FakeOutput::Log>();
    log->held = true;
    std::atomic<int> beeps{0};
    TonePlayer player(std::make_unique<FakeOutput>(log), [&] { ++beeps; });
    player.playTone(1047, 100);
    ASSERT_TRUE(WaitFor([&] {
        std::lock_guard lock(log->mutex);
        return log->started == 1;
    }));
    // The device is busy with the first tone: asking returns at once, and
    // only the newest request waits.
    player.playTone(523, 100);
    player.playTone(1047, 100);
    player.playTone(523, 100);
    {
        std::lock_guard lock(log->mutex);
        log->held = false;
    }
    log->cv.notify_all();
    ASSERT_TRUE(WaitFor([&] { return player.tonesDone() == 2; }));
    std::this_thread::sleep_for(20ms);
    std::lock_guard lock(log->mutex);
    EXPECT_EQ(log->played, (std::vector<int>{1047, 523}));
    EXPECT_EQ(beeps.load(), 0);
}

TEST(TonePlayerThread, AFailingDeviceIsLeftAloneAndEachToneBeepsOnce) {
    auto log = std::make_shared<FakeOutput::Log>();
    log->fails = true;
    std::atomic<int> beeps{0};
    TonePlayer player(std::make_unique<FakeOutput>(log), [&] { ++beeps; });
    player.playTone(1047, 100);
    ASSERT_TRUE(WaitFor([&] { return player.tonesDone() == 1; }));
    player.playTone(523, 100);
    ASSERT_TRUE(WaitFor([&] { return player.tonesDone() == 2; }));
    EXPECT_EQ(beeps.load(), 2);
    std::lock_guard lock(log->mutex);
    EXPECT_EQ(log->started, 1); // not tried again after it failed
}

TEST(TonePlayerThread, BeepsInsteadOfTonesComeAtTheTonesPace) {
    // A meter beyond a limit asks for a tone with every reading, hundreds a
    // second; without a sound device the beeps follow the tones' length.
    auto log = std::make_shared<FakeOutput::Log>();
    log->fails = true;
    std::atomic<int> beeps{0};
    const auto start = std::chrono::steady_clock::now();
    {
        TonePlayer player(std::make_unique<FakeOutput>(log), [&] { ++beeps; });
        for (int i = 0; i < 100; ++i) {
            player.playTone(523, 50);
            std::this_thread::sleep_for(3ms);
        }
    }
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(beeps.load(), 1);
    EXPECT_LE(beeps.load(), elapsed / 50ms + 1);
}

TEST(TonePlayerThread, ABeepPauseHoldsTheNextToneAndNeverDropsIt) {
    // Without a sound device: a tone asked for within the pause after a beep
    // beeps once the pause is over, whether the thread was asleep without a
    // timer (the first pause) or kept the pause's timer (the ones after).
    auto log = std::make_shared<FakeOutput::Log>();
    log->fails = true;
    std::mutex mutex;
    std::vector<std::chrono::steady_clock::time_point> beeps;
    TonePlayer player(std::make_unique<FakeOutput>(log), [&] {
        std::lock_guard lock(mutex);
        beeps.push_back(std::chrono::steady_clock::now());
    });
    for (int tone = 1; tone <= 4; ++tone) {
        ASSERT_TRUE(WaitFor([&] { return player.tonesDone() == tone - 1; }));
        player.playTone(523, 40);
    }
    ASSERT_TRUE(WaitFor([&] { return player.tonesDone() == 4; }));
    // After a quiet spell, the next tone beeps too.
    std::this_thread::sleep_for(60ms);
    player.playTone(1047, 40);
    ASSERT_TRUE(WaitFor([&] { return player.tonesDone() == 5; }));
    std::lock_guard lock(mutex);
    ASSERT_EQ(beeps.size(), 5u);
    for (std::size_t i = 1; i < 4; ++i)
        EXPECT_GE(beeps[i] - beeps[i - 1], 40ms) << "beep " << i;
}

TEST(TonePlayerThread, EndingDropsAWaitingTone) {
    auto log = std::make_shared<FakeOutput::Log>();
    log->held = true;
    std::thread release;
    {
        TonePlayer player(std::make_unique<FakeOutput>(log), [] {});
        player.playTone(1047, 100);
        ASSERT_TRUE(WaitFor([&] {
            std::lock_guard lock(log->mutex);
            return log->started == 1;
        }));
        player.playTone(523, 100);
        release = std::thread([log] {
            std::this_thread::sleep_for(20ms);
            {
                std::lock_guard lock(log->mutex);
                log->held = false;
            }
            log->cv.notify_all();
        });
    } // waits for the tone in play, not for the one behind it
    release.join();
    std::lock_guard lock(log->mutex);
    EXPECT_EQ(log->played, (std::vector<int>{1047}));
}
