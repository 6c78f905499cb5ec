#pragma once
// The vocabulary of a meter reading: function codes, exponent prefixes, unit and
// coupling texts, and the MeterReading that the frame decoder fills.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ostrel {

// Function code: a 32-bit annunciator bit set. Bit 31 of the main display's raw
// code is the low-battery annunciator, not part of the function.
enum FunctionCode : std::uint32_t {
    nFunc_None = 0x0,
    nFunc_AcV = 0x5,
    nFunc_AcV6 = 0x1000005,
    nFunc_DcV = 0x6,
    nFunc_DcV6 = 0x1000006,
    nFunc_AcDcV = 0x7,
    nFunc_Dx = 0x14,
    nFunc_V = 0x4,
    nFunc_dB = 0x2000,
    nFunc_dBm_Ohm = 0x2080,
    nFunc_DcA = 0x202,
    nFunc_AcA = 0x201,
    nFunc_AcDcA = 0x203,
    nFunc_Pct4_20mA = 0x200000, // "%4-20mA"
    nFunc_Hz = 0x400,
    nFunc_Duty = 0x800,
    nFunc_Cx = 0x8,
    nFunc_T1C = 0x8020,
    nFunc_T1F = 0x8040,
    nFunc_T2C = 0x4020,
    nFunc_T2F = 0x4040,
    nFunc_T1T2C = 0xC020,
    nFunc_T1T2F = 0xC040,
    nFunc_T1 = 0x8000,
    nFunc_T2 = 0x4000,
    nFunc_T1T2 = 0xC000,
    nFunc_Ohm = 0x80,
    nFunc_Conti = 0x180,
    nFunc_S = 0x1000,
};

inline constexpr std::uint32_t kLowBatteryBit = 0x80000000u;
inline constexpr std::uint32_t kFunctionMask = 0x7FFFFFFFu;

// The named function codes, in the order the system lists them (code 0 not
// among them).
std::vector<std::uint32_t> NamedFunctionCodes();

// True for the codes named in the enumeration above (code 0 included); any
// other code is "N/A".
bool IsKnownFunction(std::uint32_t code);

// The name of a function code as the system spells it ("nFunc_AcV", …,
// "nFunc_N/A" for any other code).
std::string FunctionName(std::uint32_t code);

// -9 "n", -6 "u", -3 "m", 3 "k", 6 "M"; anything else empty.
std::string ExponentPrefixText(int exponent);

// Live unit text of a function code (bit 31 ignored); "?" for an unknown code,
// empty for 0.
std::string FunctionUnitText(std::uint32_t code);

// Coupling text of a function code (bit 31 ignored) on the main (isMain) or the
// sub display; the sub display shows it only for AC volts, AC amperes and the
// temperatures.
std::string CouplingText(std::uint32_t code, bool isMain);

// The two label fields of the main display, side by side: normally prefix then
// unit; "dB" then prefix for nFunc_dB (reads dBm); empty then unit for
// nFunc_dBm_Ohm. The sub display always shows prefix then unit.
std::pair<std::string, std::string> MainDisplayLabels(std::uint32_t function,
                                                      const std::string& prefixText,
                                                      const std::string& unitText);

// The two label fields of a display as one text ("mV", "kW", "dBm"); with
// ohmSign, the "W" that the windows draw as an ohm sign in the symbol
// typeface becomes "\u03A9" for the resistance functions.
std::string LabelText(std::uint32_t function, std::string_view first, std::string_view second,
                      bool ohmSign);

// Stored-reading texts used by the memory import. RecordExponent gives 0 when
// rangeText is no integer.
int RecordExponent(std::uint32_t code, const std::string& rangeText);
// Write the prefix/unit text into buffer (at least 4 bytes, zero-terminated)
// and return its length.
int RecordPrefixText(std::uint32_t code, int exponent, char* buffer);
int RecordUnitText(std::uint32_t code, char* buffer);

// One display's part of a decoded frame.
struct DisplayReading {
    std::uint8_t negative = 0;
    std::string valueText;
    std::string exponentText;
    std::int32_t rawFunction = 0;
    std::int32_t function = 0;
    std::string prefixText;
    std::string unitText;
    std::string couplingText;
    std::array<char, 16> valueField{};
    std::array<char, 8> firstLabelField{};
    std::array<char, 8> secondLabelField{};
};

// One decoded display frame: main and sub display, and the low-battery flag.
struct MeterReading {
    DisplayReading main;
    DisplayReading sub;
    std::uint8_t lowBattery = 0;
};

// Copy text into a fixed-size zero-terminated field, cut at width - 1.
template <std::size_t N> void SetField(std::array<char, N>& field, const std::string& text) {
    field.fill(0);
    text.copy(field.data(), N - 1);
}

template <std::size_t N> std::string FieldText(const std::array<char, N>& field) {
    std::size_t n = 0;
    while (n < N && field[n] != 0)
        ++n;
    return std::string(field.data(), n);
}

} // namespace ostrel
