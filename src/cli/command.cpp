#include "cli/command.h"

#include "cli/file_checks.h"
#include "cli/standard_output.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <iostream>
#include <limits>

namespace ostrel::cli {

std::vector<CommandSetup>& Registry() {
    static std::vector<CommandSetup> registry;
    return registry;
}

int& ExitStatus() {
    static int status = 0;
    return status;
}

Command AddCommand(CLI::App& app, const std::string& name, const std::string& description) {
    Command command;
    command.app = app.add_subcommand(name, description);
    return command;
}

CLI::Option* Command::input(const std::string& name, std::string& path, const std::string& help,
                            StreamRule stream) {
    CLI::Option* option = app->add_option(name, path, help);
    m_files->push_back({option, &path, false, stream});
    return option;
}

CLI::Option* Command::output(const std::string& name, std::string& path, const std::string& help) {
    CLI::Option* option = app->add_option(name, path, help);
    m_files->push_back({option, &path, true, nullptr});
    return option;
}

void Command::run(std::function<int()> body) {
    app->callback([files = m_files, body = std::move(body)] {
        std::vector<CheckedInput> inputs;
        std::vector<std::string> outputs;
        for (const File& file : *files) {
            if (file.option->count() == 0)
                continue;
            if (file.output)
                outputs.push_back(*file.path);
            else
                inputs.push_back({*file.path, file.stream && file.stream(*file.path)});
        }
        if (const std::string problem = CheckFiles(inputs, outputs); !problem.empty()) {
            std::cerr << problem << '\n';
            ExitStatus() = kExitFailure;
            return;
        }
        if (std::any_of(outputs.begin(), outputs.end(), IsStandardOutput))
            ListingToStandardError();
        ExitStatus() = body();
    });
}

namespace {

CLI::Validator WholeNumber(long minimum, long maximum, const std::string& sentence) {
    return CLI::Validator(
        [minimum, maximum, sentence](std::string& text) -> std::string {
            long value = 0;
            const char* end = text.data() + text.size();
            const auto [last, error] = std::from_chars(text.data(), end, value);
            if (text.empty() || error != std::errc() || last != end || value < minimum ||
                value > maximum)
                return sentence;
            return {};
        },
        "");
}

} // namespace

CLI::Validator WholeNumberFrom(long minimum) {
    return WholeNumber(minimum, std::numeric_limits<long>::max(),
                       "expected a whole number from " + std::to_string(minimum) + " up");
}

CLI::Validator WholeNumberFromTo(long minimum, long maximum) {
    return WholeNumber(minimum, maximum,
                       "expected a whole number from " + std::to_string(minimum) + " to " +
                           std::to_string(maximum));
}

CLI::Validator SecondsFromTo(double minimum, double maximum) {
    char sentence[96];
    std::snprintf(sentence, sizeof sentence, "expected a number of seconds from %.10g to %.10g",
                  minimum, maximum);
    return CLI::Validator(
        [minimum, maximum, message = std::string(sentence)](std::string& text) -> std::string {
            double value = 0;
            const char* end = text.data() + text.size();
            const auto [last, error] = std::from_chars(text.data(), end, value);
            if (text.empty() || error != std::errc() || last != end || !(value >= minimum) ||
                !(value <= maximum))
                return message;
            return {};
        },
        "");
}

CLI::Validator OneOf(std::vector<std::string> choices) {
    std::string sentence = "expected ";
    for (std::size_t i = 0; i < choices.size(); ++i) {
        if (i > 0)
            sentence += i + 1 == choices.size() ? " or " : ", ";
        sentence += choices[i];
    }
    return CLI::Validator(
        [choices, sentence](std::string& text) -> std::string {
            for (const std::string& choice : choices)
                if (text == choice)
                    return {};
            return sentence;
        },
        "");
}

} // namespace ostrel::cli
