#pragma once
// The MeterAccess of the program: over the real adapter cable, or over the
// simulated meter when --simulate was given.

#include "app/ui/meter_access.h"

#include <memory>
#include <optional>
#include <string>

namespace ostrel {

// nullptr with a message in error when the simulation settings are refused.
std::unique_ptr<MeterAccess> MakeMeterAccess(const std::optional<std::string>& simulate,
                                             std::string* error);

} // namespace ostrel
