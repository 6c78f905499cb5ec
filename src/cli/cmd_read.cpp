// ostrel-cli read: link to the meter as the acquisition thread does and print
// each new reading, as text, comma-separated values, JSON lines, or raw: the
// display answer itself, a capture that convert turns into record files. With
// --mqtt each reading also goes to an MQTT broker.
#include "base/atomic_file.h"
#include "base/iso_time.h"
#include "base/string_table.h"
#include "base/visible_text.h"
#include "cli/cable_access.h"
#include "cli/command.h"
#include "cli/file_checks.h"
#include "cli/live_link.h"
#include "cli/mqtt_output.h"
#include "cli/standard_output.h"
#include "recorder/frame_capture.h"
#include "recorder/sample_conversion.h"

#include <nlohmann/json.hpp>

#include <chrono>
#include <iostream>

namespace ostrel::cli {
namespace {

// The labels of a display as one text; on a terminal the ohm sign stands for
// the "W" that the windows draw in the symbol typeface.
std::string Labels(const DisplayReading& d, bool ohmSign) {
    return LabelText(static_cast<std::uint32_t>(d.function), FieldText(d.firstLabelField),
                     FieldText(d.secondLabelField), ohmSign);
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
    CableChoice cable;
    long count = 0; // 0: until interrupted
    std::string format = "text";
    std::string output; // empty: standard output
    MqttOptions mqtt;
};

// Where the lines go: standard output (each line handed over at once, so
// that a pipe sees every reading as it comes), or a file that takes its
// place at the end.
class LineOutput {
  public:
    bool open(const std::string& path) {
        m_path = path;
        if (!path.empty() && !m_file.open(path))
            return fail();
        return true;
    }
    bool write(std::string_view line) {
        if (m_path.empty())
            return Print(line) && FlushOutput();
        return m_file.write(line.data(), line.size()) || fail();
    }
    bool finish() {
        if (m_path.empty())
            return true;
        return !m_failed && (m_file.commit() || fail());
    }

  private:
    bool fail() {
        if (!m_failed)
            ReportSaveError(m_path, m_file.error());
        m_failed = true;
        return false;
    }
    std::string m_path;
    AtomicFile m_file;
    bool m_failed = false;
};

std::string FormatLine(const ReadOptions& options, LiveLink& link, const MeterReading& r,
                       std::chrono::system_clock::time_point when) {
    if (options.format == "raw")
        return CaptureLine(SampleTimeText(when), link.state().copyFrame());
    const std::string time = IsoTimestamp(when);
    if (options.format == "json")
        return JsonLine(r, time) + '\n'; // control characters are escaped there
    std::string line = options.format == "csv" ? CsvLine(r, time) : TextLine(r);
    BlankControlCharacters(line); // a line is a reading
    return line + '\n';
}

int RunRead(const ReadOptions& options) {
    MqttOutput mqtt(options.mqtt);
    if (const std::string problem = mqtt.prepare(); !problem.empty()) {
        std::cerr << problem << '\n';
        return kExitFailure;
    }
    LiveLink link;
    if (!link.start(options.cable, true))
        return kExitFailure;
    if (mqtt.wanted() && !mqtt.start(link.cableSerial()))
        return kExitFailure;
    LineOutput out;
    if (!out.open(options.output))
        return kExitFailure;
    bool ok = options.format != "csv" || out.write(std::string(kCsvHeader) + '\n');
    int status = 0;
    for (long printed = 0; ok && (options.count == 0 || printed < options.count); ++printed) {
        const LiveLink::Event event = link.wait();
        if (event == LiveLink::Event::Lost)
            status = kExitFailure;
        if (event != LiveLink::Event::Reading)
            break;
        const MeterReading reading = link.state().copyReading();
        const auto when = std::chrono::system_clock::now();
        ok = out.write(FormatLine(options, link, reading, when));
        mqtt.send(FactsOfReading(reading), when);
    }
    link.stop();
    const bool written = out.finish();
    // The file first; then a second Ctrl+C gives up the messages that still
    // wait for the broker.
    const int stops = link.stopRequests();
    const bool delivered = mqtt.finish([&link, stops] { return link.stopRequests() > stops; });
    return ok && written && delivered ? status : kExitFailure;
}

const CommandRegistrar kReadCommand([](CLI::App& app) {
    auto options = std::make_shared<ReadOptions>();
    Command cmd =
        AddCommand(app, "read", "Link to the meter and print each new reading (Ctrl+C stops)");
    AddCableOptions(*cmd.app, options->cable);
    cmd.app->add_option("--count", options->count, "Stop after N readings (0: until Ctrl+C)")
        ->check(WholeNumberFrom(0));
    cmd.app
        ->add_option("--format", options->format,
                     "Output: text, csv, json, or raw (the recorder's time text, a tab and the "
                     "display answer as 54 hex digits: a capture for convert)")
        ->check(OneOf({"text", "csv", "json", "raw"}));
    cmd.output("-o,--output", options->output,
               "Write the lines to this file (put in place at the end) instead of standard "
               "output");
    AddMqttOptions(cmd, options->mqtt);
    cmd.run([options] { return RunRead(*options); });
});

} // namespace
} // namespace ostrel::cli
