#pragma once
// The start and stop conditions as the recorder window's dialog holds them:
// a check and a text per condition, kept in the user's settings as typed and
// read into TriggerSettings when the user confirms them. A text is read only
// when its condition is checked; the first one that does not read gives the
// message that says what is expected.

#include "recorder/trigger.h"

#include <array>
#include <optional>
#include <string>

namespace ostrel {

enum class TriggerField {
    StartAbove,
    StartBelow,
    StartAt,
    Pre,
    StopCount,
    StopAfter,
    StopAt,
    StopAbove,
    StopBelow,
};
inline constexpr int kTriggerFieldCount = 9;

struct TriggerEntry {
    bool on = false;
    std::string text;
    bool operator==(const TriggerEntry&) const = default;
};

struct TriggerEntries {
    // Off: a recording starts at once and runs until Stop, as without them.
    bool enabled = false;
    std::array<TriggerEntry, kTriggerFieldCount> fields{};

    TriggerEntry& operator[](TriggerField f) { return fields[static_cast<std::size_t>(f)]; }
    const TriggerEntry& operator[](TriggerField f) const {
        return fields[static_cast<std::size_t>(f)];
    }
    bool operator==(const TriggerEntries&) const = default;
};

// The settings the entries give, or the numbered message of the first entry
// that does not read (its number and its text), and that entry.
struct TriggerReading {
    std::optional<TriggerSettings> settings;
    int problemText = 0;
    std::string problem;
    std::optional<TriggerField> field;
};
TriggerReading ReadTriggerEntries(const TriggerEntries& entries);

// The key of a field in the user's settings ("startAbove", …).
const char* TriggerFieldKey(TriggerField field);

} // namespace ostrel
