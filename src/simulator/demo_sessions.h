#pragma once
// Sessions worth looking at for a simulated meter's logger memory: a dual AC
// volts and hertz session, a long DC volts session that crosses a 64 KiB bank
// of the meter's memory, and a temperature session with an open sensor.

#include "import/logger_image_builder.h"

#include <vector>

namespace ostrel {

std::vector<LoggerSessionData> DemoLoggerSessions();

// Readings of each demo session, for tests.
inline constexpr std::size_t kDemoMainsReadings = 120;
inline constexpr std::size_t kDemoBatteryReadings = 24000;
inline constexpr std::size_t kDemoTemperatureReadings = 90;

} // namespace ostrel
