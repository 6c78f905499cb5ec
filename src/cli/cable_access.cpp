#include "cli/cable_access.h"

#include "app/string_table.h"
#include "link/hid_backend_factory.h"
#include "link/link_notifier.h"
#include "link/simulation_options.h"

namespace ostrel::cli {

namespace {
constexpr int kPermissionHint = 9101;
}

void AddSimulateOption(CLI::App& command, std::optional<std::string>& simulation) {
    command
        .add_option_function<std::string>(
            "--simulate",
            [&simulation](const std::string& value) {
                simulation = value.empty() ? "default" : value;
            },
            "Use the simulated meter instead of the cable: " + SimulationSyntaxHelp())
        ->expected(0, 1)
        ->default_str("default");
}

std::unique_ptr<HidBackend> MakeBackend(const std::optional<std::string>& simulation,
                                        std::string* error) {
    return CreateHidBackend(simulation, error);
}

std::string CableNotFoundMessage(bool permissionDenied) {
    std::string message = NumberedLine(kErrorCaption, kCableNotFoundText);
    if (permissionDenied)
        message += "\n" + std::string(Text(kPermissionHint));
    return message;
}

} // namespace ostrel::cli
