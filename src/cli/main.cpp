// ostrel-cli: the meter, the decoder and the file formats from the command line.
#include "cli/command.h"
#include "cli/standard_output.h"
#include "cli/stop_signals.h"

#include <clocale>
#include <iostream>
#include <sstream>

int main(int argc, char** argv) {
    std::setlocale(LC_NUMERIC, "C");
    ostrel::cli::PrepareOutput();
    ostrel::cli::InstallExitCleanup();
    CLI::App app{"ostrel-cli: Tarvix multimeter tools on the command line", "ostrel-cli"};
    app.set_version_flag("--version", std::string("ostrel-cli ") + OSTREL_VERSION);
    app.require_subcommand(1);
    // A refused option is one line on standard error, like every other refusal.
    app.failure_message([](const CLI::App*, const CLI::Error& e) {
        return std::string(e.what()) + " (see --help)\n";
    });
    for (auto& setup : ostrel::cli::Registry())
        setup(app);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        // Help and version go to standard output like any other output.
        std::ostringstream out;
        // An unknown option before any subcommand is what is wrong, not the
        // missing subcommand.
        const bool unknownFirst =
            dynamic_cast<const CLI::RequiredError*>(&e) && !app.remaining().empty();
        const int status =
            (unknownFirst ? app.exit(CLI::ExtrasError(app.remaining()), out, std::cerr)
                          : app.exit(e, out, std::cerr)) == 0
                ? 0
                : ostrel::cli::kExitFailure;
        ostrel::cli::Print(out.str());
        return ostrel::cli::FinishOutput(status);
    } catch (const std::exception& e) {
        // Whatever a command could not foresee (no memory, say) is still a
        // message and a failure, never an abort.
        std::cerr << "ostrel-cli: " << e.what() << '\n';
        return ostrel::cli::FinishOutput(ostrel::cli::kExitFailure);
    }
    return ostrel::cli::FinishOutput(ostrel::cli::ExitStatus());
}
