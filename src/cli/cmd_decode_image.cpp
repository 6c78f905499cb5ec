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
#include <string_view>
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

// Opens the outputs asked for; a failure is told (before any work) and false.
bool OpenOutputs(const SessionOutputs& outputs, AtomicFile& slr, AtomicFile& csv) {
    if (outputs.slr && !slr.open(*outputs.slr)) {
        ReportSaveError(*outputs.slr, slr.error());
        return false;
    }
    if (outputs.csv && !csv.open(*outputs.csv)) {
        ReportSaveError(*outputs.csv, csv.error());
        return false;
    }
    return true;
}

// Prints what each session holds ("Session1: 12 readings, V [DC] / Hz"),
// after a line with the counts; gives the number of readings.
std::size_t ListSessions(const SessionTable& table) {
    std::ostringstream list;
    std::size_t readings = 0;
    for (const SessionList& session : table.sessions())
        readings += session.size();
    const std::size_t count = table.sessionCount();
    list << count << (count == 1 ? " session" : " sessions") << ", " << readings << " readings\n";
    std::size_t number = 0;
    for (const SessionList& session : table.sessions()) {
        list << "Session" << ++number << ": " << session.size() << " readings";
        if (!session.empty()) {
            TRecord record;
            session.record(0, false, record);
            list << ", " << FieldView(record.functionText);
            if (session.hasSub(0)) {
                session.record(0, true, record);
                const std::string_view sub = FieldView(record.functionText);
                if (!sub.empty())
                    list << " / " << sub;
            }
        }
        list << '\n';
    }
    Print(list.str());
    return readings;
}

// The notices of the decoding, and what of the image could not be read.
void ReportDecodeNotices(const SessionDecodeResult& decoded) {
    for (int id : decoded.notices)
        std::cerr << NumberedLine(kWarningCaption, id) << '\n';
    if (decoded.readingsCut > 0 || decoded.sessionsCut > 0)
        std::cerr << "Not read: " << decoded.sessionsCut << " sessions and " << decoded.readingsCut
                  << " readings that lie outside the image, over bytes already read, or beyond "
                     "the table\n";
}

// Puts the written outputs in place; the exit status.
int CommitOutputs(const SessionOutputs& outputs, AtomicFile& slr, AtomicFile& csv) {
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

} // namespace

int DecodeAndWrite(const std::vector<std::uint8_t>& image, const SessionOutputs& outputs) {
    AtomicFile slr;
    AtomicFile csv;
    if (!OpenOutputs(outputs, slr, csv))
        return kExitFailure;

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

    const std::size_t readings = ListSessions(table);
    ReportDecodeNotices(decoded);
    // Sessions announced of which nothing could be read: the outputs stay
    // as they were (an image that announces none is written as empty).
    if (readings == 0 && (decoded.sessionsCut > 0 || decoded.readingsCut > 0)) {
        std::cerr << NumberedLine(kErrorCaption, kNothingReadText) << '\n';
        return kExitFailure;
    }
    return CommitOutputs(outputs, slr, csv);
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
