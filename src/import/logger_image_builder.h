#pragma once
// Builds a logger-memory image from sessions of raw values: the inverse of
// the session decoding. The simulated meter serves such images, and tests and
// benchmarks make their input with it.

#include "import/session_decoder.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ostrel {

// Largest length the header can announce.
inline constexpr std::size_t kMaxLoggerLength = 0xFFFFFF;

struct LoggerSessionData {
    std::uint8_t function = 0; // F
    std::uint8_t mode = 0;     // M
    std::uint8_t flags = 0;    // G: bit 7 dual, bit 5 second current set, bit 4 °F, interval code
    // Values in reading order; for a dual session main, sub, main, sub, …
    std::vector<LoggerValue> values;
};

// Memory address (lo, mid, hi) of an image offset; nothing when the offset
// cannot be addressed.
std::optional<std::array<std::uint8_t, 3>> LoggerAddressOf(std::size_t offset);

// The image (L bytes, not rounded up): header, then each session's descriptor
// and readings. Nothing (and *error set) when the sessions do not fit: more
// than 65,535 sessions, more than kMaxLoggerLength bytes, a value count that
// does not fill whole readings, or a descriptor beyond the addressable range.
std::optional<std::vector<std::uint8_t>>
BuildLoggerImage(const std::vector<LoggerSessionData>& sessions, std::string* error = nullptr);

// The same with the sessions stored in another memory order than the chain
// visits them, as a meter whose memory wraps or reuses freed space stores
// them: memoryOrder lists the session indices from the lowest address up. The
// first session of the chain lies first (its address is fixed), so
// memoryOrder is a permutation of 0 … n-1 that starts with 0.
std::optional<std::vector<std::uint8_t>>
BuildLoggerImage(const std::vector<LoggerSessionData>& sessions,
                 const std::vector<std::size_t>& memoryOrder, std::string* error = nullptr);

// Raw value of a number shown with four digits: the count of "d.ddd" and the
// range code of the given table whose exponent places the point; nothing when
// the table has no such exponent.
std::optional<LoggerValue> LoggerValueFor(double value, int table);

} // namespace ostrel
