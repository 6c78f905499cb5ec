// ostrel-cli read: link to the meter as the acquisition thread does and print
// each new reading, as text, comma-separated values or JSON lines.
#include "base/string_table.h"
#include "cli/cable_access.h"
#include "cli/command.h"
#include "link/acquisition_state.h"
#include "link/hid_transport.h"
#include "link/tarvix_thread.h"

#include <nlohmann/json.hpp>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <iostream>

namespace ostrel::cli {
namespace {

volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void OnInterrupt(int) {
    g_interrupted = 1;
}

// The message of a meter that stays silent, on standard error.
class StderrNotifier final : public LinkNotifier {
  public:
    void showNoDataReceived(std::shared_ptr<NoticeReply> reply) override {
        std::cerr << NumberedCaption(kErrorCaption, kCableNotFoundText) << ": "
                  << kNoDataReceivedText << std::endl;
        reply->close();
    }
};

bool IsResistance(std::int32_t function) {
    return function == nFunc_Ohm || function == nFunc_Conti || function == nFunc_dBm_Ohm;
}

// The labels of a display as one text; on a terminal the ohm sign stands for
// the "W" that the windows draw in the symbol typeface.
std::string Labels(const DisplayReading& d, bool ohmSign) {
    std::string labels = FieldText(d.firstLabelField) + FieldText(d.secondLabelField);
    if (ohmSign && IsResistance(d.function))
        if (auto w = labels.rfind('W'); w != std::string::npos)
            labels.replace(w, 1, "\u03A9");
    return labels;
}

std::string DisplayText(const DisplayReading& d, const std::string& value) {
    std::string text = value;
    const std::string labels = Labels(d, true);
    if (!labels.empty())
        text += " " + labels;
    if (!d.couplingText.empty())
        text += " " + d.couplingText;
    return text;
}

std::string TextLine(const MeterReading& r) {
    std::string line = DisplayText(r.main, r.main.valueText);
    const std::string sub = FieldText(r.sub.valueField);
    if (r.sub.function != 0 && !sub.empty())
        line += "   sub " + DisplayText(r.sub, sub);
    if (r.lowBattery)
        line += "   LB";
    return line;
}

// Local time as 2026-12-07T20:15:03.250+01:00.
std::string IsoTimestamp(std::chrono::system_clock::time_point when) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(when.time_since_epoch()).count() %
        1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char date[32], zone[8];
    std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
    std::strftime(zone, sizeof zone, "%z", &local); // +0100
    std::string z = zone;
    if (z.size() == 5)
        z.insert(3, ":");
    char millis[8];
    std::snprintf(millis, sizeof millis, ".%03d", static_cast<int>(ms));
    return date + std::string(millis) + z;
}

constexpr const char* kCsvHeader =
    "time,main,main_unit,main_coupling,sub,sub_unit,sub_coupling,low_battery";

std::string CsvLine(const MeterReading& r, const std::string& time) {
    auto display = [](const DisplayReading& d, const std::string& value) {
        return value + "," + Labels(d, false) + "," + d.couplingText;
    };
    return time + "," + display(r.main, r.main.valueText) + "," +
           display(r.sub, FieldText(r.sub.valueField)) + "," + (r.lowBattery ? "1" : "0");
}

nlohmann::ordered_json DisplayJson(const DisplayReading& d) {
    return {{"negative", d.negative},
            {"valueText", d.valueText},
            {"exponentText", d.exponentText},
            {"rawFunction", static_cast<std::uint32_t>(d.rawFunction)},
            {"function", static_cast<std::uint32_t>(d.function)},
            {"prefixText", d.prefixText},
            {"unitText", d.unitText},
            {"couplingText", d.couplingText},
            {"valueField", FieldText(d.valueField)},
            {"firstLabelField", FieldText(d.firstLabelField)},
            {"secondLabelField", FieldText(d.secondLabelField)}};
}

std::string JsonLine(const MeterReading& r, const std::string& time) {
    nlohmann::ordered_json j = {{"time", time},
                                {"main", DisplayJson(r.main)},
                                {"sub", DisplayJson(r.sub)},
                                {"lowBattery", r.lowBattery}};
    // Texts come from the meter's segments; never let a stray byte stop the line.
    return j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

struct ReadOptions {
    std::optional<std::string> simulate;
    long count = 0; // 0: until interrupted
    std::string format = "text";
};

int RunRead(const ReadOptions& options) {
    std::string error;
    auto backend = MakeBackend(options.simulate, &error);
    if (!backend) {
        std::cerr << error << std::endl;
        return kExitFailure;
    }
    // Probe the cable as linking does, so that a missing cable is reported at once.
    bool denied = false;
    if (!OpenAdapter(*backend, kCableVendorId, kCableProductId, &denied)) {
        std::cerr << CableNotFoundMessage(denied) << std::endl;
        return kExitFailure;
    }

    g_interrupted = 0;
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    struct sigaction previous {};
    sigaction(SIGINT, &action, &previous);

    if (options.format == "csv")
        std::cout << kCsvHeader << '\n' << std::flush;

    AcquisitionState state;
    StderrNotifier notifier;
    auto thread = std::make_unique<TTarvixThread>(state, *backend, &notifier);
    long printed = 0;
    int status = 0;
    while (!g_interrupted && (options.count == 0 || printed < options.count)) {
        // Short waits only so that Ctrl+C is seen; the link itself never polls.
        if (state.newReadingEvent.waitFor(std::chrono::milliseconds(100))) {
            const MeterReading r = state.copyReading();
            const std::string time = IsoTimestamp(std::chrono::system_clock::now());
            if (options.format == "csv")
                std::cout << CsvLine(r, time) << '\n';
            else if (options.format == "json")
                std::cout << JsonLine(r, time) << '\n';
            else
                std::cout << TextLine(r) << '\n';
            std::cout << std::flush;
            ++printed;
        } else if (state.cableLostEvent.tryWait()) {
            std::cerr << CableNotFoundMessage(false) << std::endl;
            status = kExitFailure;
            break;
        }
    }
    thread->terminate();
    state.acquisitionEndedEvent.wait();
    thread.reset();
    sigaction(SIGINT, &previous, nullptr);
    return status;
}

CommandRegistrar registrar([](CLI::App& app) {
    auto options = std::make_shared<ReadOptions>();
    CLI::App* read =
        app.add_subcommand("read", "Link to the meter and print each new reading (Ctrl+C stops)");
    AddSimulateOption(*read, options->simulate);
    read->add_option("--count", options->count, "Stop after N readings (0: until Ctrl+C)")
        ->check(CLI::NonNegativeNumber);
    read->add_option("--format", options->format, "Output: text, csv or json")
        ->check(CLI::IsMember({"text", "csv", "json"}));
    read->callback([options] { ExitStatus() = RunRead(*options); });
});

} // namespace
} // namespace ostrel::cli
