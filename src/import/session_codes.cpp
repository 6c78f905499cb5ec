#include "import/session_codes.h"

#include "link/reading.h"

#include <array>

namespace ostrel {

double SampleInterval(std::uint8_t g) {
    static constexpr std::array<double, 16> kSeconds = {0.05, 0.1, 0.5, 1,  2,   3,   4,   5,
                                                        10,   15,  30,  60, 120, 180, 300, 600};
    return kSeconds[g & 0x0F];
}

SessionFunction DecodeSessionFunction(std::uint8_t f, std::uint8_t m, std::uint8_t g) {
    const bool fahrenheit = (g & 0x10) != 0;
    const bool secondSet = (g & 0x20) != 0;
    const std::uint32_t t1 = fahrenheit ? nFunc_T1F : nFunc_T1C;
    const std::uint32_t t2 = fahrenheit ? nFunc_T2F : nFunc_T2C;
    const std::uint32_t t12 = fahrenheit ? nFunc_T1T2F : nFunc_T1T2C;
    using S = SessionFunction;
    switch (f) {
    case 0:
        return S{};
    case 1:
        if (m == 0)
            return S{nFunc_AcV, 1, nFunc_Hz, 7};
        if (m == 1)
            return S{nFunc_Hz, 7, nFunc_AcV, 1};
        break;
    case 2:
        if (m == 0)
            return S{nFunc_DcV, 2, 0, 0};
        if (m == 1)
            return S{nFunc_DcV, 2, nFunc_AcV, 1};
        if (m == 2)
            return S{nFunc_AcDcV, 3, nFunc_AcV, 1};
        break;
    case 3:
        if (m == 0)
            return S{nFunc_DcV6, 5, 0, 0};
        if (m == 1)
            return S{nFunc_DcV6, 5, nFunc_AcV6, 4};
        if (m == 2)
            return S{nFunc_AcDcV, 6, nFunc_AcV6, 4};
        if (m == 3)
            return S{nFunc_Hz, 7, 0, 0};
        if (m == 4)
            return S{nFunc_Duty, 8, 0, 0};
        break;
    case 4:
        if (m == 0)
            return S{nFunc_AcV6, 4, nFunc_Hz, 7};
        if (m == 1)
            return S{nFunc_Hz, 7, nFunc_AcV6, 4};
        break;
    case 5:
        if (m == 0)
            return S{nFunc_Ohm, 9, 0, 0};
        if (m == 1)
            return S{nFunc_Conti, 10, 0, 0};
        if (m == 2)
            return S{nFunc_S, 11, 0, 0};
        break;
    case 6:
        if (m == 0)
            return S{t1, 23, 0, 0};
        if (m == 1)
            return S{t2, 23, 0, 0};
        if (m == 2)
            return S{t1, 23, t2, 23};
        if (m == 3)
            return S{t12, 23, t2, 23};
        break;
    case 7:
        if (m == 0)
            return S{nFunc_Cx, 12, 0, 0};
        if (m == 1)
            return S{nFunc_V, 13, 0, 0};
        break;
    case 8:
        if (m == 0)
            return S{nFunc_DcA, secondSet ? 15 : 18, 0, 0};
        if (m == 1)
            return S{nFunc_DcA, secondSet ? 15 : 18, nFunc_AcA, secondSet ? 14 : 17};
        if (m == 2)
            return S{nFunc_AcDcA, secondSet ? 16 : 19, nFunc_AcA, secondSet ? 14 : 17};
        if (m == 3)
            return S{nFunc_AcA, secondSet ? 14 : 17, nFunc_Hz, 7};
        break;
    case 9:
        if (m == 0)
            return S{nFunc_DcA, 21, 0, 0};
        if (m == 1)
            return S{nFunc_DcA, 21, nFunc_AcA, 20};
        if (m == 2)
            return S{nFunc_AcDcA, 22, nFunc_AcA, 20};
        if (m == 3)
            return S{nFunc_AcA, 20, nFunc_Hz, 7};
        break;
    default:
        return S{};
    }
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
