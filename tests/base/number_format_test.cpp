#include "base/number_format.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <utility>

namespace ostrel {

TEST(FormatGeneral, FixedFormHasNoTrailingZerosAndNoPointForWholeNumbers) {
    EXPECT_EQ(FormatGeneral(100.0), "100");
    EXPECT_EQ(FormatGeneral(300.0), "300");
    EXPECT_EQ(FormatGeneral(1.5), "1.5");
    EXPECT_EQ(FormatGeneral(0.25), "0.25");
    EXPECT_EQ(FormatGeneral(-0.25), "-0.25");
    EXPECT_EQ(FormatGeneral(-7.0), "-7");
    EXPECT_EQ(FormatGeneral(1234.5678), "1234.5678");
    EXPECT_EQ(FormatGeneral(0.0), "0");
    EXPECT_EQ(FormatGeneral(-0.0), "0");
}

TEST(FormatGeneral, RoundsToFifteenSignificantDigits) {
    EXPECT_EQ(FormatGeneral(0.1), "0.1");
    EXPECT_EQ(FormatGeneral(0.1 + 0.2), "0.3");
    EXPECT_EQ(FormatGeneral(1.0 / 3.0), "0.333333333333333");
    EXPECT_EQ(FormatGeneral(2.0 / 3.0), "0.666666666666667");
    EXPECT_EQ(FormatGeneral(123456789.123456789), "123456789.123457");
    // A carry through every digit moves the decimal point.
    EXPECT_EQ(FormatGeneral(9.9999999999999999), "10");
    EXPECT_EQ(FormatGeneral(0.99999999999999999), "1");
}

TEST(FormatGeneral, SmallValuesUseTheExponentFormBelowOneHundredThousandth) {
    EXPECT_EQ(FormatGeneral(0.00001), "0.00001");
    EXPECT_EQ(FormatGeneral(0.000012), "0.000012");
    EXPECT_EQ(FormatGeneral(-0.00001), "-0.00001");
    EXPECT_EQ(FormatGeneral(0.000001), "1E-6");
    EXPECT_EQ(FormatGeneral(0.0000099), "9.9E-6");
    EXPECT_EQ(FormatGeneral(1.5e-6), "1.5E-6");
    EXPECT_EQ(FormatGeneral(-2.5e-7), "-2.5E-7");
    EXPECT_EQ(FormatGeneral(1e-300), "1E-300");
    // Rounded up to 0.00001 it is no longer below it.
    EXPECT_EQ(FormatGeneral(9.9999999999999999e-6), "0.00001");
    EXPECT_EQ(FormatGeneral(std::numeric_limits<double>::denorm_min()), "4.94065645841247E-324");
}

TEST(FormatGeneral, MoreThanFifteenIntegerDigitsUseTheExponentForm) {
    EXPECT_EQ(FormatGeneral(999999999999999.0), "999999999999999");
    EXPECT_EQ(FormatGeneral(1e15), "1E15");
    EXPECT_EQ(FormatGeneral(1e16), "1E16");
    EXPECT_EQ(FormatGeneral(1e20), "1E20");
    EXPECT_EQ(FormatGeneral(-1e20), "-1E20");
    EXPECT_EQ(FormatGeneral(123456789012345678.0), "1.23456789012346E17");
    EXPECT_EQ(FormatGeneral(std::numeric_limits<double>::max()), "1.79769313486232E308");
    // 15 nines and a fraction round up to 16 integer digits.
    EXPECT_EQ(FormatGeneral(999999999999999.9), "1E15");
}

TEST(FormatGeneral, NotANumberAndInfinitiesHaveFixedTexts) {
    EXPECT_EQ(FormatGeneral(std::numeric_limits<double>::quiet_NaN()), "NAN");
    EXPECT_EQ(FormatGeneral(std::numeric_limits<double>::infinity()), "INF");
    EXPECT_EQ(FormatGeneral(-std::numeric_limits<double>::infinity()), "-INF");
}

TEST(FormatGeneral, ReadsBackToTheSameText) {
    for (double v : {0.1, 1.0 / 3.0, 1e-7, 12345.678, 1e300, -4.2e-12, 299792458.0}) {
        double back = 0.0;
        ASSERT_TRUE(ParseReal(FormatGeneral(v), &back)) << FormatGeneral(v);
        EXPECT_EQ(FormatGeneral(back), FormatGeneral(v));
        EXPECT_NEAR(back, v, std::abs(v) * 1e-14);
    }
}

TEST(ParseReal, AcceptsDecimalNumbersWithAPoint) {
    const std::pair<const char*, double> cases[] = {
        {"1.5", 1.5}, {"-0.25", -0.25}, {"+3", 3.0},   {"1E-5", 1e-5},   {"2.5e+3", 2500.0},
        {".5", 0.5},  {"5.", 5.0},      {"-.5", -0.5}, {" \t42 ", 42.0}, {"00012", 12.0}};
    for (const auto& [text, expected] : cases) {
        double v = 0.0;
        EXPECT_TRUE(ParseReal(text, &v)) << text;
        EXPECT_EQ(v, expected) << text;
    }
}

TEST(ParseReal, RefusesEverythingElseAndKeepsTheOldValue) {
    for (const char* bad :
         {"",  " ",    "abc", "1,5",  "1.5x", "1 5",   "--1",    "+-1",   "1e", "1e+", ".",
          "-", "0x10", "inf", "-INF", "nan",  "1e400", "-1e400", "1.2.3", "E5", "1\n"}) {
        double v = 7.0;
        EXPECT_FALSE(ParseReal(bad, &v)) << '"' << bad << '"';
        EXPECT_EQ(v, 7.0) << bad;
    }
}

TEST(ParseReal, IgnoresTheLocaleDecimalSeparator) {
    // With a comma locale installed, strtod would stop at the point.
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = old ? old : "C";
    bool installed = false;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "ru_RU.UTF-8", "de_DE"})
        if (std::setlocale(LC_NUMERIC, name)) {
            installed = true;
            break;
        }
    if (!installed)
        GTEST_SKIP() << "no locale with a decimal comma";
    double v = 0.0;
    const bool ok = ParseReal("1.25", &v);
    const std::string text = FormatGeneral(1.25);
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_TRUE(ok);
    EXPECT_EQ(v, 1.25);
    EXPECT_EQ(text, "1.25");
}

TEST(ParseInteger, WholeTextMustBeAnIntInRange) {
    int v = 0;
    EXPECT_TRUE(ParseInteger("5", &v));
    EXPECT_EQ(v, 5);
    EXPECT_TRUE(ParseInteger(" -12 ", &v));
    EXPECT_EQ(v, -12);
    EXPECT_TRUE(ParseInteger("+3", &v));
    EXPECT_EQ(v, 3);
    EXPECT_TRUE(ParseInteger("2147483647", &v));
    EXPECT_EQ(v, 2147483647);
    for (const char* bad :
         {"", "2.0", "1e3", "2147483648", "-2147483649", "x", "+-1", "+", "0x1"}) {
        int w = 9;
        EXPECT_FALSE(ParseInteger(bad, &w)) << bad;
        EXPECT_EQ(w, 9);
    }
}

} // namespace ostrel
