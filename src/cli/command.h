#pragma once
// Sub-commands of ostrel-cli register themselves: each cmd_*.cpp defines one
// static CommandRegistrar whose function adds its sub-command to the app.

#include <CLI/CLI.hpp>

#include <functional>
#include <vector>

namespace ostrel::cli {

// Exit status of a command that failed on its input or device.
inline constexpr int kExitFailure = 2;

using CommandSetup = std::function<void(CLI::App&)>;

std::vector<CommandSetup>& Registry();

struct CommandRegistrar {
    explicit CommandRegistrar(CommandSetup setup) { Registry().push_back(std::move(setup)); }
};

// The exit status the selected sub-command left for main() to return.
int& ExitStatus();

} // namespace ostrel::cli
