#pragma once
// The analog meter's arithmetic, without a window: how the main display's
// text becomes a count against a full scale, the scale picture and the
// multiplier that go with it, and the needle's angle and end point.
//
// The needle's position comes from the display's digits alone: the digits
// without the decimal point form the count, their number fixes the full
// scale, and the position of the point gives the multiplier's exponent.

#include <string>
#include <vector>

namespace ostrel {

// The needle sweeps from 150 degrees (count 0, left) to 30 degrees (full
// scale, right); an overload parks it at its 25-degree stop.
inline constexpr double kNeedleRestAngle = 150.0;
inline constexpr double kNeedleFullScaleAngle = 30.0;
inline constexpr double kNeedleStopAngle = 25.0;
// The value of pi the needle geometry uses.
inline constexpr double kNeedlePi = 3.14159264;

// The scale pictures: graduated 0…6, 0…10 and 0…20.
inline constexpr int kScale60 = 60;
inline constexpr int kScale100 = 100;
inline constexpr int kScale200 = 200;

// The analog meter's state, as the window keeps it.
struct AnalogMeterState {
    double angle = kNeedleRestAngle;         // needle angle now drawn
    double previousAngle = kNeedleRestAngle; // needle angle before the last move
    int fullScale = 10000;                   // count at the end of the scale
    int count = 0;                           // the reading's digits as an integer
    int rangeExponent = 2;                   // decimal exponent of the multiplier
    int scaleFunction = 5;                   // function whose scale picture is drawn
    int function = 5;                        // main function of the latest reading
    bool negative = false;                   // the main display shows a minus sign
    std::string valueText;
    std::string firstLabel;
    std::string secondLabel;
};

// Count, full scale and multiplier exponent of one display text.
struct AnalogScaleReading {
    int count = 0;
    int fullScale = 0;
    int rangeExponent = 0;
    bool operator==(const AnalogScaleReading&) const = default;
};

// What a new reading of valueText (the main value field), with the minus
// sign flag and the function, makes of the meter's scale. current is the
// scale before the reading: a text that is no number of a non-temperature
// function keeps its full scale and exponent (and counts 0).
AnalogScaleReading ReadAnalogScale(const std::string& valueText, bool negative, int function,
                                   const AnalogScaleReading& current);

// The scale picture (kScale60, kScale100 or kScale200) of a function;
// capacitance takes the 0…10 scale only with range exponent 3.
int ScalePicture(int function, int rangeExponent);

// Needle angle in degrees for a count against a full scale: 150 at 0, 30 at
// full scale, never below the 25-degree stop. A full scale of 0 or less
// leaves the needle at rest.
double NeedleAngle(int count, int fullScale);

// End point of a needle of length pixels at angle degrees, relative to its
// pivot, truncated toward zero (y grows downward).
struct NeedleOffset {
    int dx = 0;
    int dy = 0;
    bool operator==(const NeedleOffset&) const = default;
};
NeedleOffset NeedleEnd(double angle, int length);

// The ten positions a needle passes on its way from one angle to another:
// from + i × (to − from) / 10 for i = 1 … 10, the last one being to itself.
// Empty when the angles are equal.
std::vector<double> SweepAngles(double from, double to);

// "x" and the digits of truncate(10^rangeExponent): "x100" for 2, "x1" for 0,
// "x0" for a negative exponent.
std::string MultiplierText(int rangeExponent);

// The texts of the multiplier, prefix and unit panels. The unit panel of
// a temperature shows its degree letter; for resistance-type functions the
// unit is drawn in the Symbol typeface (the ohm sign).
struct AnalogPanelTexts {
    std::string multiplier;
    std::string unit;            // first label (normally the prefix)
    std::string func;            // second label (normally the unit)
    bool funcSymbolFont = false; // func is to be drawn in the Symbol typeface
    bool operator==(const AnalogPanelTexts&) const = default;
};
AnalogPanelTexts AnalogPanels(const AnalogMeterState& state);

// A new reading, stored into state (value text, labels, function, sign):
// the scale is read, the scale function follows the function, and the
// needle moves. The scale picture drawn is ScalePicture(scaleFunction,
// rangeExponent).
void TakeAnalogReading(AnalogMeterState& state);

// The unlink's direct write: full scale 2000, range exponent 2, count 0.
void ResetAnalogValues(AnalogMeterState& state);
// Message 1026: the values above, empty labels, the scale function follows
// the function, needle back to rest.
void ResetAnalogMeter(AnalogMeterState& state);

// Move the needle to the angle of the state's count and full scale;
// previousAngle keeps where it was.
void MoveNeedle(AnalogMeterState& state);

// One mark of a scale picture's graduation.
struct ScaleMark {
    double angle = 0.0; // needle angle in degrees at the mark
    bool major = false; // a long mark, with its number
    int label = 0;      // the number of a major mark
};
// The graduation of a scale picture from its left end (150 degrees) to its
// right end (30 degrees): every number of 0…6 with fifths between, 0…10 with
// halves between, or 0…20 in steps of 2 with halves between.
std::vector<ScaleMark> ScaleGraduation(int picture);

} // namespace ostrel
