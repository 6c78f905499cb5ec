#include "app/ui/program_options.h"

#include "simulator/simulation_options.h"

#include <charconv>

namespace ostrel {

std::optional<ProgramOptions> ParseProgramOptions(const std::vector<std::string>& args,
                                                  std::string* error) {
    auto refuse = [error](const std::string& why) -> std::optional<ProgramOptions> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    ProgramOptions options;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else if (arg == "--simulate") {
            options.simulate = std::string();
        } else if (arg.rfind("--simulate=", 0) == 0) {
            options.simulate = arg.substr(11);
        } else if (arg == "--device" || arg.rfind("--device=", 0) == 0) {
            if (arg == "--device")
                options.device = i + 1 < args.size() ? args[++i] : std::string();
            else
                options.device = arg.substr(9);
            if (options.device->empty())
                return refuse("--device needs a device path or serial number");
        } else if (arg == "--no-sound") {
            options.noSound = true;
        } else if (arg == "--screenshots" || arg.rfind("--screenshots=", 0) == 0) {
            if (arg == "--screenshots")
                options.screenshotDirectory = i + 1 < args.size() ? args[++i] : std::string();
            else
                options.screenshotDirectory = arg.substr(14);
            if (options.screenshotDirectory.empty())
                return refuse("--screenshots needs a folder");
        } else if (arg.rfind("--screenshot-delay=", 0) == 0) {
            const std::string value = arg.substr(19);
            int ms = -1;
            const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), ms);
            if (value.empty() || ec != std::errc() || end != value.data() + value.size() || ms < 0)
                return refuse("--screenshot-delay needs a number of milliseconds");
            options.screenshotDelayMs = ms;
        } else if ((arg == "-platform" || arg == "-style" || arg == "-display") &&
                   i + 1 < args.size()) {
            ++i; // Qt's own options with a value
        } else {
            return refuse("unknown option: " + arg + " (see ostrel --help)");
        }
    }
    return options;
}

std::string ProgramHelpText() {
    return "Usage: ostrel [OPTION]...\n"
           "\n"
           "The desktop companion of the Tarvix dual-display multimeters: live\n"
           "readings in a digital meter, an analog meter, a comparator and a data\n"
           "list, the graphical recorder, and the download of the meter's logger\n"
           "memory over the USB adapter cable.\n"
           "\n"
           "Options:\n"
           "  --simulate[=PROFILE[,key=value...]]\n"
           "                 use a simulated meter instead of the adapter cable:\n"
           "                 " +
           SimulationSyntaxHelp() +
           "\n"
           "  --device=PATH|SERIAL, --device PATH|SERIAL\n"
           "                 link to this adapter cable (its device path or serial\n"
           "                 number, as ostrel-cli info lists them) instead of the\n"
           "                 first one that opens\n"
           "  --no-sound     no alarm tones from the comparator\n"
           "  --screenshots=DIR, --screenshots DIR\n"
           "                 link, save a PNG picture of every window into DIR and\n"
           "                 exit (with --simulate, the windows of the simulated meter)\n"
           "  --screenshot-delay=MS\n"
           "                 with --screenshots: wait at most MS milliseconds for a\n"
           "                 reading worth showing before the pictures (default 3000)\n"
           "  -platform NAME, -style NAME, -display DISPLAY\n"
           "                 passed on to Qt (for example -platform offscreen)\n"
           "  -h, --help     show this text and exit\n"
           "  --version      show the version and exit\n";
}

std::string ProgramVersionText() {
    return std::string("ostrel ") + OSTREL_VERSION + "\n";
}

} // namespace ostrel
