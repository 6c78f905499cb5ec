// ostrel-cli convert INPUT -o OUTPUT: turn a stored file into a text export
// (.csv) or a record file (.g53); a session file (.slr) into the text export
// of its sessions. Each input kind is one entry of kInputKinds
// with its own conversion function; record files stream entry by entry, so a
// conversion needs no memory in proportion to the file.
#include "base/string_table.h"
#include "cli/command.h"
#include "import/session_conversion.h"
#include "import/session_file.h"
#include "recorder/record_convert.h"

#include <algorithm>
#include <cctype>
#include <iostream>
#include <string>

namespace ostrel::cli {
namespace {

enum class OutputKind { Csv, G53 };

bool EndsWithNoCase(const std::string& text, std::string_view suffix) {
    if (text.size() < suffix.size())
        return false;
    return std::equal(suffix.begin(), suffix.end(),
                      text.end() - static_cast<std::ptrdiff_t>(suffix.size()), [](char a, char b) {
                          return std::tolower(static_cast<unsigned char>(a)) ==
                                 std::tolower(static_cast<unsigned char>(b));
                      });
}

int Fail(int textId) {
    std::cerr << NumberedLine(kErrorCaption, textId) << '\n';
    return kExitFailure;
}

// Input kind: a record file of any layout (.g53, .TMP, .g52, .g51).
int ConvertRecords(const std::string& input, const std::string& output, OutputKind kind) {
    const ConvertResult result = ConvertRecordFile(
        input, output, kind == OutputKind::Csv ? ConvertOutput::Csv : ConvertOutput::G53);
    if (result.messageId == 0)
        return 0;
    if (result.messageId == kCutShortTextId) {
        // The complete entries were converted; the shortfall is still a failure.
        std::cerr << NumberedCaption(kErrorCaption, kCutShortTextId) << ": "
                  << LoadMessage(result.load) << '\n';
        return kExitFailure;
    }
    return Fail(result.messageId);
}

// Input kind: a session file (.slr): the text export of all its sessions.
int ConvertSessions(const std::string& input, const std::string& output, OutputKind kind) {
    if (kind != OutputKind::Csv) {
        std::cerr << "convert: a session file converts to .csv only\n";
        return kExitFailure;
    }
    int detailId = 0;
    const int messageId = ConvertSessionFileToCsv(input, output, &detailId);
    if (messageId == 0)
        return 0;
    // A damaged file still has what could be read converted; say what was kept.
    std::cerr << NumberedLine(kErrorCaption, messageId) << '\n';
    if (detailId != 0)
        std::cerr << Text(detailId) << '\n';
    return kExitFailure;
}

struct InputKind {
    bool (*matches)(const std::string& input);
    int (*convert)(const std::string& input, const std::string& output, OutputKind kind);
};

// Checked in order; the record file takes every name, so it stays last.
constexpr InputKind kInputKinds[] = {
    {[](const std::string& input) { return IsSessionFileName(input); }, ConvertSessions},
    {[](const std::string&) { return true; }, ConvertRecords},
};

int Convert(const std::string& input, const std::string& output) {
    OutputKind kind;
    if (EndsWithNoCase(output, ".csv"))
        kind = OutputKind::Csv;
    else if (EndsWithNoCase(output, ".g53"))
        kind = OutputKind::G53;
    else {
        std::cerr << "convert: OUTPUT must end in .csv or .g53\n";
        return kExitFailure;
    }
    for (const InputKind& k : kInputKinds) {
        if (k.matches(input))
            return k.convert(input, output, kind);
    }
    return Fail(9004);
}

CommandRegistrar registrar([](CLI::App& app) {
    auto* cmd = app.add_subcommand(
        "convert", "Convert a record file to a text export (.csv) or a record file (.g53)");
    auto input = std::make_shared<std::string>();
    auto output = std::make_shared<std::string>();
    cmd->add_option("INPUT", *input,
                    "record file (.g53, .g52, .g51, or a temporary .TMP), or a session file (.slr)")
        ->required();
    cmd->add_option("-o,--output", *output, "output file ending in .csv or .g53")->required();
    cmd->callback([input, output] { ExitStatus() = Convert(*input, *output); });
});

} // namespace
} // namespace ostrel::cli
