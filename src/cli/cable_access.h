#pragma once
// What every device command of ostrel-cli shares: the --simulate option, the
// backend it selects (the real cable through hidapi, or the simulated meter),
// and the messages for a cable that is missing or may not be opened.

#include "link/hid_backend.h"

#include <CLI/CLI.hpp>

#include <memory>
#include <optional>
#include <string>

namespace ostrel::cli {

// Adds --simulate[=PROFILE[,key=value…]] to command; `simulation` receives the text
// ("default" for a bare --simulate) when it is given.
void AddSimulateOption(CLI::App& command, std::optional<std::string>& simulation);

// The backend for the option: the simulated meter when simulation is set, else
// hidapi. nullptr with a message in error when the simulation is refused.
std::unique_ptr<HidBackend> MakeBackend(const std::optional<std::string>& simulation,
                                        std::string* error);

// "Error[E9015]: USB adapter cable not found." and, when a matching device was
// seen but could not be opened for lack of permission, a second line that
// points to the udev rule.
std::string CableNotFoundMessage(bool permissionDenied);

} // namespace ostrel::cli
