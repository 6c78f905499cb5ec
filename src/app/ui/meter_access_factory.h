#pragma once
// The MeterAccess of the program: over the real adapter cable, or over the
// simulated meter when --simulate was given; with --device, over the cable it
// names.

#include "app/ui/meter_access.h"

#include <memory>
#include <optional>
#include <string>

namespace ostrel {

// nullptr with a message in error when the simulation settings are refused or
// the device names no cable present.
std::unique_ptr<MeterAccess> MakeMeterAccess(const std::optional<std::string>& simulate,
                                             const std::optional<std::string>& device,
                                             std::string* error);

// The first cable that opens.
inline std::unique_ptr<MeterAccess> MakeMeterAccess(const std::optional<std::string>& simulate,
                                                    std::string* error) {
    return MakeMeterAccess(simulate, std::nullopt, error);
}

} // namespace ostrel
