#include "cli/cable_access.h"

#include "app/string_table.h"
#include "link/hidapi_backend.h"
#include "link/link_notifier.h"
#include "link/simulated_meter.h"

namespace ostrel::cli {

namespace {
constexpr int kPermissionHint = 9101;
}

void AddSimulateOption(CLI::App& command, std::optional<std::string>& spec) {
    command
        .add_option_function<std::string>(
            "--simulate", [&spec](const std::string& value) { spec = value.empty() ? "default" : value; },
            "Use the simulated meter instead of the cable: " + SimulationSyntaxHelp())
        ->expected(0, 1)
        ->default_str("default");
}

std::unique_ptr<HidBackend> MakeBackend(const std::optional<std::string>& spec, std::string* error) {
    if (!spec) return std::make_unique<HidapiBackend>();
    auto options = ParseSimulationOptions(*spec, error);
    if (!options) return nullptr;
    return std::make_unique<SimulatedMeter>(*options);
}

std::string CableNotFoundMessage(bool permissionDenied) {
    std::string message = NumberedLine(kErrorCaption, kCableNotFoundText);
    if (permissionDenied) message += "\n" + std::string(Text(kPermissionHint));
    return message;
}

} // namespace ostrel::cli
