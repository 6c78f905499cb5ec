#include "cli/cable_access.h"

#include "base/string_table.h"
#include "link/link_notifier.h"
#include "simulator/hid_backend_factory.h"
#include "simulator/simulation_options.h"

namespace ostrel::cli {

namespace {
constexpr int kPermissionHint = 9101;
}

void AddCableOptions(CLI::App& command, CableChoice& choice) {
    command
        .add_option_function<std::string>(
            "--simulate",
            [&choice](const std::string& value) {
                choice.simulation = value.empty() ? "default" : value;
            },
            "Use the simulated meter instead of the cable: " + SimulationSyntaxHelp())
        ->expected(0, 1)
        ->default_str("default");
    command.add_option_function<std::string>(
        "--device", [&choice](const std::string& value) { choice.device = value; },
        "The adapter cable to use, by its device path or serial number (ostrel-cli info lists "
        "them); without it, the first one that opens");
}

std::unique_ptr<HidBackend> MakeBackend(const CableChoice& choice, std::string* error) {
    return CreateHidBackend(choice.simulation, choice.device, error);
}

std::string CableNotFoundMessage(bool permissionDenied) {
    std::string message = NumberedLine(kErrorCaption, kCableNotFoundText);
    if (permissionDenied)
        message += "\n" + std::string(Text(kPermissionHint));
    return message;
}

} // namespace ostrel::cli
