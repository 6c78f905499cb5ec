#pragma once
// The options of `ostrel-cli record` that say when a recording starts and
// stops (--start-above, --start-below, --start-at, --pre, --count,
// --duration, --stop-above, --stop-below, --stop-at) and whether it survives
// a lost link (--reconnect).

#include "recorder/trigger.h"

#include <CLI/CLI.hpp>

#include <string>

namespace ostrel::cli {

void AddRecordConditionOptions(CLI::App& command, TriggerSettings& trigger, bool& reconnect);

// The refusal of settings that do not go together (one line), or empty.
std::string RecordConditionProblem(const TriggerSettings& trigger);

} // namespace ostrel::cli
