#include "app/ui/program_options.h"

#include "simulator/simulation_options.h"

namespace ostrel {

std::optional<ProgramOptions> ParseProgramOptions(const std::vector<std::string>& args,
                                                  std::string* error) {
    ProgramOptions options;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--simulate") {
            options.simulate = std::string();
        } else if (arg.rfind("--simulate=", 0) == 0) {
            options.simulate = arg.substr(11);
        } else if (arg == "--screenshots" && i + 1 < args.size()) {
            options.screenshotDirectory = args[++i];
        } else if (arg.rfind("--screenshots=", 0) == 0) {
            options.screenshotDirectory = arg.substr(14);
        } else if (arg.rfind("--screenshot-delay=", 0) == 0) {
            try {
                options.screenshotDelayMs = std::stoi(arg.substr(19));
            } catch (...) {
                if (error)
                    *error = "--screenshot-delay needs a number of milliseconds";
                return std::nullopt;
            }
        } else if (arg == "-platform" || arg == "-style" || arg == "-display") {
            ++i; // Qt's own options with a value
        } else {
            if (error)
                *error = "unknown option: " + arg + " (see ostrel --help)";
            return std::nullopt;
        }
    }
    return options;
}

std::string ProgramHelpText() {
    return "Usage: ostrel [--simulate[=PROFILE[,key=value...]]]\n"
           "\n"
           "The desktop companion of the Tarvix dual-display multimeters: live\n"
           "readings, the graphical recorder and the download of the meter's logger\n"
           "memory over the USB adapter cable.\n"
           "\n"
           "Options:\n"
           "  --simulate[=PROFILE[,key=value...]]\n"
           "                 use a simulated meter instead of the adapter cable:\n"
           "                 " +
           SimulationSyntaxHelp() +
           "\n"
           "  -h, --help     show this text and exit\n";
}

} // namespace ostrel
