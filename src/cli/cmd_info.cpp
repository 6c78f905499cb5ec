// ostrel-cli info: the adapter cables. One cable that opens: its path,
// firmware version and serial number, in the lines of the about box. Several:
// one line each, with whether this user may open it. A cable that is there
// but may not be opened: the cable doctor says why and how to open it.
#include "base/string_table.h"
#include "cli/cable_access.h"
#include "cli/command.h"
#include "cli/standard_output.h"
#include "link/cable_doctor.h"
#include "link/cable_selection.h"
#include "link/hid_transport.h"

#include <algorithm>
#include <iostream>
#include <optional>

namespace ostrel::cli {
namespace {

constexpr int kClosedCableText = 9104;

std::string Firmware(std::uint16_t releaseNumber) {
    const std::string line = CableFirmwareLine(releaseNumber);
    return line.substr(line.find(':') + 1);
}

std::string Access(HidOpenError error) {
    switch (error) {
    case HidOpenError::None:
        return "yes";
    case HidOpenError::PermissionDenied:
        return "no (permission denied)";
    case HidOpenError::NoSuchInterface:
        return "no (it went away)";
    case HidOpenError::Failed:
        break;
    }
    return "no (it failed to open)";
}

std::string Padded(std::string text, std::size_t width) {
    text.resize(std::max(width, text.size()), ' ');
    return text;
}

// One line per cable under a heading, the columns as wide as their longest entry.
std::string Table(const std::vector<CableListing>& cables) {
    std::vector<std::vector<std::string>> rows = {{"PATH", "SERIAL", "FIRMWARE", "OPENS"}};
    for (const CableListing& cable : cables)
        rows.push_back({cable.info.path,
                        cable.serialNumber.empty() ? "-" : SerialDigits(cable.serialNumber),
                        Firmware(cable.releaseNumber), Access(cable.openError)});
    std::vector<std::size_t> widths(rows[0].size(), 0);
    for (const auto& row : rows)
        for (std::size_t c = 0; c < row.size(); ++c)
            widths[c] = std::max(widths[c], row[c].size());
    std::string text;
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t c = 0; c < row.size(); ++c)
            line += c + 1 < row.size() ? Padded(row[c], widths[c] + 2) : row[c];
        text += line + '\n';
    }
    return text;
}

// The cable doctor's report on a cable this user may not open. When the
// report before it gave the same reason and commands, only its node is told.
std::string Doctor(HidBackend& backend, const CableListing& cable,
                   std::optional<CableDiagnosis>& previous) {
    std::string text = NumberedLine(kErrorCaption, kClosedCableText, {cable.info.path}) + '\n';
    const auto facts = backend.accessFacts(cable.info);
    if (!facts)
        return text + std::string(Text(9101)) + '\n';
    const UserFacts user = facts->user ? *facts->user : CurrentUserFacts();
    CableDiagnosis diagnosis = DiagnoseCableAccess(*facts, user);
    if (previous && previous->why == diagnosis.why && previous->commands == diagnosis.commands &&
        !diagnosis.facts.empty())
        return text + "  " + diagnosis.facts.front() +
               "\nThe same reason as above; the same "
               "commands open it.\n";
    for (const std::string& line : DiagnosisLines(diagnosis))
        text += line + '\n';
    previous = std::move(diagnosis);
    return text;
}

int RunInfo(const CableChoice& choice) {
    std::string error;
    auto backend = MakeBackend(choice, &error);
    if (!backend) {
        std::cerr << error << std::endl;
        return kExitFailure;
    }
    const std::vector<CableListing> cables = ListCables(*backend);
    if (cables.empty()) {
        std::cerr << CableNotFoundMessage(false) << std::endl;
        return kExitFailure;
    }
    if (cables.size() == 1 && cables[0].openError == HidOpenError::None) {
        const CableListing& cable = cables[0];
        // An unreadable serial number leaves its line empty, as in the about box.
        Print(cable.info.path + '\n' + CableFirmwareLine(cable.releaseNumber) + '\n' +
              (cable.serialNumber.empty()
                   ? std::string()
                   : CableSerialLine(SerialNumberBytes(cable.serialNumber))) +
              '\n');
        return 0;
    }
    if (cables.size() == 1 && cables[0].openError != HidOpenError::PermissionDenied) {
        std::cerr << CableNotFoundMessage(false) << std::endl;
        return kExitFailure;
    }
    std::string text = cables.size() > 1 ? Table(cables) : std::string();
    std::optional<CableDiagnosis> previous;
    for (const CableListing& cable : cables)
        if (cable.openError == HidOpenError::PermissionDenied)
            text += (text.empty() ? "" : "\n") + Doctor(*backend, cable, previous);
    Print(text);
    const bool allOpen = std::all_of(cables.begin(), cables.end(), [](const CableListing& c) {
        return c.openError == HidOpenError::None;
    });
    return allOpen ? 0 : kExitFailure;
}

const CommandRegistrar kInfoCommand([](CLI::App& app) {
    auto choice = std::make_shared<CableChoice>();
    Command info = AddCommand(app, "info",
                              "Show the adapter cables: path, firmware version, serial number and "
                              "whether this user may open them, and for a cable that may not be "
                              "opened, why and the commands that open it");
    AddCableOptions(*info.app, *choice);
    info.run([choice] { return RunInfo(*choice); });
});

} // namespace
} // namespace ostrel::cli
