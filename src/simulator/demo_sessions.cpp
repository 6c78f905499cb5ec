#include "simulator/demo_sessions.h"

#include <cmath>

namespace ostrel {
namespace {

// A small deterministic wobble in [-1, 1].
double Wobble(std::size_t i, double a, double b) {
    return 0.6 * std::sin(a * static_cast<double>(i)) + 0.4 * std::sin(b * static_cast<double>(i));
}

LoggerValue Counted(double count, std::uint8_t range) {
    LoggerValue v;
    v.range = range;
    const double c = std::round(std::fabs(count));
    v.raw = static_cast<std::uint16_t>(std::min(c, 9999.0));
    v.flags = count < 0 ? 0x8 : 0;
    return v;
}

} // namespace

std::vector<LoggerSessionData> DemoLoggerSessions() {
    std::vector<LoggerSessionData> sessions;

    // Mains: AC volts (range 2: "d.ddd" × 100) with the frequency (range 1:
    // "d.ddd" × 10) on the sub display, every second.
    LoggerSessionData mains{1, 0, 0x80 | 3, {}};
    for (std::size_t i = 0; i < kDemoMainsReadings; ++i) {
        mains.values.push_back(Counted(2300 + 25 * Wobble(i, 0.21, 0.047), 2));
        mains.values.push_back(Counted(5000 + 4 * Wobble(i, 0.13, 0.031), 1));
    }
    sessions.push_back(std::move(mains));

    // A 12 V battery discharging, DC volts (range 1: "d.ddd" × 10), twice a
    // second; long enough to run from the first 64 KiB bank into the second.
    LoggerSessionData battery{2, 0, 2, {}};
    for (std::size_t i = 0; i < kDemoBatteryReadings; ++i) {
        const double x = static_cast<double>(i) / kDemoBatteryReadings;
        const double volts =
            12.72 - 0.55 * x - 0.45 * std::pow(x, 6) + 0.004 * Wobble(i, 0.9, 0.37);
        battery.values.push_back(Counted(volts * 100, 1));
    }
    sessions.push_back(std::move(battery));

    // A probe warming up in an oven, T1 in °C (exponent 3: "0.ddd" × 1000),
    // every 10 s; the probe is pulled out for a while and shows "----".
    LoggerSessionData oven{6, 0, 8, {}};
    for (std::size_t i = 0; i < kDemoTemperatureReadings; ++i) {
        if (i >= 55 && i < 58) {
            LoggerValue open;
            open.flags = 0x4;
            oven.values.push_back(open);
            continue;
        }
        const double t = 21 + 160 * (1 - std::exp(-static_cast<double>(i) / 25.0));
        oven.values.push_back(Counted(t, 0));
    }
    sessions.push_back(std::move(oven));
    return sessions;
}

} // namespace ostrel
