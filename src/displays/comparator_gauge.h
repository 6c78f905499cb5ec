#pragma once
// The comparator's arithmetic, without a window: the main display's value in
// the unit of the limits, the labels beside the limits, the gauge angle (in
// single precision) and the alarm tone a value calls for.
//
// The gauge puts the lower limit at 110 degrees and the upper limit at 70,
// with half the span between them of room beyond each (stops at 130 and 50).

#include <string>

namespace ostrel {

inline constexpr double kGaugeMiddleAngle = 90.0;
inline constexpr double kGaugeLowStopAngle = 130.0;
inline constexpr double kGaugeHighStopAngle = 50.0;
inline constexpr double kGaugeLowerLimitAngle = 110.0;
inline constexpr double kGaugeUpperLimitAngle = 70.0;

// Alarm tones: above the upper limit, below the lower limit.
inline constexpr int kHighToneHz = 1047;
inline constexpr int kLowToneHz = 523;
inline constexpr int kToneMs = 100;

// The value of the main display's value text and exponent text, in the unit
// of the limits: capacitance in microfarads (× 10^6), conductance in
// nanosiemens (× 10^9), decibels × 10^3. Texts that are no number map into
// the gauge: an overload half a span beyond the limit on its side, an open
// temperature sensor ("---" above, "----" below), anything else the middle.
float ComparatorValue(const std::string& valueText, const std::string& exponentText, bool negative,
                      int function, double upper, double lower);

// The labels beside the limits, and how their panels draw them.
struct LimitLabels {
    std::string prefix;            // HiUnitPanel, LowUnitPanel
    std::string unit;              // HiFuncPanel, LowFuncPanel
    bool prefixSymbolFont = false; // prefix drawn in the Symbol typeface
    bool prefixAlignRight = false; // else centred
    bool unitSymbolFont = false;   // unit drawn in the Symbol typeface
    bool unitAlignLeft = false;    // else centred
    bool operator==(const LimitLabels&) const = default;
};
LimitLabels ComparatorLimitLabels(int function);

// The gauge angle of a value between the limits: 130 − r × 20 / half, with
// half = (upper − lower) / 2 and r = value − (lower − half) kept within
// 0 … 2 × (upper − lower), in single precision. With equal limits (a
// hand-edited configuration) a value below them stands at 130, above them
// at 50, on them at 90; limits too far apart for a finite gauge put the
// needle at 90.
double GaugeAngle(float value, double upper, double lower);

// The alarm tone a value calls for (0: none): the high tone above the upper
// limit, else the low tone below the lower limit.
int AlarmToneHz(float value, double upper, double lower);

// The value a reset puts the comparator at: the middle of the limits.
float MiddleValue(double upper, double lower);

} // namespace ostrel
