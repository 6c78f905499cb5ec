#pragma once
// Sub-commands of ostrel-cli register themselves: each cmd_*.cpp defines one
// static CommandRegistrar whose function adds its sub-command with
// AddCommand. A command names the files it reads and writes through
// Command::input and Command::output, so that they are checked before it
// runs (file_checks.h); its run function gives the exit status. When an
// output is standard output, what the command prints goes to standard error
// (standard_output.h).

#include <CLI/CLI.hpp>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ostrel::cli {

// Exit status of a command that failed on its input, its files or its device.
inline constexpr int kExitFailure = 2;

using CommandSetup = std::function<void(CLI::App&)>;

std::vector<CommandSetup>& Registry();

struct CommandRegistrar {
    explicit CommandRegistrar(CommandSetup setup) { Registry().push_back(std::move(setup)); }
};

// The exit status the selected sub-command left for main() to return.
int& ExitStatus();

class Command {
  public:
    CLI::App* app = nullptr;

    // Which inputs the command reads as a stream (so that a named pipe may
    // stand for them); nullptr: none.
    using StreamRule = bool (*)(std::string_view path);

    // An option (or positional, for a name without dashes) naming a file the
    // command reads.
    CLI::Option* input(const std::string& name, std::string& path, const std::string& help,
                       StreamRule stream = nullptr);
    // An option naming a file the command writes.
    CLI::Option* output(const std::string& name, std::string& path, const std::string& help);
    // What the command does once its files passed the checks: the exit status.
    void run(std::function<int()> body);

  private:
    struct File {
        CLI::Option* option;
        const std::string* path;
        bool output;
        StreamRule stream;
    };
    std::shared_ptr<std::vector<File>> m_files = std::make_shared<std::vector<File>>();
};

Command AddCommand(CLI::App& app, const std::string& name, const std::string& description);

// Option checks whose failure reads as a plain sentence after the option's
// name ("--count: expected a whole number from 0 up").
CLI::Validator WholeNumberFrom(long minimum);
CLI::Validator WholeNumberFromTo(long minimum, long maximum);
CLI::Validator SecondsFromTo(double minimum, double maximum);
CLI::Validator OneOf(std::vector<std::string> choices);

} // namespace ostrel::cli
