// ostrel-cli convert INPUT -o OUTPUT: turn a stored file into a text export
// (.csv) or a record file (.g53): a record file of any layout, a journal or
// temporary file, or a capture of raw display frames (.frames); a session
// file (.slr) into the text export of its sessions. Each input kind is one
// entry of kInputKinds with its own conversion function; record files and
// captures stream entry by entry, so a conversion needs no memory in
// proportion to the file.
#include "base/string_table.h"
#include "cli/command.h"
#include "cli/file_checks.h"
#include "import/session_conversion.h"
#include "import/session_file.h"
#include "recorder/frame_capture.h"
#include "recorder/record_convert.h"

#include <iostream>
#include <string>

namespace ostrel::cli {
namespace {

constexpr int kNoFrameText = 9067;
constexpr int kRefusedFramesText = 9071;

// Nothing of the input could be converted: the output stays as it was.
int NothingRead(const std::string& input, const std::string& output, std::string_view reason) {
    std::cerr << FileProblemLine(9004, input,
                                 std::string(reason) + "; " + output + " was left as it was")
              << '\n';
    return kExitFailure;
}

int SaveFailed(const std::string& output, int error) {
    ReportSaveError(output, error);
    return kExitFailure;
}

// Input kind: a record file of any layout (.g53, .TMP, .g52, .g51).
int ConvertRecords(const std::string& input, const std::string& output, ConvertOutput kind) {
    const ConvertResult result = ConvertRecordFile(input, output, kind);
    if (result.load.trailingBytes > 0 && result.written)
        std::cerr << NumberedLine(kWarningCaption, kTrailingBytesText,
                                  {std::to_string(result.load.trailingBytes)})
                  << '\n';
    if (result.messageId == 0)
        return 0;
    if (result.messageId == 9005)
        return SaveFailed(output, result.outputError);
    if (result.messageId == kCutShortTextId) {
        // The complete entries were converted (if any); the shortfall is still a failure.
        std::cerr << NumberedCaption(kErrorCaption, kCutShortTextId) << ": "
                  << LoadMessage(result.load) << '\n';
        return kExitFailure;
    }
    return NothingRead(input, output, RecordFileProblem(result.load));
}

// Input kind: a capture of raw display frames (.frames).
int ConvertCapture(const std::string& input, const std::string& output, ConvertOutput kind) {
    const CaptureConvertResult result =
        ConvertCaptureFile(input, output, kind, [](std::uint64_t line, bool tooLong) {
            std::cerr << NumberedLine(kErrorCaption,
                                      tooLong ? kLongCaptureLineText : kBadCaptureLineText,
                                      {std::to_string(line)})
                      << '\n';
        });
    if (result.messageId == 9005)
        return SaveFailed(output, result.outputError);
    if (result.messageId != 0 && !result.written)
        return NothingRead(input, output, "a read error");
    if (result.messageId != 0) {
        std::cerr << FileProblemLine(result.messageId, input,
                                     "a read error; the lines before it were converted")
                  << '\n';
        return kExitFailure;
    }
    if (!result.written) {
        std::cerr << NumberedLine(kErrorCaption, kNoFrameText, {output}) << '\n';
        return kExitFailure;
    }
    const auto refused = result.frames - static_cast<std::uint64_t>(result.samples);
    if (refused > 0)
        std::cerr << NumberedLine(kWarningCaption, kRefusedFramesText,
                                  {std::to_string(refused), std::to_string(result.frames)})
                  << '\n';
    return result.badLines > 0 ? kExitFailure : 0;
}

// Input kind: a session file (.slr): the text export of all its sessions.
int ConvertSessions(const std::string& input, const std::string& output, ConvertOutput kind) {
    if (kind != ConvertOutput::Csv) {
        std::cerr << "convert: a session file converts to .csv only\n";
        return kExitFailure;
    }
    int detailId = 0;
    int saveError = 0;
    const int messageId = ConvertSessionFileToCsv(input, output, &detailId, &saveError);
    if (messageId == 0)
        return 0;
    if (messageId == 9005)
        return SaveFailed(output, saveError);
    if (detailId == 0)
        return NothingRead(input, output, "damaged before its first reading");
    // A damaged file still has what could be read converted; say what was kept.
    std::cerr << FileProblemLine(messageId, input, "damaged") << '\n' << Text(detailId) << '\n';
    return kExitFailure;
}

struct InputKind {
    bool (*matches)(const std::string& input);
    int (*convert)(const std::string& input, const std::string& output, ConvertOutput kind);
};

// Checked in order; the record file takes every name, so it stays last.
constexpr InputKind kInputKinds[] = {
    {[](const std::string& input) { return IsSessionFileName(input); }, ConvertSessions},
    {[](const std::string& input) { return IsCaptureFileName(input); }, ConvertCapture},
    {[](const std::string&) { return true; }, ConvertRecords},
};

int Convert(const std::string& input, const std::string& output) {
    std::string problem;
    const auto kind = RecordOutputKind(output, &problem);
    if (!kind) {
        std::cerr << problem << '\n';
        return kExitFailure;
    }
    for (const InputKind& k : kInputKinds) {
        if (k.matches(input))
            return k.convert(input, output, *kind);
    }
    return kExitFailure; // the record file takes every name
}

const CommandRegistrar kConvertCommand([](CLI::App& app) {
    Command cmd =
        AddCommand(app, "convert",
                   "Convert a record file or a capture to a text export (.csv) or a record "
                   "file (.g53)");
    auto input = std::make_shared<std::string>();
    auto output = std::make_shared<std::string>();
    // Only a capture is read as a stream; the other inputs need their size.
    cmd.input("INPUT", *input,
              "record file (.g53, .g52, .g51, a temporary .TMP or a journal), capture of raw "
              "frames (.frames), or session file (.slr)",
              IsCaptureFileName)
        ->required();
    cmd.output("-o,--output", *output, "output file ending in .csv or .g53")->required();
    cmd.run([input, output] { return Convert(*input, *output); });
});

} // namespace
} // namespace ostrel::cli
