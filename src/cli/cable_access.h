#pragma once
// What every device command of ostrel-cli shares: the --simulate and --device
// options, the backend they select (the real cable through hidapi, or the
// simulated meter; every cable, or the one --device names), and the messages
// for a cable that is missing or may not be opened.

#include "link/hid_backend.h"

#include <CLI/CLI.hpp>

#include <memory>
#include <optional>
#include <string>

namespace ostrel::cli {

struct CableChoice {
    std::optional<std::string> simulation; // --simulate ("default" when bare)
    std::optional<std::string> device;     // --device PATH|SERIAL
};

// Adds --simulate[=PROFILE[,key=value…]] and --device PATH|SERIAL to command.
void AddCableOptions(CLI::App& command, CableChoice& choice);

// The backend of the choice. nullptr with a message in error when the
// simulation is refused or the device names no cable present (or several).
std::unique_ptr<HidBackend> MakeBackend(const CableChoice& choice, std::string* error);

// "Error[E9015]: USB adapter cable not found." and, when a matching device was
// seen but could not be opened for lack of permission, a second line that
// points to ostrel-cli info, which says why.
std::string CableNotFoundMessage(bool permissionDenied);

} // namespace ostrel::cli
