#pragma once
// The options of the ostrel program.

#include <optional>
#include <string>
#include <vector>

namespace ostrel {

struct ProgramOptions {
    bool help = false;
    bool version = false;
    std::optional<std::string> simulate; // the text after "--simulate=" ("" for plain --simulate)
    std::optional<std::string> device;   // --device: the cable's device path or serial number
    bool noSound = false;                // --no-sound: the comparator's alarm stays silent
    std::string screenshotDirectory;     // grab every window into this folder and exit
    int screenshotDelayMs = 3000;
};

// Parses argv (Qt's own options are left to Qt). On a bad option returns
// nullopt and fills error.
std::optional<ProgramOptions> ParseProgramOptions(const std::vector<std::string>& args,
                                                  std::string* error);

// The text of --help: every option the program takes.
std::string ProgramHelpText();

// The text of --version.
std::string ProgramVersionText();

} // namespace ostrel
