#include "import/session_codes.h"

#include "link/reading.h"

#include <array>

namespace ostrel {

double SampleInterval(std::uint8_t g) {
    static constexpr std::array<double, 16> kSeconds = {0.05, 0.1, 0.5, 1,  2,   3,   4,   5,
                                                        10,   15,  30,  60, 120, 180, 300, 600};
    return kSeconds[g & 0x0F];
}

namespace {

using S = SessionFunction;

// The entry of mode m in the list of a function byte's modes, if it lists one.
std::optional<SessionFunction> Mode(std::initializer_list<SessionFunction> modes, std::uint8_t m) {
    if (m >= modes.size())
        return std::nullopt;
    return *(modes.begin() + m);
}

// Temperatures (F = 6) in the unit the flag byte names.
std::optional<SessionFunction> TemperatureMode(std::uint8_t m, bool fahrenheit) {
    const std::uint32_t t1 = fahrenheit ? nFunc_T1F : nFunc_T1C;
    const std::uint32_t t2 = fahrenheit ? nFunc_T2F : nFunc_T2C;
    const std::uint32_t t12 = fahrenheit ? nFunc_T1T2F : nFunc_T1T2C;
    return Mode({S{t1, 23, 0, 0}, S{t2, 23, 0, 0}, S{t1, 23, t2, 23}, S{t12, 23, t2, 23}}, m);
}

// The milliampere and ampere functions (F = 8) in the range tables of the
// current set the flag byte names.
std::optional<SessionFunction> CurrentMode(std::uint8_t m, bool secondSet) {
    const int dc = secondSet ? 15 : 18;
    const int ac = secondSet ? 14 : 17;
    const int acdc = secondSet ? 16 : 19;
    return Mode({S{nFunc_DcA, dc, 0, 0}, S{nFunc_DcA, dc, nFunc_AcA, ac},
                 S{nFunc_AcDcA, acdc, nFunc_AcA, ac}, S{nFunc_AcA, ac, nFunc_Hz, 7}},
                m);
}

std::optional<SessionFunction> FunctionMode(std::uint8_t f, std::uint8_t m, std::uint8_t g) {
    switch (f) {
    case 1:
        return Mode({S{nFunc_AcV, 1, nFunc_Hz, 7}, S{nFunc_Hz, 7, nFunc_AcV, 1}}, m);
    case 2:
        return Mode(
            {S{nFunc_DcV, 2, 0, 0}, S{nFunc_DcV, 2, nFunc_AcV, 1}, S{nFunc_AcDcV, 3, nFunc_AcV, 1}},
            m);
    case 3:
        return Mode({S{nFunc_DcV6, 5, 0, 0}, S{nFunc_DcV6, 5, nFunc_AcV6, 4},
                     S{nFunc_AcDcV, 6, nFunc_AcV6, 4}, S{nFunc_Hz, 7, 0, 0},
                     S{nFunc_Duty, 8, 0, 0}},
                    m);
    case 4:
        return Mode({S{nFunc_AcV6, 4, nFunc_Hz, 7}, S{nFunc_Hz, 7, nFunc_AcV6, 4}}, m);
    case 5:
        return Mode({S{nFunc_Ohm, 9, 0, 0}, S{nFunc_Conti, 10, 0, 0}, S{nFunc_S, 11, 0, 0}}, m);
    case 6:
        return TemperatureMode(m, (g & 0x10) != 0);
    case 7:
        return Mode({S{nFunc_Cx, 12, 0, 0}, S{nFunc_V, 13, 0, 0}}, m);
    case 8:
        return CurrentMode(m, (g & 0x20) != 0);
    case 9:
        return Mode({S{nFunc_DcA, 21, 0, 0}, S{nFunc_DcA, 21, nFunc_AcA, 20},
                     S{nFunc_AcDcA, 22, nFunc_AcA, 20}, S{nFunc_AcA, 20, nFunc_Hz, 7}},
                    m);
    default:
        return S{}; // no function (F = 0) or one the meter does not have
    }
}

} // namespace

SessionFunction DecodeSessionFunction(std::uint8_t f, std::uint8_t m, std::uint8_t g) {
    if (const std::optional<SessionFunction> function = FunctionMode(f, m, g))
        return *function;
    // A mode the meter does not list for this function: no function at all,
    // so the readings keep their digits but claim no unit.
    SessionFunction unknown;
    unknown.known = false;
    return unknown;
}

std::optional<int> RangeExponent(int table, int k) {
    auto pick = [k](std::initializer_list<int> row) -> std::optional<int> {
        if (k < 0 || static_cast<std::size_t>(k) >= row.size())
            return std::nullopt;
        return *(row.begin() + k);
    };
    switch (table) {
    case 1:
    case 2:
    case 3:
        return pick({0, 1, 2, 3});
    case 4:
    case 5:
    case 6:
        return pick({-2, -1});
    case 7:
        return pick({0, 1, 2, 3, 4, 5, 6});
    case 8:
        return pick({1, 2});
    case 9:
    case 10:
        return pick({2, 3, 4, 5, 6, 7});
    case 11:
        return 1;
    case 12:
        return pick({-2, -1, 0, 1, 2, 3, 4});
    case 14:
    case 15:
    case 16:
        return pick({0, 1});
    case 17:
    case 18:
    case 19:
        return pick({-2, -1});
    case 20:
    case 21:
    case 22:
        return pick({-4, -3});
    case 23:
        return 3;
    default:
        return 0; // tables 0, 13 and 24 on: exponent 0 for any code
    }
}

} // namespace ostrel
