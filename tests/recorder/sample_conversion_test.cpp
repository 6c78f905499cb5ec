#include "recorder/sample_conversion.h"

#include <gtest/gtest.h>

#include <cmath>

namespace ostrel {
namespace {

DisplayReading Display(std::string text, std::string exponent, std::uint32_t code,
                       bool negative = false, std::string coupling = {}) {
    DisplayReading d;
    d.negative = negative ? 1 : 0;
    d.valueText = std::move(text);
    d.exponentText = std::move(exponent);
    d.function = static_cast<std::int32_t>(code);
    d.rawFunction = d.function;
    d.couplingText = std::move(coupling);
    SetField(d.valueField, d.valueText);
    SetField(d.firstLabelField, "m");
    SetField(d.secondLabelField, "V");
    return d;
}

MeterReading Reading(DisplayReading main, DisplayReading sub = {}) {
    MeterReading r;
    r.main = std::move(main);
    r.sub = std::move(sub);
    return r;
}

std::optional<RecordPair> Convert(DisplayReading main, DisplayReading sub = {}) {
    return ConvertSample(Reading(std::move(main), std::move(sub)), "  9:05:07.3");
}

TEST(SampleTimeTest, FormatsHourMinuteSecondTenths) {
    EXPECT_EQ(FormatSampleTime(9, 5, 7, 3), "  9:05:07.3");
    EXPECT_EQ(FormatSampleTime(23, 59, 0, 9), " 23:59:00.9");
    const std::string now = SampleTimeText(std::chrono::system_clock::now());
    ASSERT_EQ(now.size(), 11u);
    EXPECT_EQ(now[3], ':');
    EXPECT_EQ(now[9], '.');
}

TEST(SampleConversionTest, PlainValuesUseTheExponentAndKeepTheText) {
    auto p = Convert(Display("12.34", "-3", 0x6, false, "DC"));
    ASSERT_TRUE(p);
    EXPECT_FLOAT_EQ(p->main.value, 0.01234f);
    EXPECT_EQ(FieldView(p->main.valueText), "12.34");
    EXPECT_EQ(FieldView(p->main.exponentText), "-3");
    EXPECT_EQ(p->main.function, 0x6u);
    EXPECT_EQ(FieldView(p->main.timeText), "  9:05:07.3");
    EXPECT_EQ(FieldView(p->main.dataText), "12.34");
    EXPECT_EQ(FieldView(p->main.unitText), "m");
    EXPECT_EQ(FieldView(p->main.functionText), "V");
    EXPECT_EQ(FieldView(p->main.modeText), "DC");

    auto n = Convert(Display("-1.234", "0", 0x4, true));
    ASSERT_TRUE(n);
    EXPECT_EQ(FieldView(n->main.valueText), "-1.234");
    EXPECT_FLOAT_EQ(n->main.value, -1.234f);

    // The sign slot of a negative display is replaced, blanks around the digits go.
    auto spaced = Convert(Display("- 1.23 ", "0", 0x4, true));
    ASSERT_TRUE(spaced);
    EXPECT_EQ(FieldView(spaced->main.valueText), "-1.23");

    // Capacitance in microfarads, conductance in nanosiemens.
    auto cx = Convert(Display("1.000", "-9", 0x8));
    ASSERT_TRUE(cx);
    EXPECT_FLOAT_EQ(cx->main.value, 0.001f);
    auto s = Convert(Display("2.000", "-9", 0x1000));
    ASSERT_TRUE(s);
    EXPECT_FLOAT_EQ(s->main.value, 2.0f);

    // Decibel codes take the text without the exponent.
    auto db = Convert(Display("12.5", "-3", 0x2000));
    ASSERT_TRUE(db);
    EXPECT_FLOAT_EQ(db->main.value, 12.5f);
}

TEST(SampleConversionTest, TemperatureLetterIsDropped) {
    auto c = Convert(Display("23.4C", "0", 0x8020, false, "T1"));
    ASSERT_TRUE(c);
    EXPECT_EQ(FieldView(c->main.valueText), "23.4");
    EXPECT_FLOAT_EQ(c->main.value, 23.4f);
    EXPECT_EQ(FieldView(c->main.dataText), "23.4C"); // the display field stays as shown
    // Code 0x20 is no dual-sensor code: its letter stays and the text is no number.
    EXPECT_FALSE(Convert(Display("23.4C", "0", 0x20)));
}

TEST(SampleConversionTest, OverloadUsesTheSubstituteTable) {
    auto v = Convert(Display("0.L", "0", 0x4));
    ASSERT_TRUE(v);
    EXPECT_FLOAT_EQ(v->main.value, 6.6f);
    auto neg = Convert(Display("-0.L", "0", 0x4, true));
    ASSERT_TRUE(neg);
    EXPECT_FLOAT_EQ(neg->main.value, -6.6f);
    EXPECT_FALSE(Convert(Display("0.L", "0", 0x40)));

    // 10.9989 × 10^d × 10^e for AC volts: two digits before the point, mV range.
    auto acv = Convert(Display("00.L", "-3", 0x5));
    ASSERT_TRUE(acv);
    EXPECT_EQ(acv->main.value, static_cast<float>(10.9989 * 10.0 * 1e-3));
    // The product is formed in double and only then stored as a float.
    auto cx = Convert(Display("0.L", "-9", 0x8));
    ASSERT_TRUE(cx);
    EXPECT_EQ(cx->main.value, static_cast<float>(6.6 * 1.0 * 1e-9 * 1e6));
    EXPECT_FLOAT_EQ(Convert(Display(" 0L ", "0", 0x800))->main.value, 110.0f);
    EXPECT_FLOAT_EQ(Convert(Display("OL", "0", 0x2000))->main.value, 1100.0f);
    // Without a point the trailing blanks stay in the value text.
    EXPECT_EQ(FieldView(Convert(Display(" 0L ", "0", 0x800))->main.valueText), " 0L ");
}

TEST(SampleConversionTest, OpenSensorTexts) {
    EXPECT_FLOAT_EQ(Convert(Display("---", "0", 0x4040))->main.value, 2510.0f);
    EXPECT_FLOAT_EQ(Convert(Display("----", "0", 0x8020))->main.value, -1375.0f);
    EXPECT_FLOAT_EQ(Convert(Display("---", "0", 0x20))->main.value, 1375.0f);
    EXPECT_FALSE(Convert(Display("---", "0", 0x4)));
}

TEST(SampleConversionTest, RefusedReadings) {
    EXPECT_FALSE(Convert(Display(".", "0", 0x4)));
    EXPECT_FALSE(Convert(Display(" . ", "0", 0x4)));
    EXPECT_FALSE(Convert(Display("abc", "0", 0x4)));
    EXPECT_FALSE(Convert(Display("", "0", 0x4)));
    EXPECT_FALSE(Convert(Display("inf", "0", 0x4)));
    EXPECT_FALSE(Convert(Display("0x10", "0", 0x4)));
    // An overload of an unknown code, or with an exponent that is no number.
    EXPECT_FALSE(Convert(Display("0.L", "0", 0x1234)));
    EXPECT_FALSE(Convert(Display("0.L", "x", 0x4)));
}

TEST(SampleConversionTest, SubDisplay) {
    // Sub not in use: value 0, texts as read.
    DisplayReading idle = Display(" 1.5 ", "0", 0);
    auto p = Convert(Display("1.000", "0", 0x4), idle);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->hasSub, 0);
    EXPECT_EQ(FieldView(p->sub.valueText), " 1.5 ");
    EXPECT_EQ(p->sub.value, 0.0f);

    auto hz = Convert(Display("1.000", "0", 0x5), Display("50.00", "0", 0x400));
    ASSERT_TRUE(hz);
    EXPECT_EQ(hz->hasSub, 1);
    EXPECT_FLOAT_EQ(hz->sub.value, 50.0f);

    // A sub text that is no number still makes the sample, with 0.
    auto junk = Convert(Display("1.000", "0", 0x5), Display("abc", "0", 0x400));
    ASSERT_TRUE(junk);
    EXPECT_EQ(junk->sub.value, 0.0f);

    // Sub overload: its own table; an unknown code refuses the sample.
    auto over = Convert(Display("1.000", "0", 0x5), Display("-0.L", "3", 0x400, true));
    ASSERT_TRUE(over);
    EXPECT_EQ(over->sub.value, static_cast<float>(-10.9989 * 1e3));
    EXPECT_FALSE(Convert(Display("1.000", "0", 0x5), Display("0.L", "0", 0x6)));

    // Sub open sensor: only T2 codes have a substitute; others give 0.
    EXPECT_FLOAT_EQ(Convert(Display("1.000", "0", 0x5), Display("----", "0", 0x4040))->sub.value,
                    -2510.0f);
    EXPECT_EQ(Convert(Display("1.000", "0", 0x5), Display("---", "0", 0x8020))->sub.value, 0.0f);
    // The sub letter is dropped only for the T2 codes.
    EXPECT_EQ(
        FieldView(
            Convert(Display("1.000", "0", 0x5), Display("21.0C", "0", 0x4020))->sub.valueText),
        "21.0");
    EXPECT_EQ(
        FieldView(
            Convert(Display("1.000", "0", 0x5), Display("21.0C", "0", 0x8020))->sub.valueText),
        "21.0C");
    // The sub display always appends its exponent, even for decibels.
    EXPECT_FLOAT_EQ(Convert(Display("1.000", "0", 0x5), Display("12.0", "-3", 0x2000))->sub.value,
                    0.012f);
}

TEST(SampleConversionTest, LongTextsAreCutInsideTheirFields) {
    DisplayReading m = Display("1.0", "-3", 0x6, false, "DC+AC-LONGER");
    m.exponentText = "-3000";
    auto p = Convert(m);
    // "1.0E-3000" converts to 0; the exponent field keeps 3 characters and its terminator.
    ASSERT_TRUE(p);
    EXPECT_EQ(FieldView(p->main.exponentText), "-30");
    EXPECT_EQ(FieldView(p->main.modeText), "DC+AC-L");
}

TEST(ParseDecimalTest, AcceptsOnlyPlainDecimals) {
    double v = 0;
    EXPECT_TRUE(ParseDecimal("1.5E-3", v));
    EXPECT_DOUBLE_EQ(v, 0.0015);
    EXPECT_TRUE(ParseDecimal("-.5", v));
    EXPECT_TRUE(ParseDecimal("5.", v));
    EXPECT_TRUE(ParseDecimal("+2", v));
    EXPECT_DOUBLE_EQ(v, 2.0);
    EXPECT_TRUE(ParseDecimal("-1E999", v));
    EXPECT_EQ(v, -HUGE_VAL);
    EXPECT_TRUE(ParseDecimal("1E-999", v));
    EXPECT_EQ(v, 0.0);
    for (const char* bad : {"", "-", ".", "1E", "1e+", " 1", "1 ", "nan", "1.2.3", "1E3.5"}) {
        EXPECT_FALSE(ParseDecimal(bad, v)) << bad;
    }
}

} // namespace
} // namespace ostrel

#include "link/frame_codec.h"

namespace ostrel {
namespace {

// Displays as the frame decoder produces them, through to the sample.
std::optional<RecordPair> FromFrame(std::string_view mainText, std::uint32_t mainCode, int exponent,
                                    std::string_view subText = {}, std::uint32_t subCode = 0) {
    FrameContent content;
    EXPECT_TRUE(SetDisplayText(content.main, mainText)) << mainText;
    content.main.function = mainCode;
    content.main.exponent = exponent;
    if (subCode != 0) {
        EXPECT_TRUE(SetDisplayText(content.sub, subText)) << subText;
        content.sub.function = subCode;
    }
    return ConvertSample(DecodeFrame(EncodeFrame(content)), "  1:02:03.4");
}

TEST(SampleConversionTest, DecodedFramesConvert) {
    auto dcv = FromFrame("1.234", 0x6, -3);
    ASSERT_TRUE(dcv);
    EXPECT_FLOAT_EQ(dcv->main.value, 1.234e-3f);
    EXPECT_EQ(FieldView(dcv->main.modeText), "DC");
    EXPECT_EQ(dcv->hasSub, 0);

    auto neg = FromFrame("-12.34", 0x4, 0);
    ASSERT_TRUE(neg);
    EXPECT_EQ(FieldView(neg->main.valueText), "-12.34");
    EXPECT_FLOAT_EQ(neg->main.value, -12.34f);

    // The point's place sets the range: every character before it is a digit
    // place, a blank one included (6.6 k and 66 k ranges).
    auto over = FromFrame("0.L  ", 0x80, 3);
    ASSERT_TRUE(over);
    EXPECT_FLOAT_EQ(over->main.value, 6.6e3f);
    over = FromFrame(" 0.L ", 0x80, 3);
    ASSERT_TRUE(over);
    EXPECT_FLOAT_EQ(over->main.value, 6.6e4f);

    auto temp = FromFrame(" 234", 0x8020, 0);
    ASSERT_TRUE(temp);
    EXPECT_FLOAT_EQ(temp->main.value, 23.0f) << FieldView(temp->main.valueText);

    auto both = FromFrame("1.000", 0x5, 0, "50.00", 0x400);
    ASSERT_TRUE(both);
    EXPECT_EQ(both->hasSub, 1);
    EXPECT_FLOAT_EQ(both->sub.value, 50.0f);
}

} // namespace
} // namespace ostrel
