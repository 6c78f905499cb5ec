#include "recorder/trigger.h"

#include "base/number_format.h"
#include "base/string_table.h"
#include "recorder/sample_conversion.h"

#include <cmath>
#include <ctime>

namespace ostrel {
namespace {

constexpr int kCrossesAboveText = 7201;
constexpr int kCrossesBelowText = 7202;
constexpr int kCrossesEitherText = 7203;
constexpr int kClockShowsText = 7204;
constexpr int kFromTimeOnText = 7205;
constexpr int kCrossedAboveText = 7206;
constexpr int kCrossedBelowText = 7207;
constexpr int kClockShowedText = 7208;
constexpr int kWaitingText = 7210;
constexpr int kStartedText = 7211;
constexpr int kStoppedText = 7212;
constexpr int kNotStartedText = 7213;

bool TwoDigits(std::string_view text, std::size_t at, int max, int& out) {
    if (at + 2 > text.size() || text[at] < '0' || text[at] > '9' || text[at + 1] < '0' ||
        text[at + 1] > '9')
        return false;
    out = (text[at] - '0') * 10 + (text[at + 1] - '0');
    return out <= max;
}

WallClock::duration SecondsDuration(double seconds) {
    return std::chrono::duration_cast<WallClock::duration>(std::chrono::duration<double>(seconds));
}

} // namespace

std::optional<ClockTime> ParseClockTime(std::string_view text) {
    ClockTime t;
    std::size_t at = 0;
    // One or two digits of hour.
    if (text.size() >= 2 && text[1] == ':' && text[0] >= '0' && text[0] <= '9') {
        t.hour = text[0] - '0';
        at = 1;
    } else if (TwoDigits(text, 0, 23, t.hour)) {
        at = 2;
    } else {
        return std::nullopt;
    }
    if (at >= text.size() || text[at] != ':' || !TwoDigits(text, at + 1, 59, t.minute))
        return std::nullopt;
    at += 3;
    if (at == text.size())
        return t;
    if (text[at] != ':' || !TwoDigits(text, at + 1, 59, t.second) || at + 3 != text.size())
        return std::nullopt;
    return t;
}

std::string ClockTimeText(ClockTime time) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", time.hour, time.minute, time.second);
    return text;
}

WallClock::time_point NextOccurrence(ClockTime time, WallClock::time_point from) {
    const std::time_t now = WallClock::to_time_t(from);
    std::tm day{};
    localtime_r(&now, &day);
    for (int days = 0; days < 3; ++days) {
        std::tm at = day;
        at.tm_mday += days;
        at.tm_hour = time.hour;
        at.tm_min = time.minute;
        at.tm_sec = time.second;
        at.tm_isdst = -1; // whatever applies on that day
        const WallClock::time_point begins = WallClock::from_time_t(std::mktime(&at));
        if (from < begins + std::chrono::seconds(1))
            return std::max(from, begins);
    }
    return from + std::chrono::hours(24); // not reached: a day always has the time
}

bool LevelCrossing::feed(double value) {
    if (std::isnan(value))
        return false;
    const bool beyond = m_upward ? value > m_level : value < m_level;
    const bool crosses = beyond && m_side == Side::Near;
    m_side = beyond ? Side::Beyond : Side::Near;
    return crosses;
}

TriggerState::TriggerState(const TriggerSettings& settings, WallClock::time_point armedAt)
    : m_settings(settings) {
    if (settings.startAt)
        m_startTime = NextOccurrence(*settings.startAt, armedAt);
    // The stop time of day comes after the start time (the same time is a
    // day later), else from the moment the run begins.
    if (settings.stopAt)
        m_stopTime = NextOccurrence(*settings.stopAt,
                                    m_startTime ? *m_startTime + std::chrono::seconds(1) : armedAt);
    if (settings.startAbove)
        m_startAbove.emplace(*settings.startAbove, true);
    if (settings.startBelow)
        m_startBelow.emplace(*settings.startBelow, false);
    if (settings.stopAbove)
        m_stopAbove.emplace(*settings.stopAbove, true);
    if (settings.stopBelow)
        m_stopBelow.emplace(*settings.stopBelow, false);
    if (!settings.waitsForStart()) {
        m_phase = TriggerPhase::Recording;
        m_startedAt = armedAt;
    }
}

std::optional<WallClock::time_point> TriggerState::timeLimit() const {
    if (m_phase == TriggerPhase::Ended)
        return std::nullopt;
    std::optional<WallClock::time_point> limit = m_stopTime;
    if (m_startedAt && m_settings.stopAfterSeconds) {
        const auto end = *m_startedAt + SecondsDuration(*m_settings.stopAfterSeconds);
        if (!limit || end < *limit)
            limit = end;
    }
    return limit;
}

void TriggerState::finish(StopReason reason) {
    m_phase = TriggerPhase::Ended;
    m_reason = reason;
}

bool TriggerState::expire(WallClock::time_point now) {
    if (m_phase == TriggerPhase::Ended)
        return true;
    const auto limit = timeLimit();
    if (!limit || now < *limit)
        return false;
    finish(m_stopTime && *m_stopTime == *limit ? StopReason::ClockTime : StopReason::Duration);
    return true;
}

// Both levels see every value from the start time on, so that each knows
// its side when the other one fires.
bool TriggerState::levelStarts(double value) {
    const bool above = m_startAbove && m_startAbove->feed(value);
    const bool below = m_startBelow && m_startBelow->feed(value);
    return above || below;
}

TriggerVerdict TriggerState::offer(double value, WallClock::time_point at) {
    TriggerVerdict verdict;
    if (m_phase == TriggerPhase::Ended)
        return verdict;
    if (expire(at)) {
        verdict.ends = true;
        return verdict;
    }
    if (m_phase == TriggerPhase::Waiting) {
        if (m_startTime && at < *m_startTime)
            return verdict; // the levels are not armed yet
        const bool levels = m_startAbove || m_startBelow;
        if (levels && !levelStarts(value))
            return verdict;
        m_phase = TriggerPhase::Recording;
        m_startedAt = at;
        verdict.starts = true;
    }
    verdict.keep = true;
    ++m_recorded;
    const bool above = m_stopAbove && m_stopAbove->feed(value);
    const bool below = m_stopBelow && m_stopBelow->feed(value);
    if (m_settings.stopCount > 0 && m_recorded >= m_settings.stopCount)
        finish(StopReason::Count);
    else if (above)
        finish(StopReason::Above);
    else if (below)
        finish(StopReason::Below);
    verdict.ends = m_phase == TriggerPhase::Ended;
    return verdict;
}

TriggerVerdict TriggeredSampler::offer(const RecordPair& pair, WallClock::time_point at,
                                       const Sink& record) {
    const TriggerVerdict verdict = m_state.offer(pair.main.value, at);
    if (verdict.starts) {
        m_keptFromBefore = m_held.size();
        for (const RecordPair& held : m_held)
            record(held);
        m_held.clear();
    }
    if (verdict.keep) {
        record(pair);
    } else if (verdict.ends) {
        m_held.clear(); // the run ended before its start: nothing is recorded
    } else if (m_state.settings().preSamples > 0) {
        m_held.push_back(pair);
        if (static_cast<std::int64_t>(m_held.size()) > m_state.settings().preSamples)
            m_held.pop_front();
    }
    return verdict;
}

std::string DescribeStart(const TriggerSettings& settings) {
    std::string levels;
    if (settings.startAbove && settings.startBelow)
        levels = FormatText(kCrossesEitherText, {FormatShortest(*settings.startAbove),
                                                 FormatShortest(*settings.startBelow)});
    else if (settings.startAbove)
        levels = FormatText(kCrossesAboveText, {FormatShortest(*settings.startAbove)});
    else if (settings.startBelow)
        levels = FormatText(kCrossesBelowText, {FormatShortest(*settings.startBelow)});
    if (!settings.startAt)
        return levels;
    const std::string time = ClockTimeText(*settings.startAt);
    if (levels.empty())
        return FormatText(kClockShowsText, {time});
    return FormatText(kFromTimeOnText, {levels, time});
}

namespace {

std::string DescribeStop(const TriggerState& state) {
    const TriggerSettings& s = state.settings();
    switch (state.reason()) {
    case StopReason::Above:
        return FormatText(kCrossedAboveText, {FormatShortest(*s.stopAbove)});
    case StopReason::Below:
        return FormatText(kCrossedBelowText, {FormatShortest(*s.stopBelow)});
    case StopReason::ClockTime:
        return FormatText(kClockShowedText, {ClockTimeText(*s.stopAt)});
    case StopReason::None:
    case StopReason::Count:
    case StopReason::Duration:
        break;
    }
    return {};
}

} // namespace

std::string WaitingNotice(const TriggerSettings& settings) {
    return FormatText(kWaitingText, {DescribeStart(settings)});
}

std::string StartedNotice(const TriggeredSampler& sampler, WallClock::time_point at, float value) {
    return FormatText(kStartedText, {MomentText(at), FormatShortest(value),
                                     std::to_string(sampler.keptFromBefore())});
}

std::string EndNotice(const TriggerState& state) {
    if (state.settings().waitsForStart() && !state.startedAt())
        return std::string(Text(kNotStartedText));
    const std::string why = DescribeStop(state);
    return why.empty() ? why : FormatText(kStoppedText, {why});
}

std::string MomentText(WallClock::time_point when) {
    std::string text = SampleTimeText(when);
    text.erase(0, text.find_first_not_of(' '));
    return text;
}

} // namespace ostrel
