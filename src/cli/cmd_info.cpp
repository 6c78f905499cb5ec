// ostrel-cli info: the adapter cable's path, firmware version and serial
// number, in the lines of the about box.
#include "cli/cable_access.h"
#include "cli/command.h"
#include "cli/standard_output.h"
#include "link/hid_transport.h"

#include <iostream>

namespace ostrel::cli {
namespace {

int RunInfo(const std::optional<std::string>& simulate) {
    std::string error;
    auto backend = MakeBackend(simulate, &error);
    if (!backend) {
        std::cerr << error << std::endl;
        return kExitFailure;
    }
    bool denied = false;
    auto device = OpenAdapter(*backend, kCableVendorId, kCableProductId, &denied);
    if (!device) {
        std::cerr << CableNotFoundMessage(denied) << std::endl;
        return kExitFailure;
    }
    const HidInterfaceInfo attributes = device->attributes();
    const std::string serial = device->serialNumber();
    device.reset();
    // An unreadable serial number leaves its line empty, as in the about box.
    Print(attributes.path + '\n' + CableFirmwareLine(attributes.releaseNumber) + '\n' +
          (serial.empty() ? std::string() : CableSerialLine(SerialNumberBytes(serial))) + '\n');
    return 0;
}

CommandRegistrar registrar([](CLI::App& app) {
    auto simulate = std::make_shared<std::optional<std::string>>();
    Command info = AddCommand(app, "info",
                              "Show the adapter cable's path, firmware version and serial number");
    AddSimulateOption(*info.app, *simulate);
    info.run([simulate] { return RunInfo(*simulate); });
});

} // namespace
} // namespace ostrel::cli
