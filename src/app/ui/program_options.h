#pragma once
// The options of the ostrel program.

#include <optional>
#include <string>
#include <vector>

namespace ostrel {

struct ProgramOptions {
    bool help = false;
    std::optional<std::string> simulate; // the text after "--simulate=" ("" for plain --simulate)
    bool noSound = false;                // --no-sound: the comparator's alarm stays silent
    std::string screenshotDirectory;     // hidden: grab every window into this folder and exit
    int screenshotDelayMs = 3000;
};

// Parses argv (Qt's own options are left to Qt). On a bad option returns
// nullopt and fills error.
std::optional<ProgramOptions> ParseProgramOptions(const std::vector<std::string>& args,
                                                  std::string* error);

std::string ProgramHelpText();

} // namespace ostrel
