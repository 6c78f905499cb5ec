#include "displays/comparator_gauge.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace ostrel;

TEST(ComparatorGauge, ValuesAreReadInTheUnitOfTheLimits) {
    // Capacitance in microfarads, conductance in nanosiemens, dBm.
    EXPECT_EQ(ComparatorValue("1.000", "-6", false, 0x8, 2, 1), 1.0f);
    EXPECT_EQ(ComparatorValue("2.000", "-9", false, 0x1000, 2, 1), 2.0f);
    EXPECT_FLOAT_EQ(ComparatorValue("12.30", "-3", false, 0x2000, 2, 1), 12.3f);
    // Others as shown, with their exponent; the sign from the flag.
    EXPECT_FLOAT_EQ(ComparatorValue("1.234", "-3", false, 0x6, 2, 1), 0.001234f);
    EXPECT_FLOAT_EQ(ComparatorValue("-0.500", "0", true, 0x6, 2, 1), -0.5f);
    EXPECT_FLOAT_EQ(ComparatorValue(" 4.700", "3", false, 0x80, 2, 1), 4700.0f);
    // A temperature drops its degree letter and is not scaled.
    EXPECT_FLOAT_EQ(ComparatorValue("25.3C", "0", false, 0x8020, 2, 1), 25.3f);
    EXPECT_FLOAT_EQ(ComparatorValue("-12.F", "0", true, 0x4040, 2, 1), -12.0f);
}

TEST(ComparatorGauge, TextsThatAreNoNumberMapIntoTheGauge) {
    // Overload: half a span beyond the limit on the side of the sign.
    EXPECT_FLOAT_EQ(ComparatorValue(" 0L ", "6", false, 0x80, 2, 1), 2.5f);
    EXPECT_FLOAT_EQ(ComparatorValue("-0L", "6", true, 0x80, 2, 1), 0.5f);
    // An open temperature sensor.
    EXPECT_FLOAT_EQ(ComparatorValue("---", "0", false, 0x4020, 2, 1), 2.5f);
    EXPECT_FLOAT_EQ(ComparatorValue("----", "0", false, 0xC040, 2, 1), 0.5f);
    // Everything else: the middle.
    EXPECT_FLOAT_EQ(ComparatorValue("----", "0", false, 0x6, 2, 1), 1.5f);
    EXPECT_FLOAT_EQ(ComparatorValue("?.??", "0", false, 0x4020, 2, 1), 1.5f);
    EXPECT_FLOAT_EQ(ComparatorValue("1.000", "", false, 0x6, 2, 1), 1.5f);
    EXPECT_FLOAT_EQ(ComparatorValue("", "0", true, 0x6, 2, 1), 1.5f);
}

TEST(ComparatorGauge, AnglesBetweenTheLimits) {
    // Lower limit at 110, upper at 70, stops half a span beyond.
    EXPECT_DOUBLE_EQ(GaugeAngle(1.5f, 2, 1), 90.0);
    EXPECT_DOUBLE_EQ(GaugeAngle(1.0f, 2, 1), 110.0);
    EXPECT_DOUBLE_EQ(GaugeAngle(2.0f, 2, 1), 70.0);
    EXPECT_DOUBLE_EQ(GaugeAngle(0.0f, 2, 1), 130.0);
    EXPECT_DOUBLE_EQ(GaugeAngle(3.0f, 2, 1), 50.0);
    EXPECT_DOUBLE_EQ(GaugeAngle(MiddleValue(2, 1), 2, 1), 90.0);

    // The default limits are upside down (upper 100, lower 300): every value
    // below 400 stands at 130, every value from 400 up at 50.
    for (float v : {-1e6f, 0.0f, 200.0f, 399.0f})
        EXPECT_DOUBLE_EQ(GaugeAngle(v, 100, 300), 130.0) << v;
    for (float v : {400.0f, 1000.0f, 1e9f})
        EXPECT_NEAR(GaugeAngle(v, 100, 300), 50.0, 1e-5) << v;
}

TEST(ComparatorGauge, EqualOrHugeLimitsGiveASoundGauge) {
    // Equal limits from a hand-edited configuration: no division by zero.
    EXPECT_DOUBLE_EQ(GaugeAngle(4.0f, 5, 5), 130.0);
    EXPECT_DOUBLE_EQ(GaugeAngle(5.0f, 5, 5), 90.0);
    EXPECT_DOUBLE_EQ(GaugeAngle(6.0f, 5, 5), 50.0);
    EXPECT_DOUBLE_EQ(GaugeAngle(MiddleValue(5, 5), 5, 5), 90.0);
    // A span beyond single precision: the needle stays on the gauge.
    for (float v : {0.0f, 1e30f, -1e30f})
        for (auto [upper, lower] : {std::pair{1e300, -1e300}, std::pair{1e39, 0.0}}) {
            const double angle = GaugeAngle(v, upper, lower);
            EXPECT_TRUE(std::isfinite(angle));
            EXPECT_GE(angle, 50.0);
            EXPECT_LE(angle, 130.0);
        }
}

TEST(ComparatorGauge, AlarmTones) {
    EXPECT_EQ(AlarmToneHz(3.0f, 2, 1), 1047);
    EXPECT_EQ(AlarmToneHz(0.5f, 2, 1), 523);
    EXPECT_EQ(AlarmToneHz(1.5f, 2, 1), 0);
    EXPECT_EQ(AlarmToneHz(2.0f, 2, 1), 0); // on a limit is within
    EXPECT_EQ(AlarmToneHz(1.0f, 2, 1), 0);
    // An overload above the upper limit sounds the high tone.
    EXPECT_EQ(AlarmToneHz(ComparatorValue(" 0L ", "6", false, 0x80, 2, 1), 2, 1), 1047);
    // Upside-down limits: above the upper one comes first.
    EXPECT_EQ(AlarmToneHz(200.0f, 100, 300), 1047);
    EXPECT_EQ(AlarmToneHz(50.0f, 100, 300), 523);
}

TEST(ComparatorGauge, LimitLabelsByFunction) {
    EXPECT_EQ(ComparatorLimitLabels(0x8), (LimitLabels{"u", "F"}));
    EXPECT_EQ(ComparatorLimitLabels(0x1000), (LimitLabels{"n", "S"}));
    EXPECT_EQ(ComparatorLimitLabels(0x2000), (LimitLabels{"dB", "m"}));
    EXPECT_EQ(ComparatorLimitLabels(0x6), (LimitLabels{"", "V"}));
    EXPECT_EQ(ComparatorLimitLabels(0x0), (LimitLabels{"", ""}));
    EXPECT_EQ(ComparatorLimitLabels(0x8020), (LimitLabels{"", ""}));
    for (int ohms : {0x80, 0x180, 0x2080})
        EXPECT_EQ(ComparatorLimitLabels(ohms), (LimitLabels{"", "W", false, false, true, false}));
    const LimitLabels degrees = ComparatorLimitLabels(0x20);
    EXPECT_TRUE(degrees.prefixSymbolFont);
    EXPECT_TRUE(degrees.prefixAlignRight);
    EXPECT_TRUE(degrees.unitAlignLeft);
    EXPECT_FALSE(degrees.unitSymbolFont);
}
