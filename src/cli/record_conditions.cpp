#include "cli/record_conditions.h"

#include "cli/command.h"
#include "recorder/sample_conversion.h"

#include <cmath>

namespace ostrel::cli {
namespace {

CLI::Validator Level() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            double value = 0;
            if (!ParseDecimal(text, value) || !std::isfinite(value))
                return "expected a number, such as 5, -0.25 or 1.5E-3";
            return {};
        },
        "");
}

CLI::Validator TimeOfDay() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            if (!ParseClockTime(text))
                return "expected a time of day HH:MM or HH:MM:SS (24-hour clock)";
            return {};
        },
        "");
}

// --start-above V and its kind: a level, given as a decimal number.
void LevelOption(CLI::App& command, const std::string& name, std::optional<double>& target,
                 const std::string& help) {
    command
        .add_option_function<std::string>(
            name,
            [&target](const std::string& text) {
                double value = 0;
                ParseDecimal(text, value);
                target = value;
            },
            help)
        ->type_name("V")
        ->check(Level());
}

// --start-at HH:MM[:SS] and its kind: a time of day.
void ClockOption(CLI::App& command, const std::string& name, std::optional<ClockTime>& target,
                 const std::string& help) {
    command
        .add_option_function<std::string>(
            name, [&target](const std::string& text) { target = ParseClockTime(text); }, help)
        ->type_name("HH:MM[:SS]")
        ->check(TimeOfDay());
}

} // namespace

void AddRecordConditionOptions(CLI::App& command, TriggerSettings& trigger, bool& reconnect) {
    command
        .add_option("--count", trigger.stopCount,
                    "Stop after N samples from the start (0: no limit)")
        ->check(WholeNumberFrom(0));
    command
        .add_option_function<double>(
            "--duration", [&trigger](double seconds) { trigger.stopAfterSeconds = seconds; },
            "Stop this many seconds after the start")
        ->check(SecondsFromTo(kMinStopSeconds, kMaxStopSeconds));
    LevelOption(command, "--start-above", trigger.startAbove,
                "Start when the main value crosses above V (a value above V after one that was "
                "not)");
    LevelOption(command, "--start-below", trigger.startBelow,
                "Start when the main value crosses below V");
    ClockOption(command, "--start-at", trigger.startAt,
                "Start when the local clock shows HH:MM[:SS]; with a level, look for the crossing "
                "from then on");
    command
        .add_option("--pre", trigger.preSamples,
                    "Keep the last K samples from before the start (needs a start condition)")
        ->type_name("K")
        ->check(WholeNumberFromTo(0, kMaxPreSamples));
    LevelOption(command, "--stop-above", trigger.stopAbove,
                "Stop with the sample whose main value crosses above V");
    LevelOption(command, "--stop-below", trigger.stopBelow,
                "Stop with the sample whose main value crosses below V");
    ClockOption(command, "--stop-at", trigger.stopAt,
                "Stop when the local clock shows HH:MM[:SS] (after the start time, if any)");
    command.add_flag("--reconnect", reconnect,
                     "Go on when the cable vanishes or the meter falls silent: link again as soon "
                     "as the cable answers");
}

std::string RecordConditionProblem(const TriggerSettings& trigger) {
    if (trigger.preSamples > 0 && !trigger.waitsForStart())
        return "--pre: needs a start condition (--start-above, --start-below or --start-at)";
    return {};
}

} // namespace ostrel::cli
