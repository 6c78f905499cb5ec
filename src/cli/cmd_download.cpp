// ostrel-cli download [--simulate[=…]] [--device D] [-o OUT.slr] [--csv OUT.csv] [--image OUT.bin]:
// read the meter's logger memory over the cable and turn it into sessions.
#include "base/string_table.h"
#include "cli/cable_access.h"
#include "cli/cmd_decode_image.h"
#include "cli/command.h"
#include "cli/file_checks.h"
#include "cli/stop_signals.h"
#include "import/logger_download.h"
#include "import/session_conversion.h"

#include <iostream>
#include <memory>

namespace ostrel::cli {
namespace {

struct DownloadOptions {
    CableChoice cable;
    SessionOutputs outputs;
    std::optional<std::string> image;
};

int Download(const DownloadOptions& options) {
    std::string error;
    auto backend = MakeBackend(options.cable, &error);
    if (!backend) {
        std::cerr << error << '\n';
        return kExitFailure;
    }
    // Ctrl+C (or SIGTERM) stops the download after the block in progress.
    auto stop = std::make_unique<StopRequest>();

    ProgressBar bar;
    std::size_t imageSize = 0;
    LoggerDownloadCallbacks cb;
    cb.confirm = [] {
        // The command line always goes ahead; say what the window would ask.
        std::cerr << NumberedLine(kWarningCaption, 8010) << " Yes\n";
        return true;
    };
    cb.started = [&imageSize](std::size_t size) {
        imageSize = size;
        std::cerr << NumberedLine(kWarningCaption, 8012) << '\n';
    };
    cb.progress = [&](std::size_t position, std::uint32_t length) {
        bar.show(position, imageSize, LoggerProgressLine(position, length));
    };
    cb.cancelled = [&stop] { return stop->requested(); };
    LoggerDownloadResult result = DownloadLoggerImage(*backend, cb);
    bar.finish();
    stop.reset(); // from here on a signal ends the program (and removes partial files)

    switch (result.outcome) {
    case LoggerDownloadOutcome::Done:
        break;
    case LoggerDownloadOutcome::Declined:
        return 0;
    case LoggerDownloadOutcome::Cancelled:
        std::cerr << "Download stopped; nothing was written.\n";
        return kExitFailure;
    case LoggerDownloadOutcome::Failed:
        std::cerr << NumberedLine(kErrorCaption, result.messageId) << '\n';
        return kExitFailure;
    }
    std::cerr << "Read " << result.image.size() << " bytes (" << result.length << " announced) in "
              << result.blockExchanges + 1 << " block exchanges\n";
    int saveError = 0;
    if (options.image && !WriteLoggerImageFile(*options.image, result.image, &saveError)) {
        ReportSaveError(*options.image, saveError);
        return kExitFailure;
    }
    std::cerr << NumberedLine(kWarningCaption, 8013) << '\n';
    return DecodeAndWrite(result.image, options.outputs);
}

const CommandRegistrar kDownloadCommand([](CLI::App& app) {
    Command cmd = AddCommand(app, "download", "Read the meter's logger memory into sessions");
    auto options = std::make_shared<DownloadOptions>();
    auto slr = std::make_shared<std::string>();
    auto csv = std::make_shared<std::string>();
    auto image = std::make_shared<std::string>();
    AddCableOptions(*cmd.app, options->cable);
    auto* slrOption = cmd.output("-o,--output", *slr, "session file to write (.slr)");
    auto* csvOption = cmd.output("--csv", *csv, "text export of all sessions to write");
    auto* imageOption =
        cmd.output("--image", *image, "raw image to write, as downloaded (for decode-image)");
    cmd.run([=] {
        if (*slrOption)
            options->outputs.slr = *slr;
        if (*csvOption)
            options->outputs.csv = *csv;
        if (*imageOption)
            options->image = *image;
        return Download(*options);
    });
});

} // namespace
} // namespace ostrel::cli
