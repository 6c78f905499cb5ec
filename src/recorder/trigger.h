#pragma once
// Start and stop conditions of a recording, fed one sample at a time.
//
// A recording may wait for its start: until the main value crosses a level
// (above or below), or until a time of day, or both (the time then arms the
// levels). It keeps the last K samples from before the start and records
// them in front of the sample that started it. It stops after N samples or a
// duration from the start, at a time of day, or when the main value crosses a
// level, whichever comes first.
//
// A crossing needs a sample on the near side first: "crosses above V" is a
// value above V after one that was not above it. The first value a condition
// sees only tells on which side the run begins, so a value that is above V
// from the outset does not start a recording on --start-above V. The stop
// levels begin looking at the sample that started the recording.
//
// Times are moments of the system clock; times of day are read on the local
// clock. Nothing here reads a clock itself: the caller passes each sample's
// moment, and asks for the next moment a time condition comes due.

#include "recorder/record.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace ostrel {

using WallClock = std::chrono::system_clock;

// A time of day on the local clock, to the second.
struct ClockTime {
    int hour = 0;
    int minute = 0;
    int second = 0;
    bool operator==(const ClockTime&) const = default;
};

// "HH:MM" or "HH:MM:SS" on the 24-hour clock (the hour may have one digit);
// nothing for any other text.
std::optional<ClockTime> ParseClockTime(std::string_view text);
// "HH:MM:SS".
std::string ClockTimeText(ClockTime time);

// The first moment at or after `from` at which the local clock shows `time`:
// the start of that second, or `from` itself while the clock shows it.
WallClock::time_point NextOccurrence(ClockTime time, WallClock::time_point from);

// The most samples kept from before the start, and the shortest and longest
// stop duration, as the command line and the recorder window accept them.
inline constexpr std::int64_t kMaxPreSamples = 1'000'000;
inline constexpr double kMinStopSeconds = 0.01;
inline constexpr double kMaxStopSeconds = 1e8;

struct TriggerSettings {
    // Start: when the main value crosses above or below a level (either
    // one), from a time of day on; at once when none is set.
    std::optional<double> startAbove;
    std::optional<double> startBelow;
    std::optional<ClockTime> startAt;
    // Samples from before the start that are kept (only with a start condition).
    std::int64_t preSamples = 0;
    // Stop: whichever comes first. The count and the duration run from the
    // start; the pre-trigger samples are not counted.
    std::int64_t stopCount = 0; // 0: no limit
    std::optional<double> stopAfterSeconds;
    std::optional<ClockTime> stopAt;
    std::optional<double> stopAbove;
    std::optional<double> stopBelow;

    bool waitsForStart() const { return startAbove || startBelow || startAt; }
};

// Whether a run of values crosses a level in one direction.
class LevelCrossing {
  public:
    LevelCrossing(double level, bool upward) : m_level(level), m_upward(upward) {}
    // True when value crosses the level; a value that is not a number is
    // passed over.
    bool feed(double value);

  private:
    enum class Side { Unknown, Near, Beyond };
    double m_level;
    bool m_upward;
    Side m_side = Side::Unknown;
};

enum class TriggerPhase { Waiting, Recording, Ended };

enum class StopReason {
    None,      // still running, or ended by the caller
    Count,     // the count of samples was reached
    Duration,  // the duration from the start has passed
    ClockTime, // the stop time of day has come (perhaps before any start)
    Above,     // the main value crossed above the stop level
    Below,     // the main value crossed below the stop level
};

// What to do with one sample.
struct TriggerVerdict {
    bool keep = false;   // record it (else it is held before the start, or dropped)
    bool starts = false; // it starts the recording: the held samples go before it
    bool ends = false;   // the recording ends with it (after it when kept)
};

class TriggerState {
  public:
    // armedAt: when the run began to wait (the start, when nothing is awaited).
    TriggerState(const TriggerSettings& settings, WallClock::time_point armedAt);

    // The sample with main value `value` taken at `at`.
    TriggerVerdict offer(double value, WallClock::time_point at);
    // Without a sample: end the run when `now` has reached a time limit (the
    // stop time, the end of the duration). True when the run has ended.
    bool expire(WallClock::time_point now);
    // Stop from outside (the user); the reason stays None.
    void end() { m_phase = TriggerPhase::Ended; }

    // The start time of day while it is awaited (the first sample at or after
    // it starts the recording, or arms the levels).
    std::optional<WallClock::time_point> startTime() const {
        return m_phase == TriggerPhase::Waiting ? m_startTime : std::nullopt;
    }
    // The moment the run ends without a sample: the stop time of day, or the
    // end of the duration once started, whichever is earlier.
    std::optional<WallClock::time_point> timeLimit() const;

    TriggerPhase phase() const { return m_phase; }
    StopReason reason() const { return m_reason; }
    const TriggerSettings& settings() const { return m_settings; }
    std::optional<WallClock::time_point> startedAt() const { return m_startedAt; }
    std::int64_t recorded() const { return m_recorded; }

  private:
    bool levelStarts(double value);
    void finish(StopReason reason);

    TriggerSettings m_settings;
    TriggerPhase m_phase = TriggerPhase::Waiting;
    StopReason m_reason = StopReason::None;
    std::optional<WallClock::time_point> m_startTime;
    std::optional<WallClock::time_point> m_stopTime;
    std::optional<WallClock::time_point> m_startedAt;
    std::optional<LevelCrossing> m_startAbove, m_startBelow, m_stopAbove, m_stopBelow;
    std::int64_t m_recorded = 0;
};

// The trigger with the samples it holds from before the start: each sample
// offered goes to `record` when it is to be recorded, the held ones first.
class TriggeredSampler {
  public:
    TriggeredSampler(const TriggerSettings& settings, WallClock::time_point armedAt)
        : m_state(settings, armedAt) {}

    using Sink = std::function<void(const RecordPair&)>;
    TriggerVerdict offer(const RecordPair& pair, WallClock::time_point at, const Sink& record);

    TriggerState& state() { return m_state; }
    const TriggerState& state() const { return m_state; }
    // Samples held from before the start (at most the settings' preSamples).
    std::size_t held() const { return m_held.size(); }
    // How many held samples went before the sample that started the recording.
    std::size_t keptFromBefore() const { return m_keptFromBefore; }

  private:
    TriggerState m_state;
    std::deque<RecordPair> m_held;
    std::size_t m_keptFromBefore = 0;
};

// For the user: what a waiting run waits for ("the main value crosses above
// 5 or below -1, from 14:00:00 on").
std::string DescribeStart(const TriggerSettings& settings);

// The notices of a run, as the command line prints them and a status bar
// shows them: that it waits, that it started (the sample that started it was
// taken at `at` with the main value `value`), and why it ended (empty when
// the count, the duration or the user ended it).
std::string WaitingNotice(const TriggerSettings& settings);
std::string StartedNotice(const TriggeredSampler& sampler, WallClock::time_point at, float value);
std::string EndNotice(const TriggerState& state);

// The local time of day of a moment as a sample's time text shows it,
// without the blanks in front ("9:05:07.3").
std::string MomentText(WallClock::time_point when);

} // namespace ostrel
