#include "base/iso_time.h"

#include <cstdio>
#include <ctime>

namespace ostrel {

std::string IsoTimestamp(std::chrono::system_clock::time_point when) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(when.time_since_epoch()).count() %
        1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char date[32], zone[8];
    std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
    std::strftime(zone, sizeof zone, "%z", &local); // +0100
    std::string z = zone;
    if (z.size() == 5)
        z.insert(3, ":");
    char millis[8];
    std::snprintf(millis, sizeof millis, ".%03d", static_cast<int>((ms + 1000) % 1000));
    return date + std::string(millis) + z;
}

} // namespace ostrel
