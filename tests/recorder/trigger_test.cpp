// Start and stop conditions: random runs of values against a plain reference
// of what should be recorded, and the conditions of the clock on a fixed day.
#include "recorder/trigger.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <random>
#include <vector>

namespace ostrel {
namespace {

using namespace std::chrono_literals;

// The positions recorded from values, worked out directly from the wording:
// the start is the first value beyond a start level after one that was not;
// up to K values before it are kept; the run ends with the Nth value from the
// start or with the first value beyond a stop level after one that was not,
// both counted from the start on.
std::vector<int> ReferenceRecorded(const std::vector<double>& v, const TriggerSettings& s) {
    const int n = static_cast<int>(v.size());
    int start = s.waitsForStart() ? -1 : 0;
    for (int i = 1; i < n && start < 0; ++i) {
        const bool up = s.startAbove && v[i] > *s.startAbove && !(v[i - 1] > *s.startAbove);
        const bool down = s.startBelow && v[i] < *s.startBelow && !(v[i - 1] < *s.startBelow);
        if (up || down)
            start = i;
    }
    std::vector<int> kept;
    if (start < 0)
        return kept;
    for (int i = std::max(0, start - static_cast<int>(s.preSamples)); i < n; ++i) {
        kept.push_back(i);
        if (i < start)
            continue;
        const bool counted = s.stopCount > 0 && i - start + 1 == s.stopCount;
        const bool up =
            i > start && s.stopAbove && v[i] > *s.stopAbove && !(v[i - 1] > *s.stopAbove);
        const bool down =
            i > start && s.stopBelow && v[i] < *s.stopBelow && !(v[i - 1] < *s.stopBelow);
        if (counted || up || down)
            break;
    }
    return kept;
}

RecordPair PairOf(double value, int position) {
    RecordPair pair;
    pair.main.value = static_cast<float>(value);
    pair.main.function = static_cast<std::uint32_t>(position); // tells the pairs apart
    return pair;
}

TEST(TriggerTest, RandomRunsRecordWhatTheReferenceSays) {
    std::mt19937 random(20240611);
    const auto pick = [&](int lo, int hi) { return std::uniform_int_distribution(lo, hi)(random); };
    const auto maybeLevel = [&]() -> std::optional<double> {
        return pick(0, 2) == 0 ? std::nullopt : std::optional<double>(pick(-3, 3));
    };
    for (int run = 0; run < 3000; ++run) {
        TriggerSettings s;
        s.startAbove = maybeLevel();
        s.startBelow = maybeLevel();
        s.preSamples = s.waitsForStart() ? pick(0, 6) : 0;
        s.stopCount = pick(0, 1) ? pick(1, 25) : 0;
        s.stopAbove = maybeLevel();
        s.stopBelow = maybeLevel();
        // Small whole values, so that values equal to a level come often.
        std::vector<double> values(static_cast<std::size_t>(pick(0, 60)));
        for (double& value : values)
            value = pick(-4, 4);

        const WallClock::time_point t0{};
        TriggeredSampler sampler(s, t0);
        std::vector<int> recorded;
        bool ended = false;
        for (std::size_t i = 0; i < values.size() && !ended; ++i) {
            const auto verdict =
                sampler.offer(PairOf(values[i], static_cast<int>(i)), t0 + i * 500ms,
                              [&](const RecordPair& pair) {
                                  recorded.push_back(static_cast<int>(pair.main.function));
                              });
            ended = verdict.ends;
            EXPECT_EQ(ended, sampler.state().phase() == TriggerPhase::Ended);
        }
        ASSERT_EQ(recorded, ReferenceRecorded(values, s)) << "run " << run;
        if (!recorded.empty() && s.waitsForStart()) {
            // The held samples went in front of the sample that started.
            EXPECT_LE(sampler.keptFromBefore(), static_cast<std::size_t>(s.preSamples));
            EXPECT_EQ(sampler.state().recorded(),
                      static_cast<std::int64_t>(recorded.size() - sampler.keptFromBefore()));
        }
    }
}

// The clock conditions on 1 March 2024 in UTC.
class TriggerClockTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* tz = std::getenv("TZ");
        m_oldTz = tz ? std::optional<std::string>(tz) : std::nullopt;
        ::setenv("TZ", "UTC", 1);
        ::tzset();
    }
    void TearDown() override {
        if (m_oldTz)
            ::setenv("TZ", m_oldTz->c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }
    // hh:mm:ss plus ms on that day.
    static WallClock::time_point At(int h, int m, int s, int ms = 0) {
        return WallClock::from_time_t(1709251200) + std::chrono::hours(h) +
               std::chrono::minutes(m) + std::chrono::seconds(s) + std::chrono::milliseconds(ms);
    }
    // Offers a sample every 500 ms from `from` up to `to`; the moments recorded.
    static std::vector<WallClock::time_point>
    Run(TriggeredSampler& sampler, WallClock::time_point from, WallClock::time_point to) {
        std::vector<WallClock::time_point> recorded;
        const auto record = [&](const RecordPair& p) {
            recorded.push_back(from + p.main.function * 500ms);
        };
        for (int i = 0; from + i * 500ms < to; ++i)
            if (sampler.offer(PairOf(0, i), from + i * 500ms, record).ends)
                break;
        return recorded;
    }

  private:
    std::optional<std::string> m_oldTz;
};

TEST_F(TriggerClockTest, TimesOfDayAreReadAndFoundOnTheLocalClock) {
    EXPECT_EQ(ParseClockTime("14:05"), (ClockTime{14, 5, 0}));
    EXPECT_EQ(ParseClockTime("9:05:07"), (ClockTime{9, 5, 7}));
    for (const char* bad :
         {"24:00", "14:60", "14:5", "14:05:", "14:05:60", "1405", "", " 14:05", "14:05:07 "})
        EXPECT_FALSE(ParseClockTime(bad)) << bad;
    EXPECT_EQ(ClockTimeText({9, 5, 7}), "09:05:07");

    EXPECT_EQ(NextOccurrence({14, 0, 0}, At(13, 59, 59, 500)), At(14, 0, 0));
    EXPECT_EQ(NextOccurrence({14, 0, 0}, At(14, 0, 0, 300)), At(14, 0, 0, 300)); // now
    EXPECT_EQ(NextOccurrence({14, 0, 0}, At(14, 0, 1)), At(14, 0, 0) + 24h);
    EXPECT_EQ(NextOccurrence({0, 0, 0}, At(23, 59, 59, 500)), At(24, 0, 0));
}

TEST_F(TriggerClockTest, StartAndStopTimesWithPreSamplesAndADuration) {
    TriggerSettings s;
    s.startAt = ClockTime{10, 0, 10};
    s.stopAt = ClockTime{10, 0, 20};
    s.preSamples = 3;
    TriggeredSampler sampler(s, At(10, 0, 0));
    EXPECT_EQ(sampler.state().startTime(), At(10, 0, 10));
    EXPECT_EQ(sampler.state().timeLimit(), At(10, 0, 20)); // also while waiting
    const auto recorded = Run(sampler, At(10, 0, 0), At(10, 1, 0));
    ASSERT_EQ(recorded.size(), 3u + 20u);
    EXPECT_EQ(recorded.front(), At(10, 0, 8, 500));
    EXPECT_EQ(recorded[3], At(10, 0, 10));
    EXPECT_EQ(recorded.back(), At(10, 0, 19, 500)); // the sample at the stop time is not kept
    EXPECT_EQ(sampler.state().reason(), StopReason::ClockTime);

    // A duration runs from the start; the stop time of day is the later limit here.
    s.stopAfterSeconds = 2.0;
    TriggeredSampler timed(s, At(10, 0, 0));
    EXPECT_EQ(Run(timed, At(10, 0, 0), At(10, 1, 0)).size(), 3u + 4u);
    EXPECT_EQ(timed.state().reason(), StopReason::Duration);

    // The same stop time as the start time is a day later.
    s.stopAfterSeconds.reset();
    s.stopAt = s.startAt;
    EXPECT_EQ(TriggerState(s, At(10, 0, 0)).timeLimit(), At(10, 0, 10) + 24h);
}

TEST_F(TriggerClockTest, ARunEndsByItsTimeLimitWithoutSamples) {
    // The stop time passes while a level is awaited: nothing is recorded.
    TriggerSettings s;
    s.startAbove = 100;
    s.stopAt = ClockTime{10, 0, 5};
    s.preSamples = 10;
    TriggeredSampler sampler(s, At(10, 0, 0));
    EXPECT_TRUE(Run(sampler, At(10, 0, 0), At(10, 0, 30)).empty());
    EXPECT_EQ(sampler.state().reason(), StopReason::ClockTime);
    EXPECT_EQ(sampler.held(), 0u);
    EXPECT_FALSE(sampler.state().startedAt());

    // Without a start condition the duration runs from the arming.
    TriggerSettings d;
    d.stopAfterSeconds = 1.5;
    TriggerState state(d, At(10, 0, 0));
    EXPECT_FALSE(state.expire(At(10, 0, 1, 499)));
    EXPECT_TRUE(state.expire(At(10, 0, 1, 500)));
    EXPECT_EQ(state.reason(), StopReason::Duration);
    EXPECT_FALSE(state.timeLimit());
}

TEST_F(TriggerClockTest, AStartTimeArmsTheLevels) {
    // The value crosses above 1 before 10:00:05 and again after it: only
    // the second crossing starts, and the first sample after the time only
    // tells the side.
    TriggerSettings s;
    s.startAbove = 1;
    s.startAt = ClockTime{10, 0, 5};
    TriggerState state(s, At(10, 0, 0));
    EXPECT_FALSE(state.offer(0, At(10, 0, 1)).keep);
    EXPECT_FALSE(state.offer(2, At(10, 0, 2)).keep);
    EXPECT_FALSE(state.offer(2, At(10, 0, 5)).keep);
    EXPECT_FALSE(state.offer(0, At(10, 0, 6)).keep);
    EXPECT_FALSE(state.offer(std::nan(""), At(10, 0, 6, 500)).keep); // passed over
    EXPECT_TRUE(state.offer(2, At(10, 0, 7)).starts);
    EXPECT_EQ(DescribeStart(s), "the main value crosses above 1, from 10:00:05 on");
}

} // namespace
} // namespace ostrel
