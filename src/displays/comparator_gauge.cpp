#include "displays/comparator_gauge.h"

#include "base/number_format.h"
#include "displays/display_text.h"
#include "displays/panel_geometry.h"
#include "link/reading.h"

#include <cmath>

namespace ostrel {
namespace {

bool Contains(const std::string& s, char c) {
    return s.find(c) != std::string::npos;
}

// The factor that brings a value into the unit of the limits.
double LimitUnitFactor(int function) {
    switch (function) {
    case nFunc_Cx:
        return 1e6;
    case nFunc_S:
        return 1e9;
    case nFunc_dB:
        return 1e3;
    default:
        return 1.0;
    }
}

} // namespace

float ComparatorValue(const std::string& valueText, const std::string& exponentText, bool negative,
                      int function, double upper, double lower) {
    std::string s = negative
                        ? "-" + TrimDisplayText(valueText.empty() ? valueText : valueText.substr(1))
                        : TrimDisplayText(valueText);
    const double halfSpan = (upper - lower) * 0.5;
    double parsed = 0.0;
    if (ParseReal(s + "E" + exponentText, &parsed)) {
        const float value = static_cast<float>(parsed);
        return static_cast<float>(value * LimitUnitFactor(function));
    }
    if (Contains(s, 'L')) // overload, on the side of its sign
        return static_cast<float>(negative ? lower - halfSpan : upper + halfSpan);
    if (Contains(s, 'C') || Contains(s, 'F'))
        s.pop_back(); // a temperature's degree letter
    if (ParseReal(s + "E" + exponentText, &parsed))
        return static_cast<float>(parsed);
    if (ShowsDegreeLetter(function)) {
        if (s == "---")
            return static_cast<float>(upper + halfSpan);
        if (s == "----")
            return static_cast<float>(lower - halfSpan);
    }
    return MiddleValue(upper, lower);
}

LimitLabels ComparatorLimitLabels(int function) {
    LimitLabels l;
    switch (function) {
    case nFunc_Cx:
        l.prefix = "u";
        l.unit = "F";
        break;
    case nFunc_S:
        l.prefix = "n";
        l.unit = "S";
        break;
    case nFunc_dB:
        l.prefix = "dB";
        l.unit = "m";
        break;
    default:
        l.unit = FunctionUnitText(static_cast<std::uint32_t>(function));
        break;
    }
    // The bare temperature codes put a degree sign right against the number.
    const bool degrees = function == 0x20 || function == 0x40;
    l.prefixSymbolFont = degrees;
    l.prefixAlignRight = degrees;
    l.unitAlignLeft = degrees;
    l.unitSymbolFont = UsesSymbolUnit(function);
    return l;
}

double GaugeAngle(float value, double upper, double lower) {
    const float half = static_cast<float>((upper - lower) * 0.5);
    if (half == 0.0f) {
        // Equal limits: no span to scale by; the side of the limit is all
        // there is to show.
        if (value < lower)
            return kGaugeLowStopAngle;
        if (value > upper)
            return kGaugeHighStopAngle;
        return kGaugeMiddleAngle;
    }
    const float k = 20.0f / half;
    const float base = static_cast<float>(lower - half);
    const float top = static_cast<float>(upper + half);
    float r = value - base;
    if (r < 0.0f)
        r = 0.0f;
    else if (r > top - base)
        r = top - base;
    const double angle = 130.0 - static_cast<double>(r) * k;
    return std::isfinite(angle) ? angle : kGaugeMiddleAngle;
}

int AlarmToneHz(float value, double upper, double lower) {
    if (value > upper)
        return kHighToneHz;
    if (value < lower)
        return kLowToneHz;
    return 0;
}

float MiddleValue(double upper, double lower) {
    return static_cast<float>((upper + lower) / 2.0);
}

} // namespace ostrel
