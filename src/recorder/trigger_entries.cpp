#include "recorder/trigger_entries.h"

#include "base/number_format.h"
#include "base/string_table.h"
#include "recorder/sample_conversion.h"

#include <charconv>
#include <cmath>

namespace ostrel {
namespace {

constexpr int kNoLevelText = 9075;
constexpr int kNoTimeText = 9076;
constexpr int kNoSampleCountText = 9077;
constexpr int kNoDurationText = 9078;
constexpr int kPreNeedsStartText = 9079;

// The most samples a stop count may name: a buffer of this many is far
// beyond any memory, so a larger number is a typing slip.
constexpr std::int64_t kMaxStopCount = 2'000'000'000;

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::optional<double> Level(const std::string& text) {
    double value = 0;
    if (!ParseDecimal(Trimmed(text), value) || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<std::int64_t> WholeNumber(const std::string& text, std::int64_t low,
                                        std::int64_t high) {
    const std::string t = Trimmed(text);
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(t.data(), t.data() + t.size(), value);
    if (t.empty() || error != std::errc() || end != t.data() + t.size() || value < low ||
        value > high)
        return std::nullopt;
    return value;
}

} // namespace

const char* TriggerFieldKey(TriggerField field) {
    static const char* const keys[kTriggerFieldCount] = {"startAbove", "startBelow", "startAt",
                                                         "pre",        "stopCount",  "stopAfter",
                                                         "stopAt",     "stopAbove",  "stopBelow"};
    return keys[static_cast<int>(field)];
}

TriggerReading ReadTriggerEntries(const TriggerEntries& entries) {
    TriggerReading reading;
    TriggerSettings s;
    if (!entries.enabled) {
        reading.settings = s;
        return reading;
    }
    const auto refuse = [&](TriggerField field, int textId,
                            std::initializer_list<std::string_view> fillIns) {
        reading.problemText = textId;
        reading.problem = FormatText(textId, fillIns);
        reading.field = field;
        return reading;
    };
    using F = TriggerField;
    for (F field : {F::StartAbove, F::StartBelow, F::StopAbove, F::StopBelow}) {
        const TriggerEntry& entry = entries[field];
        if (!entry.on)
            continue;
        const std::optional<double> level = Level(entry.text);
        if (!level)
            return refuse(field, kNoLevelText, {Trimmed(entry.text)});
        (field == F::StartAbove   ? s.startAbove
         : field == F::StartBelow ? s.startBelow
         : field == F::StopAbove  ? s.stopAbove
                                  : s.stopBelow) = level;
    }
    for (F field : {F::StartAt, F::StopAt}) {
        const TriggerEntry& entry = entries[field];
        if (!entry.on)
            continue;
        const std::optional<ClockTime> time = ParseClockTime(Trimmed(entry.text));
        if (!time)
            return refuse(field, kNoTimeText, {Trimmed(entry.text)});
        (field == F::StartAt ? s.startAt : s.stopAt) = time;
    }
    if (const TriggerEntry& count = entries[F::StopCount]; count.on) {
        const auto n = WholeNumber(count.text, 1, kMaxStopCount);
        if (!n)
            return refuse(F::StopCount, kNoSampleCountText,
                          {Trimmed(count.text), "1", std::to_string(kMaxStopCount)});
        s.stopCount = *n;
    }
    if (const TriggerEntry& after = entries[F::StopAfter]; after.on) {
        const std::optional<double> seconds = Level(after.text);
        if (!seconds || *seconds < kMinStopSeconds || *seconds > kMaxStopSeconds)
            return refuse(F::StopAfter, kNoDurationText,
                          {Trimmed(after.text), FormatShortest(kMinStopSeconds),
                           FormatShortest(kMaxStopSeconds)});
        s.stopAfterSeconds = seconds;
    }
    if (const TriggerEntry& pre = entries[F::Pre]; pre.on) {
        const auto k = WholeNumber(pre.text, 0, kMaxPreSamples);
        if (!k)
            return refuse(F::Pre, kNoSampleCountText,
                          {Trimmed(pre.text), "0", std::to_string(kMaxPreSamples)});
        if (*k > 0 && !s.waitsForStart())
            return refuse(F::Pre, kPreNeedsStartText, {});
        s.preSamples = *k;
    }
    reading.settings = s;
    return reading;
}

} // namespace ostrel
