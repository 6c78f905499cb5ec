// ostrel-cli: the meter, the decoder and the file formats from the command line.
#include "cli/command.h"

#include <clocale>
#include <iostream>

namespace ostrel::cli {

std::vector<CommandSetup>& Registry() {
    static std::vector<CommandSetup> registry;
    return registry;
}

int& ExitStatus() {
    static int status = 0;
    return status;
}

} // namespace ostrel::cli

int main(int argc, char** argv) {
    std::setlocale(LC_NUMERIC, "C");
    CLI::App app{"ostrel-cli: Tarvix multimeter tools on the command line", "ostrel-cli"};
    app.set_version_flag("--version", std::string("ostrel-cli ") + OSTREL_VERSION);
    app.require_subcommand(1);
    for (auto& setup : ostrel::cli::Registry())
        setup(app);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? 0 : ostrel::cli::kExitFailure;
    }
    return ostrel::cli::ExitStatus();
}
