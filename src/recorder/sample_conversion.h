#pragma once
// ConvertSample: turn a snapshot of the published reading into a sample, with
// a number per display derived from the display text, including substitute
// values for overload ("L") and open-sensor ("---", "----") displays.

#include "link/reading.h"
#include "recorder/record.h"

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace ostrel {

// "%3d:%02d:%02d.%1d" of hour, minute, second and tenths of a second.
std::string FormatSampleTime(int hour, int minute, int second, int tenths);
// The same of a moment on the local clock (milliseconds / 100 as tenths).
std::string SampleTimeText(std::chrono::system_clock::time_point when);

// The sample of a snapshot taken at timeText, or nothing when the main display
// shows no usable value (a lone ".", an overload of a function without
// substitute value, any other text that is no number). Uses, per display,
// negative, valueText, exponentText, function, couplingText, valueField,
// firstLabelField and secondLabelField of the snapshot.
std::optional<RecordPair> ConvertSample(const MeterReading& snapshot, std::string_view timeText);

// The two halves of ConvertSample: the record of the main display, or
// nothing when it refuses the sample; the same for the sub display (whose
// function code 0 gives its record as read). The has-sub byte is 1 when the
// sub display's function code is not 0.
std::optional<TBRecord> ConvertMainDisplay(const DisplayReading& main, std::string_view timeText);
std::optional<TBRecord> ConvertSubDisplay(const DisplayReading& sub, std::string_view timeText);

// Strict decimal number: optional sign, digits with at most one ".", at least
// one digit, optional exponent "E"/"e" with optional sign and digits. Returns
// false for anything else (blanks, "inf", hexadecimal, trailing characters).
bool ParseDecimal(std::string_view text, double& value);

} // namespace ostrel
