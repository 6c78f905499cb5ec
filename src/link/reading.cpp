// Function codes, prefix, unit and coupling texts of a reading, live and stored.
#include "link/reading.h"

#include <charconv>
#include <cstring>

namespace ostrel {

namespace {

struct FunctionEntry {
    std::uint32_t code;
    const char* name;
    const char* unit;
    const char* coupling; // on the main display
    bool subCoupling;     // the sub display shows the coupling text as well
};

// The named function codes, in the order the system lists them.
constexpr FunctionEntry kFunctions[] = {
    {nFunc_AcV, "nFunc_AcV", "V", "AC", true},
    {nFunc_AcV6, "nFunc_AcV6", "V", "AC", false},
    {nFunc_DcV, "nFunc_DcV", "V", "DC", false},
    {nFunc_DcV6, "nFunc_DcV6", "V", "DC", false},
    {nFunc_AcDcV, "nFunc_AcDcV", "V", "DC+AC", false},
    {nFunc_Dx, "nFunc_Dx", "V", "", false},
    {nFunc_V, "nFunc_V", "V", "", false},
    {nFunc_dB, "nFunc_dB", "dB", "", false},
    {nFunc_dBm_Ohm, "nFunc_dBm_Ohm", "W", "", false},
    {nFunc_DcA, "nFunc_DcA", "A", "DC", false},
    {nFunc_AcA, "nFunc_AcA", "A", "AC", true},
    {nFunc_AcDcA, "nFunc_AcDcA", "A", "DC+AC", false},
    {nFunc_Pct4_20mA, "nFunc_%4-20mA", "%", "", false},
    {nFunc_Hz, "nFunc_Hz", "Hz", "", false},
    {nFunc_Duty, "nFunc_Duty", "%", "", false},
    {nFunc_Cx, "nFunc_Cx", "F", "", false},
    {nFunc_T1C, "nFunc_T1C", "", "T1", true},
    {nFunc_T1F, "nFunc_T1F", "", "T1", true},
    {nFunc_T2C, "nFunc_T2C", "", "T2", true},
    {nFunc_T2F, "nFunc_T2F", "", "T2", true},
    {nFunc_T1T2C, "nFunc_T1T2C", "", "T1-T2", true},
    {nFunc_T1T2F, "nFunc_T1T2F", "", "T1-T2", true},
    {nFunc_T1, "nFunc_T1", "", "T1", true},
    {nFunc_T2, "nFunc_T2", "", "T2", true},
    {nFunc_T1T2, "nFunc_T1T2", "", "T1-T2", true},
    {nFunc_Ohm, "nFunc_Ohm", "W", "", false},
    {nFunc_Conti, "nFunc_Conti", "W", "", false},
    {nFunc_S, "nFunc_S", "S", "", false},
};

const FunctionEntry* FindFunction(std::uint32_t code) {
    code &= kFunctionMask;
    for (const auto& entry : kFunctions)
        if (entry.code == code)
            return &entry;
    return nullptr;
}

int WriteText(char* buffer, const char* text) {
    const std::size_t n = std::strlen(text);
    std::memcpy(buffer, text, n + 1);
    return static_cast<int>(n);
}

// Whole-text integer conversion; leading blanks and a sign are accepted.
bool ParseInteger(const std::string& text, int& value) {
    const char* first = text.data();
    const char* last = text.data() + text.size();
    while (first != last && (*first == ' ' || *first == '\t'))
        ++first;
    if (first != last && *first == '+')
        ++first;
    if (first == last)
        return false;
    const auto [end, ec] = std::from_chars(first, last, value);
    return ec == std::errc() && end == last;
}

} // namespace

std::vector<std::uint32_t> NamedFunctionCodes() {
    std::vector<std::uint32_t> codes;
    for (const auto& entry : kFunctions)
        codes.push_back(entry.code);
    return codes;
}

bool IsKnownFunction(std::uint32_t code) {
    return (code & kFunctionMask) == nFunc_None || FindFunction(code) != nullptr;
}

std::string FunctionName(std::uint32_t code) {
    if ((code & kFunctionMask) == nFunc_None)
        return "nFunc_None";
    const FunctionEntry* entry = FindFunction(code);
    return entry ? entry->name : "nFunc_N/A";
}

std::string ExponentPrefixText(int exponent) {
    switch (exponent) {
    case -9:
        return "n";
    case -6:
        return "u";
    case -3:
        return "m";
    case 3:
        return "k";
    case 6:
        return "M";
    default:
        return {};
    }
}

std::string FunctionUnitText(std::uint32_t code) {
    if ((code & kFunctionMask) == nFunc_None)
        return {};
    const FunctionEntry* entry = FindFunction(code);
    return entry ? entry->unit : "?";
}

std::string CouplingText(std::uint32_t code, bool isMain) {
    const FunctionEntry* entry = FindFunction(code);
    if (!entry || (!isMain && !entry->subCoupling))
        return {};
    return entry->coupling;
}

std::pair<std::string, std::string> MainDisplayLabels(std::uint32_t function,
                                                      const std::string& prefixText,
                                                      const std::string& unitText) {
    switch (function & kFunctionMask) {
    case nFunc_dB:
        return {unitText, prefixText};
    case nFunc_dBm_Ohm:
        return {std::string(), unitText};
    default:
        return {prefixText, unitText};
    }
}

std::string LabelText(std::uint32_t function, std::string_view first, std::string_view second,
                      bool ohmSign) {
    std::string labels = std::string(first) + std::string(second);
    const std::uint32_t code = function & kFunctionMask;
    const bool resistance = code == nFunc_Ohm || code == nFunc_Conti || code == nFunc_dBm_Ohm;
    if (ohmSign && resistance)
        if (auto w = labels.rfind('W'); w != std::string::npos)
            labels.replace(w, 1, "\u03A9");
    return labels;
}

int RecordExponent(std::uint32_t code, const std::string& rangeText) {
    int r = 0;
    if (!ParseInteger(rangeText, r))
        return 0;
    switch (code) {
    case 5:
    case 6:
    case 7:
    case 0x1000005:
    case 0x1000006:
        return (r == -2 || r == -1) ? -3 : 1;
    case 8:
        if (r == -2 || r == -1)
            return -9;
        if (r >= 0 && r <= 2)
            return -6;
        if (r == 3 || r == 4)
            return -3;
        return 0;
    case 0x80:
    case 0x180:
    case 0x400:
        return r / 3 * 3;
    case 0x201:
    case 0x202:
    case 0x203:
        if (r == -4 || r == -3)
            return -6;
        if (r == -2 || r == -1)
            return -3;
        return 0;
    case 0x800:
        return 0;
    case 0x1000:
        return -9;
    case 0x2000:
        return -3;
    default:
        return 0;
    }
}

int RecordPrefixText(std::uint32_t code, int exponent, char* buffer) {
    switch (exponent) {
    case 3:
        return WriteText(buffer, "k");
    case 6:
        return WriteText(buffer, "M");
    case -9:
        return WriteText(buffer, "n");
    case -6:
        return WriteText(buffer, "u");
    case -3:
        return WriteText(buffer, code == 0x2000 ? "dB" : "m");
    default:
        return WriteText(buffer, "");
    }
}

int RecordUnitText(std::uint32_t code, char* buffer) {
    switch (code & kFunctionMask) {
    case 4:
    case 0x14:
    case 5:
    case 0x1000005:
    case 6:
    case 0x1000006:
    case 7:
        return WriteText(buffer, "V");
    case 8:
        return WriteText(buffer, "F");
    case 0x20:
    case 0x8020:
    case 0x4020:
    case 0xC020:
        return WriteText(buffer, "C");
    case 0x40:
    case 0x8040:
    case 0x4040:
    case 0xC040:
        return WriteText(buffer, "F");
    case 0x80:
    case 0x180:
        return WriteText(buffer, "W");
    case 0x1000:
        return WriteText(buffer, "S");
    case 0x201:
    case 0x202:
    case 0x203:
        return WriteText(buffer, "A");
    case 0x400:
        return WriteText(buffer, "Hz");
    case 0x800:
        return WriteText(buffer, "%");
    case 0x2000:
        return WriteText(buffer, "m");
    case 0x2080:
        return WriteText(buffer, "W");
    default:
        return WriteText(buffer, "");
    }
}

} // namespace ostrel
