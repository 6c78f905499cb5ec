#pragma once
// Moments as ISO 8601 texts of the local clock with the offset from UTC, so
// that a reader anywhere knows the moment: 2026-12-07T20:15:03.250+01:00.

#include <chrono>
#include <string>

namespace ostrel {

std::string IsoTimestamp(std::chrono::system_clock::time_point when);

} // namespace ostrel
