#pragma once
// The backend a program links through: the real cable (hidapi), or the
// simulated meter when --simulate was given.

#include "link/hid_backend.h"

#include <memory>
#include <optional>
#include <string>

namespace ostrel {

// simulate: the text after --simulate= ("" or "default" for a bare
// --simulate), or nullopt for the real cable. nullptr with a message in error
// when the simulation text is refused.
std::unique_ptr<HidBackend> CreateHidBackend(const std::optional<std::string>& simulate,
                                             std::string* error);

} // namespace ostrel
