// ostrel-cli decode-image IMAGE [-o OUT.slr] [--csv OUT.csv]: turn a raw
// logger-memory image, as downloaded, into sessions.
#include "cli/cmd_decode_image.h"

#include "app/string_table.h"
#include "cli/command.h"
#include "cli/standard_output.h"
#include "import/session_conversion.h"
#include "import/session_export.h"
#include "import/session_file.h"

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

int DecodeAndWrite(const std::vector<std::uint8_t>& image, const SessionOutputs& outputs) {
    // Each pass over each session starts the bar again; only a terminal shows it.
    ProgressBar bar(true);
    std::size_t total = 0, done = 0;
    SessionDecodeCallbacks cb;
    cb.setRange = [&](std::size_t n) {
        total = n;
        done = 0;
    };
    cb.step = [&] {
        ++done;
        if (done % 1024 == 0 || done == total)
            bar.show(done, total, std::string(Text(7121)));
    };
    const SessionDecodeResult decoded = DecodeLoggerImage(image.data(), image.size(), cb);
    bar.finish();

    const SessionTable& table = decoded.table;
    std::ostringstream list;
    list << table.sessionCount() << (table.sessionCount() == 1 ? " session" : " sessions") << ", "
         << table.pairCount() << " readings\n";
    for (std::size_t s = 0; s < table.sessionCount(); ++s) {
        const SessionList& session = table.session(s);
        list << "Session" << s + 1 << ": " << session.size() << " readings";
        if (!session.empty()) {
            list << ", " << FieldView(session.front().main.functionText);
            if (session.front().hasSub && session.front().sub)
                list << " / " << FieldView(session.front().sub->functionText);
        }
        list << '\n';
    }
    Print(list.str());
    for (int id : decoded.notices)
        std::cerr << NumberedLine(kWarningCaption, id) << '\n';
    if (decoded.readingsCut > 0 || decoded.sessionsCut > 0)
        std::cerr << "Not read: " << decoded.sessionsCut << " sessions and " << decoded.readingsCut
                  << " readings that lie outside the image or the table\n";

    int status = 0;
    if (outputs.slr && !SaveSessionFile(*outputs.slr, table)) {
        std::cerr << NumberedLine(kErrorCaption, 9005) << " (" << *outputs.slr << ")\n";
        status = kExitFailure;
    }
    if (outputs.csv &&
        !WriteSessionExport(*outputs.csv, table, 1, static_cast<long>(table.sessionCount()))) {
        std::cerr << NumberedLine(kErrorCaption, 9005) << " (" << *outputs.csv << ")\n";
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

CommandRegistrar registrar([](CLI::App& app) {
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
        if (*slrOption)
            outputs.slr = *slr;
        if (*csvOption)
            outputs.csv = *csv;
        return DecodeImageFile(*input, outputs);
    });
});

} // namespace
} // namespace ostrel::cli
