// ostrel-cli decode-image IMAGE [-o OUT.slr] [--csv OUT.csv]: turn a raw
// logger-memory image, as downloaded, into sessions.
#include "cli/cmd_decode_image.h"

#include "base/atomic_file.h"
#include "base/string_table.h"
#include "cli/command.h"
#include "cli/file_checks.h"
#include "cli/standard_output.h"
#include "import/session_conversion.h"
#include "import/session_output.h"

#include <algorithm>
#include <iostream>
#include <memory>
#include <sstream>
#include <unistd.h>

namespace ostrel::cli {

ProgressBar::ProgressBar(bool onlyOnTerminal)
    : m_terminal(::isatty(STDERR_FILENO) != 0), m_silent(onlyOnTerminal && !m_terminal) {}

void ProgressBar::show(std::size_t done, std::size_t total, const std::string& text) {
    if (m_silent)
        return;
    m_permille =
        total == 0 ? 1000 : static_cast<int>(std::min<std::size_t>(done, total) * 1000 / total);
    m_text = text;
    m_pending = true;
    if (m_terminal) {
        const auto now = std::chrono::steady_clock::now();
        if (m_drawn && now - m_lastDraw < std::chrono::milliseconds(100))
            return;
        m_lastDraw = now;
        draw(m_permille, m_text);
    } else if (m_permille / 100 != m_lastTenth) {
        m_lastTenth = m_permille / 100;
        draw(m_permille, m_text);
    }
}

void ProgressBar::draw(int permille, const std::string& text) {
    constexpr int kWidth = 30;
    const int filled = permille * kWidth / 1000;
    std::cerr << (m_terminal ? "\r" : "") << '['
              << std::string(static_cast<std::size_t>(filled), '#')
              << std::string(static_cast<std::size_t>(kWidth - filled), ' ') << "] " << text
              << (m_terminal ? "   " : "\n") << std::flush;
    m_drawn = true;
    m_pending = false;
}

void ProgressBar::finish() {
    if (m_pending)
        draw(m_permille, m_text); // the last state, unless already shown
    if (m_drawn && m_terminal)
        std::cerr << '\n';
    m_drawn = m_pending = false;
    m_lastTenth = -1;
}

namespace {

constexpr int kNothingReadText = 9074;

} // namespace

int DecodeAndWrite(const std::vector<std::uint8_t>& image, const SessionOutputs& outputs) {
    AtomicFile slr;
    AtomicFile csv;
    // Outputs that cannot be made are told before the work.
    if (outputs.slr && !slr.open(*outputs.slr)) {
        ReportSaveError(*outputs.slr, slr.error());
        return kExitFailure;
    }
    if (outputs.csv && !csv.open(*outputs.csv)) {
        ReportSaveError(*outputs.csv, csv.error());
        return kExitFailure;
    }

    // The sessions keep their readings in the image itself (it outlives
    // them here); both outputs are made from them in one pass. Each session
    // starts the bar again; only a terminal shows it.
    ProgressBar bar(true);
    SessionDecodeCallbacks cb;
    cb.progress = [&bar](std::size_t, std::size_t, std::size_t done, std::size_t total) {
        bar.show(done, total, std::string(Text(7121)));
    };
    const SessionDecodeResult decoded = DecodeLoggerImage(
        std::shared_ptr<const std::vector<std::uint8_t>>(&image, [](const auto*) {}), cb);
    const SessionTable& table = decoded.table;
    SessionOutputFiles files;
    files.sessionFile = outputs.slr ? &slr : nullptr;
    files.text = outputs.csv ? &csv : nullptr;
    files.first = 1;
    files.last = static_cast<long>(table.sessionCount());
    // Each file knows whether a write failed: its commit says so below.
    WriteSessionOutputs(table, files, [&bar](std::size_t done, std::size_t total) {
        bar.show(done, total, std::string(Text(7121)));
    });
    bar.finish();

    // What each session holds, for the listing.
    struct Session {
        std::size_t readings = 0;
        std::string mainFunction, subFunction;
    };
    std::vector<Session> sessions;
    for (const SessionList& list : table.sessions()) {
        Session& session = sessions.emplace_back();
        session.readings = list.size();
        if (list.empty())
            continue;
        TRecord record;
        list.record(0, false, record);
        session.mainFunction = FieldView(record.functionText);
        if (list.hasSub(0)) {
            list.record(0, true, record);
            session.subFunction = FieldView(record.functionText);
        }
    }

    std::ostringstream list;
    std::size_t readings = 0;
    for (const auto& session : sessions)
        readings += session.readings;
    list << sessions.size() << (sessions.size() == 1 ? " session" : " sessions") << ", " << readings
         << " readings\n";
    for (std::size_t s = 0; s < sessions.size(); ++s) {
        const Session& session = sessions[s];
        list << "Session" << s + 1 << ": " << session.readings << " readings";
        if (session.readings > 0) {
            list << ", " << session.mainFunction;
            if (!session.subFunction.empty())
                list << " / " << session.subFunction;
        }
        list << '\n';
    }
    Print(list.str());
    for (int id : decoded.notices)
        std::cerr << NumberedLine(kWarningCaption, id) << '\n';
    if (decoded.readingsCut > 0 || decoded.sessionsCut > 0)
        std::cerr << "Not read: " << decoded.sessionsCut << " sessions and " << decoded.readingsCut
                  << " readings that lie outside the image, over bytes already read, or beyond "
                     "the table\n";

    // Sessions announced of which nothing could be read: the outputs stay
    // as they were (an image that announces none is written as empty).
    if (readings == 0 && (decoded.sessionsCut > 0 || decoded.readingsCut > 0)) {
        std::cerr << NumberedLine(kErrorCaption, kNothingReadText) << '\n';
        return kExitFailure;
    }
    int status = 0;
    if (outputs.slr && !slr.commit(outputs.durable)) {
        ReportSaveError(*outputs.slr, slr.error());
        status = kExitFailure;
    }
    if (outputs.csv && !csv.commit(outputs.durable)) {
        ReportSaveError(*outputs.csv, csv.error());
        status = kExitFailure;
    }
    return status;
}

namespace {

int DecodeImageFile(const std::string& path, const SessionOutputs& outputs) {
    ImageFileResult file = ReadLoggerImageFile(path);
    if (!file.ok) {
        std::cerr << NumberedLine(kErrorCaption, file.messageId) << " (" << file.problem << ")\n";
        return kExitFailure;
    }
    return DecodeAndWrite(file.image, outputs);
}

const CommandRegistrar kDecodeImageCommand([](CLI::App& app) {
    Command cmd = AddCommand(app, "decode-image",
                             "Decode a raw logger-memory image (as downloaded) into sessions");
    auto input = std::make_shared<std::string>();
    auto slr = std::make_shared<std::string>();
    auto csv = std::make_shared<std::string>();
    // The image is read to its end, so a named pipe may hand it over.
    cmd.input("IMAGE", *input, "raw image file", [](std::string_view) { return true; })->required();
    auto* slrOption = cmd.output("-o,--output", *slr, "session file to write (.slr)");
    auto* csvOption = cmd.output("--csv", *csv, "text export of all sessions to write");
    cmd.run([=] {
        SessionOutputs outputs;
        outputs.durable = false; // made again from the image at will
        if (*slrOption)
            outputs.slr = *slr;
        if (*csvOption)
            outputs.csv = *csv;
        return DecodeImageFile(*input, outputs);
    });
});

} // namespace
} // namespace ostrel::cli
