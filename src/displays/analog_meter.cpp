#include "displays/analog_meter.h"

#include "displays/display_text.h"
#include "displays/panel_geometry.h"

#include <charconv>
#include <climits>
#include <cmath>

namespace ostrel {
namespace {

std::string TrimRight(const std::string& s) {
    std::size_t end = s.size();
    while (end > 0 && static_cast<unsigned char>(s[end - 1]) <= ' ')
        --end;
    return s.substr(0, end);
}

bool Contains(const std::string& s, char c) {
    return s.find(c) != std::string::npos;
}

// Digits only (at least one), fitting an int.
bool ReadDigits(const std::string& s, int* value) {
    if (s.empty())
        return false;
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    int result = 0;
    const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), result, 10);
    if (ec != std::errc() || ptr != s.data() + s.size())
        return false;
    *value = result;
    return true;
}

// truncate(factor × 10^exponent), kept within an int.
int ScaleOf(double factor, int exponent) {
    const double value = factor * std::pow(10.0, exponent);
    if (!(value < static_cast<double>(INT_MAX)))
        return INT_MAX;
    return static_cast<int>(value);
}

// Full scale of an integer count of n digits; may change the exponent.
int FullScaleByFunction(int function, int n, int& rangeExponent) {
    switch (function) {
    case 5:
    case 6:
    case 7:
    case 0x400:
    case 0x800:
    case 0x1000:
    case 0x2000:
    case 0x2080:
        return ScaleOf(1.0, n);
    case 8:
        return rangeExponent == 3 ? ScaleOf(1.0, n) : ScaleOf(6.0, n - 1);
    case 0x4000:
    case 0x8000:
    case 0xC000:
        rangeExponent -= 1;
        return ScaleOf(2.0, n - 1);
    default:
        return ScaleOf(6.0, n - 1);
    }
}

} // namespace

AnalogScaleReading ReadAnalogScale(const std::string& valueText, bool negative, int function,
                                   const AnalogScaleReading& current) {
    // The display text without its sign.
    std::string s = valueText;
    if (Contains(s, 'L'))
        s = TrimRight(s);
    else if (negative)
        s = "-" + TrimDisplayText(s.empty() ? s : s.substr(1));
    else
        s = TrimDisplayText(s);
    if (negative && !s.empty())
        s.erase(0, 1);

    // The digits without the point; the point's place gives the exponent.
    std::string digits;
    int e = 0;
    const std::size_t point = s.find('.');
    if (point != std::string::npos) {
        digits = s.substr(0, point) + s.substr(point + 1);
        e = static_cast<int>(point) - 1; // the point's position counted from 1, less 2
    } else {
        digits = s;
        e = static_cast<int>(s.size()) - 1;
    }
    digits = TrimDisplayText(digits);
    const int n = static_cast<int>(digits.size());

    AnalogScaleReading r;
    if (ReadDigits(digits, &r.count)) {
        r.rangeExponent = e;
        r.fullScale = FullScaleByFunction(function, n, r.rangeExponent);
        return r;
    }
    if (Contains(digits, 'L')) { // overload
        return {5500, 5000, e};
    }
    if (Contains(digits, 'C') || Contains(digits, 'F')) {
        // A temperature's degree letter ends its digits.
        digits.pop_back();
        if (ReadDigits(digits, &r.count)) {
            r.rangeExponent = e - 1;
            r.fullScale = ScaleOf(2.0, static_cast<int>(digits.size()));
            return r;
        }
    }
    if (ShowsDegreeLetter(function)) {
        if (digits == "---") { // the sensor is open: beyond the end of the scale
            r.fullScale = ScaleOf(2.0, static_cast<int>(digits.size()));
            r.rangeExponent = e - 1;
            r.count = r.fullScale / 10 + r.fullScale;
            return r;
        }
        return {0, 2000, 2};
    }
    return {0, current.fullScale, current.rangeExponent};
}

int ScalePicture(int function, int rangeExponent) {
    switch (function) {
    case 5:
    case 6:
    case 7:
    case 0x205:
    case 0x400:
    case 0x800:
    case 0x1000:
    case 0x2000:
    case 0x10800:
    case 0x20205:
    case 0x40001:
        return kScale100;
    case 8:
        return rangeExponent == 3 ? kScale100 : kScale60;
    case 0x20:
    case 0x40:
    case 0x4000:
    case 0x4020:
    case 0x4040:
    case 0x8000:
    case 0x8020:
    case 0x8040:
    case 0xC000:
    case 0xC020:
    case 0xC040:
        return kScale200;
    default:
        return kScale60;
    }
}

double NeedleAngle(int count, int fullScale) {
    if (fullScale <= 0)
        return kNeedleRestAngle;
    const double magnitude = std::fabs(static_cast<double>(count));
    const double angle = 180.0 - (magnitude * (120.0 / fullScale) + 30.0);
    return angle < kNeedleStopAngle ? kNeedleStopAngle : angle;
}

NeedleOffset NeedleEnd(double angle, int length) {
    const double theta = angle * kNeedlePi / 180.0;
    return {static_cast<int>(length * std::cos(theta)),
            static_cast<int>(-length * std::sin(theta))};
}

std::vector<double> SweepAngles(double from, double to) {
    std::vector<double> angles;
    if (from == to)
        return angles;
    const double step = (to - from) * 0.1;
    for (int i = 1; i < 10; ++i)
        angles.push_back(from + i * step);
    angles.push_back(to);
    return angles;
}

std::string MultiplierText(int rangeExponent) {
    if (rangeExponent < 0)
        return "x0";
    return "x" + std::to_string(ScaleOf(1.0, rangeExponent));
}

AnalogPanelTexts AnalogPanels(const AnalogMeterState& state) {
    AnalogPanelTexts t;
    t.multiplier = MultiplierText(state.rangeExponent);
    t.unit = state.firstLabel;
    t.func = state.secondLabel;
    if (ShowsDegreeLetter(state.function))
        t.func = (state.function & 0x20) != 0 ? "C" : "F";
    t.funcSymbolFont = UsesSymbolUnit(state.function);
    return t;
}

void MoveNeedle(AnalogMeterState& state) {
    state.previousAngle = state.angle;
    state.angle = NeedleAngle(state.count, state.fullScale);
}

void TakeAnalogReading(AnalogMeterState& state) {
    const AnalogScaleReading r =
        ReadAnalogScale(state.valueText, state.negative, state.function,
                        {state.count, state.fullScale, state.rangeExponent});
    state.count = r.count;
    state.fullScale = r.fullScale;
    state.rangeExponent = r.rangeExponent;
    // The scale picture follows the function (a reading of capacitance
    // draws it anew with its range every time).
    state.scaleFunction = state.function;
    MoveNeedle(state);
}

void ResetAnalogValues(AnalogMeterState& state) {
    state.fullScale = 2000;
    state.rangeExponent = 2;
    state.count = 0;
}

void ResetAnalogMeter(AnalogMeterState& state) {
    ResetAnalogValues(state);
    state.firstLabel.clear();
    state.secondLabel.clear();
    state.scaleFunction = state.function;
    MoveNeedle(state);
}

std::vector<ScaleMark> ScaleGraduation(int picture) {
    int top = 6;        // the number at the right end
    int divisions = 30; // marks between the ends
    int labelEvery = 5; // divisions between numbered marks
    if (picture == kScale100) {
        top = 10;
        divisions = 20;
        labelEvery = 2;
    } else if (picture == kScale200) {
        top = 20;
        divisions = 40;
        labelEvery = 4;
    }
    std::vector<ScaleMark> marks;
    for (int i = 0; i <= divisions; ++i) {
        ScaleMark m;
        m.angle = kNeedleRestAngle - (kNeedleRestAngle - kNeedleFullScaleAngle) * i / divisions;
        m.major = i % labelEvery == 0;
        if (m.major)
            m.label = top * i / divisions;
        marks.push_back(m);
    }
    return marks;
}

} // namespace ostrel
