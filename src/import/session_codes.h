#pragma once
// The three code tables of a logger session: the sampling interval of the flag
// byte, the functions and range tables of the function and mode bytes, and the
// decimal exponent of a reading's range code.

#include <cstdint>
#include <optional>

namespace ostrel {

// Interval in seconds of the low four bits of the flag byte G.
double SampleInterval(std::uint8_t g);

struct SessionFunction {
    std::uint32_t mainFunction = 0;
    int mainTable = 0;
    std::uint32_t subFunction = 0;
    int subTable = 0;
    // False for a mode byte the function byte does not list (and for F = 6
    // modes 4 and 5); the results are then all 0, as for F = 0.
    bool known = true;
};

// Functions and range tables of the function byte F, mode byte M and flag byte G.
SessionFunction DecodeSessionFunction(std::uint8_t f, std::uint8_t m, std::uint8_t g);

// Decimal exponent of range code k in range table t; nothing for a code the
// table does not list.
std::optional<int> RangeExponent(int table, int k);

} // namespace ostrel
