#include "displays/analog_meter.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace ostrel;

namespace {

AnalogScaleReading Read(const std::string& text, int function, bool negative = false,
                        AnalogScaleReading current = {0, 10000, 2}) {
    return ReadAnalogScale(text, negative, function, current);
}

AnalogMeterState Reading(const std::string& text, int function, bool negative = false) {
    AnalogMeterState s;
    s.valueText = text;
    s.function = function;
    s.negative = negative;
    TakeAnalogReading(s);
    return s;
}

} // namespace

TEST(AnalogMeter, DigitsBecomeACountAgainstTheFullScaleOfTheFunction) {
    // Four digits of DC volts: full scale 10^4, the point after the first digit.
    EXPECT_EQ(Read("1.234", 6), (AnalogScaleReading{1234, 10000, 0}));
    AnalogMeterState volts = Reading("1.234", 6);
    EXPECT_NEAR(volts.angle, 135.192, 1e-9);
    EXPECT_EQ(AnalogPanels(volts).multiplier, "x1");

    // The minus sign goes, the leading zero stays a digit.
    EXPECT_EQ(Read("-0.500", 6, true), (AnalogScaleReading{500, 10000, 0}));
    EXPECT_TRUE(Reading("-0.500", 6, true).negative);

    // 6 × 10^(n−1) for resistance and the other functions, 10^n for hertz.
    EXPECT_EQ(Read("4.700", 0x80), (AnalogScaleReading{4700, 6000, 0}));
    EXPECT_EQ(Read(" 12.5", 0x202), (AnalogScaleReading{125, 600, 1}));
    EXPECT_EQ(Read("50.00", 0x400), (AnalogScaleReading{5000, 10000, 1}));
    // Capacitance: 10^n only in the range of exponent 3.
    EXPECT_EQ(Read("1234", 8), (AnalogScaleReading{1234, 10000, 3}));
    EXPECT_EQ(Read("1.234", 8), (AnalogScaleReading{1234, 6000, 0}));
    // The plain temperatures: 2 × 10^(n−1), one decade down.
    EXPECT_EQ(Read("1234", 0x4000), (AnalogScaleReading{1234, 2000, 2}));
}

TEST(AnalogMeter, OverloadTemperaturesAndTextsThatAreNoNumber) {
    // Overload parks the needle at its stop; the multiplier of a point in
    // first place is x0.
    AnalogMeterState overload = Reading(".0L", 0x80);
    EXPECT_EQ(overload.count, 5500);
    EXPECT_EQ(overload.fullScale, 5000);
    EXPECT_EQ(overload.rangeExponent, -1);
    EXPECT_DOUBLE_EQ(overload.angle, 25.0);
    EXPECT_EQ(AnalogPanels(overload).multiplier, "x0");
    EXPECT_EQ(Read(" 0L ", 0x80), (AnalogScaleReading{5500, 5000, 2}));
    EXPECT_EQ(Read("-0L", 0x80, true), (AnalogScaleReading{5500, 5000, 1}));

    // A temperature's degree letter is dropped from its digits.
    AnalogMeterState celsius = Reading("25.3C", 0x8020);
    EXPECT_EQ(celsius.count, 253);
    EXPECT_EQ(celsius.fullScale, 2000);
    EXPECT_EQ(celsius.rangeExponent, 0);
    EXPECT_EQ(AnalogPanels(celsius).func, "C");
    EXPECT_EQ(AnalogPanels(Reading("77.5F", 0xC040)).func, "F");

    // An open sensor: a tenth beyond the end of the scale, at the stop.
    AnalogMeterState open = Reading("---", 0x4020);
    EXPECT_EQ(open.count, 2200);
    EXPECT_EQ(open.fullScale, 2000);
    EXPECT_EQ(open.rangeExponent, 1);
    EXPECT_DOUBLE_EQ(open.angle, 25.0);
    EXPECT_EQ(Read("----", 0x8020), (AnalogScaleReading{0, 2000, 2}));

    // Any other function keeps its scale and counts nothing.
    EXPECT_EQ(Read("----", 6, false, {321, 3000, 1}), (AnalogScaleReading{0, 3000, 1}));
    EXPECT_EQ(Read("", 6, true, {321, 3000, 1}), (AnalogScaleReading{0, 3000, 1}));
}

TEST(AnalogMeter, LongTextsStayWithinTheScale) {
    // More digits than an int holds, or a full scale beyond one: nothing
    // overflows and the needle stays on its arc.
    for (const char* text : {"123456789012345", "1234567890", "999999999", "0.00000000000001"}) {
        for (int function : {6, 8, 0x80, 0x4000}) {
            AnalogMeterState s = Reading(text, function);
            EXPECT_GT(s.fullScale, 0) << text;
            EXPECT_GE(s.angle, 25.0) << text;
            EXPECT_LE(s.angle, 150.0) << text;
        }
    }
    EXPECT_DOUBLE_EQ(NeedleAngle(5, 0), 150.0);
    EXPECT_DOUBLE_EQ(NeedleAngle(-3000, 6000), 90.0);
}

TEST(AnalogMeter, ScalePictureFollowsTheFunction) {
    for (int f : {5, 6, 7, 0x205, 0x400, 0x800, 0x1000, 0x2000, 0x10800, 0x20205, 0x40001})
        EXPECT_EQ(ScalePicture(f, 0), kScale100) << f;
    for (int f :
         {0x20, 0x40, 0x4000, 0x4020, 0x4040, 0x8000, 0x8020, 0x8040, 0xC000, 0xC020, 0xC040})
        EXPECT_EQ(ScalePicture(f, 0), kScale200) << f;
    for (int f : {0, 4, 0x14, 0x80, 0x180, 0x2080, 0x201, 0x01000005, 0x01000006})
        EXPECT_EQ(ScalePicture(f, 0), kScale60) << f;
    EXPECT_EQ(ScalePicture(8, 3), kScale100);
    EXPECT_EQ(ScalePicture(8, 0), kScale60);

    AnalogMeterState s;
    EXPECT_EQ(ScalePicture(s.scaleFunction, s.rangeExponent), kScale100);
    s.valueText = "1234";
    s.function = 8;
    TakeAnalogReading(s);
    EXPECT_EQ(ScalePicture(s.scaleFunction, s.rangeExponent), kScale100);
    s.valueText = "1.234";
    TakeAnalogReading(s); // capacitance redraws its scale with every reading
    EXPECT_EQ(ScalePicture(s.scaleFunction, s.rangeExponent), kScale60);
}

TEST(AnalogMeter, NeedleGeometryUsesItsOwnPi) {
    EXPECT_EQ(NeedleEnd(90.0, 100), (NeedleOffset{0, -100}));
    EXPECT_EQ(NeedleEnd(150.0, 100), (NeedleOffset{-86, -50}));
    // With pi a little short, sin 30° is a little under a half: -49, not -50.
    EXPECT_EQ(NeedleEnd(30.0, 100), (NeedleOffset{86, -49}));
    EXPECT_EQ(NeedleEnd(130.0, 70), (NeedleOffset{-44, -53}));
}

TEST(AnalogMeter, SweepShowsTenPositionsEndingAtTheNewAngle) {
    const std::vector<double> back = SweepAngles(30.0, 150.0);
    ASSERT_EQ(back.size(), 10u);
    for (std::size_t i = 0; i < back.size(); ++i)
        EXPECT_NEAR(back[i], 30.0 + 12.0 * static_cast<double>(i + 1), 1e-9);
    EXPECT_EQ(back.back(), 150.0);
    EXPECT_TRUE(SweepAngles(90.0, 90.0).empty());
    EXPECT_EQ(SweepAngles(135.192, 25.0).back(), 25.0);
}

TEST(AnalogMeter, PanelsAndResets) {
    EXPECT_EQ(MultiplierText(2), "x100");
    EXPECT_EQ(MultiplierText(3), "x1000");
    EXPECT_EQ(MultiplierText(-2), "x0");

    AnalogMeterState ohms = Reading("6.000", 0x80);
    ohms.firstLabel = "k";
    ohms.secondLabel = "W";
    EXPECT_DOUBLE_EQ(ohms.angle, 30.0);
    const AnalogPanelTexts panels = AnalogPanels(ohms);
    EXPECT_EQ(panels.unit, "k");
    EXPECT_EQ(panels.func, "W");
    EXPECT_TRUE(panels.funcSymbolFont);
    EXPECT_FALSE(AnalogPanels(Reading("1.000", 6)).funcSymbolFont);

    // The unlink writes the scale directly; the reset message also clears
    // the labels and brings the needle back to rest.
    AnalogMeterState unlinked = ohms;
    ResetAnalogValues(unlinked);
    EXPECT_EQ(unlinked.fullScale, 2000);
    EXPECT_EQ(unlinked.rangeExponent, 2);
    EXPECT_EQ(unlinked.count, 0);
    EXPECT_DOUBLE_EQ(unlinked.angle, 30.0);

    ResetAnalogMeter(ohms);
    EXPECT_DOUBLE_EQ(ohms.previousAngle, 30.0);
    EXPECT_DOUBLE_EQ(ohms.angle, 150.0);
    EXPECT_EQ(AnalogPanels(ohms), (AnalogPanelTexts{"x100", "", "", true}));
}

TEST(AnalogMeter, GraduationsLineUpWithTheNeedle) {
    struct Case {
        int picture;
        int top;
        int numbers;
    };
    for (const Case c : {Case{kScale60, 6, 7}, Case{kScale100, 10, 11}, Case{kScale200, 20, 11}}) {
        const std::vector<ScaleMark> marks = ScaleGraduation(c.picture);
        ASSERT_FALSE(marks.empty());
        EXPECT_DOUBLE_EQ(marks.front().angle, 150.0);
        EXPECT_DOUBLE_EQ(marks.back().angle, 30.0);
        int numbers = 0;
        for (const ScaleMark& m : marks) {
            if (!m.major)
                continue;
            ++numbers;
            // The number n stands where a count of n / top of the full scale points.
            EXPECT_NEAR(m.angle, NeedleAngle(m.label * 600, c.top * 600), 1e-9) << c.picture;
        }
        EXPECT_EQ(numbers, c.numbers) << c.picture;
        EXPECT_EQ(marks.back().label, c.top);
    }
}
