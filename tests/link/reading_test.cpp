#include "link/reading.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

namespace ostrel {
namespace {

const std::vector<std::uint32_t> kAllNamedCodes = NamedFunctionCodes();

TEST(FunctionTextsTest, NamedUnknownAndEmptyCodes) {
    for (std::uint32_t code : kAllNamedCodes) {
        EXPECT_TRUE(IsKnownFunction(code)) << code;
        EXPECT_NE(FunctionName(code), "nFunc_N/A") << code;
        EXPECT_NE(FunctionUnitText(code), "?") << code;
    }
    EXPECT_EQ(FunctionName(nFunc_Pct4_20mA), "nFunc_%4-20mA");
    EXPECT_EQ(FunctionName(nFunc_dBm_Ohm), "nFunc_dBm_Ohm");
    // Combinations that are no named function.
    for (std::uint32_t code : {0x3u, 0x20u, 0x1000007u, 0x180000u, 0x8080u}) {
        EXPECT_FALSE(IsKnownFunction(code)) << code;
        EXPECT_EQ(FunctionName(code), "nFunc_N/A") << code;
        EXPECT_EQ(FunctionUnitText(code), "?") << code;
        EXPECT_EQ(CouplingText(code, true), "") << code;
    }
    EXPECT_EQ(FunctionUnitText(0), "");
    EXPECT_EQ(CouplingText(0, true), "");
    EXPECT_EQ(CouplingText(0, false), "");
}

TEST(FunctionTextsTest, LowBatteryBitDoesNotChangeTheLookup) {
    EXPECT_EQ(FunctionUnitText(nFunc_Hz | kLowBatteryBit), "Hz");
    EXPECT_EQ(CouplingText(nFunc_DcV | kLowBatteryBit, true), "DC");
    EXPECT_EQ(FunctionUnitText(nFunc_T1T2F), ""); // the degree letter is on the display
}

TEST(FunctionTextsTest, SubDisplayShowsCouplingOnlyForAcAndTemperatures) {
    const std::vector<std::uint32_t> withSubCoupling = {
        nFunc_AcV,   nFunc_AcA,   nFunc_T1C, nFunc_T1F, nFunc_T2C, nFunc_T2F,
        nFunc_T1T2C, nFunc_T1T2F, nFunc_T1,  nFunc_T2,  nFunc_T1T2};
    for (std::uint32_t code : kAllNamedCodes) {
        const bool expected = std::find(withSubCoupling.begin(), withSubCoupling.end(), code) !=
                              withSubCoupling.end();
        EXPECT_EQ(!CouplingText(code, false).empty(), expected) << code;
        if (expected) {
            EXPECT_EQ(CouplingText(code, false), CouplingText(code, true)) << code;
        }
    }
    EXPECT_EQ(CouplingText(nFunc_DcV, true), "DC");
    EXPECT_EQ(CouplingText(nFunc_DcV, false), "");
    EXPECT_EQ(CouplingText(nFunc_AcDcV, true), "DC+AC");
    EXPECT_EQ(CouplingText(nFunc_AcV6, true), "AC");
    EXPECT_EQ(CouplingText(nFunc_AcV6, false), "");
    EXPECT_EQ(CouplingText(nFunc_T1T2, false), "T1-T2");
    EXPECT_EQ(CouplingText(nFunc_Hz, true), "");
}

TEST(FunctionTextsTest, PrefixesAndMainLabelOrder) {
    EXPECT_EQ(ExponentPrefixText(-9), "n");
    EXPECT_EQ(ExponentPrefixText(-6), "u");
    EXPECT_EQ(ExponentPrefixText(-3), "m");
    EXPECT_EQ(ExponentPrefixText(0), "");
    EXPECT_EQ(ExponentPrefixText(3), "k");
    EXPECT_EQ(ExponentPrefixText(6), "M");
    for (int e : {-12, -1, 1, 2, 9})
        EXPECT_EQ(ExponentPrefixText(e), "") << e;

    using Labels = std::pair<std::string, std::string>;
    EXPECT_EQ(MainDisplayLabels(nFunc_DcV, "m", "V"), (Labels{"m", "V"}));
    EXPECT_EQ(MainDisplayLabels(nFunc_dB, "m", "dB"), (Labels{"dB", "m"}));
    EXPECT_EQ(MainDisplayLabels(nFunc_dBm_Ohm, "k", "W"), (Labels{"", "W"}));
}

TEST(RecordTextsTest, ExponentOfStoredRanges) {
    EXPECT_EQ(RecordExponent(5, "0"), 1);
    EXPECT_EQ(RecordExponent(0x1000006, "-1"), -3);
    EXPECT_EQ(RecordExponent(8, "4"), -3);
    EXPECT_EQ(RecordExponent(0x80, "-4"), -3); // truncation toward zero
    EXPECT_EQ(RecordExponent(0x180, "5"), 3);
    EXPECT_EQ(RecordExponent(0x201, "-4"), -6);
    EXPECT_EQ(RecordExponent(0x1000, "0"), -9);
    // A range text that is no integer gives 0 whatever the code.
    for (const char* text : {"", "x", "1.5", "2k", "-", "99999999999"}) {
        EXPECT_EQ(RecordExponent(0x202, text), 0) << text;
        EXPECT_EQ(RecordExponent(5, text), 0) << text;
        EXPECT_EQ(RecordExponent(0x1000, text), 0) << text;
    }
    EXPECT_EQ(RecordExponent(5, " -1"), -3);
    EXPECT_EQ(RecordExponent(5, "+0"), 1);
}

TEST(RecordTextsTest, PrefixAndUnitTexts) {
    char buffer[8];
    EXPECT_EQ(RecordPrefixText(0x2000, -3, buffer), 2);
    EXPECT_STREQ(buffer, "dB");
    EXPECT_EQ(RecordPrefixText(0x2080, -3, buffer), 1);
    EXPECT_STREQ(buffer, "m");
    EXPECT_EQ(RecordPrefixText(0x2000, 0, buffer), 0);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(RecordPrefixText(5, 1, buffer), 0);

    // A stored decibel reading with exponent -3 reads "dB" then "m".
    EXPECT_EQ(RecordUnitText(0x2000, buffer), 1);
    EXPECT_STREQ(buffer, "m");
    EXPECT_EQ(RecordUnitText(0xC040, buffer), 1);
    EXPECT_STREQ(buffer, "F");
    EXPECT_EQ(RecordUnitText(0x400 | kLowBatteryBit, buffer), 2);
    EXPECT_STREQ(buffer, "Hz");
    EXPECT_EQ(RecordUnitText(0x1000006, buffer), 1);
    EXPECT_STREQ(buffer, "V");
    EXPECT_EQ(RecordUnitText(0x8000, buffer), 0); // a temperature without its degree letter
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(RecordUnitText(0x200000, buffer), 0);
}

} // namespace
} // namespace ostrel
