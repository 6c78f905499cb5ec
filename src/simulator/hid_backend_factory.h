#pragma once
// The backend a program links through: the real cable (hidapi), or the
// simulated meter when --simulate was given; with --device, only the cable
// it names.

#include "link/hid_backend.h"

#include <memory>
#include <optional>
#include <string>

namespace ostrel {

// simulate: the text after --simulate= ("" or "default" for a bare
// --simulate), or nullopt for the real cable. device: the --device value (a
// device path or a serial number), or nullopt for the first cable that opens.
// nullptr with a message in error when the simulation text is refused, or
// when the device names no cable present, or more than one.
std::unique_ptr<HidBackend> CreateHidBackend(const std::optional<std::string>& simulate,
                                             const std::optional<std::string>& device,
                                             std::string* error);

} // namespace ostrel
