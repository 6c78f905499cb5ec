#pragma once
// Checks of the files a command names, made before anything is read or
// written: an input must exist and be readable, an output must be a file the
// command can write (not a folder, in a folder that exists and may be
// written); an output may not be an input or another output (compared as
// files, not as spellings), and a named pipe is an input only where the
// command reads it as a stream. Character devices (/dev/null, a terminal)
// hold nothing to lose and are not compared.
//
// And the messages about files: each names the file and the reason.

#include "recorder/record_convert.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ostrel::cli {

struct CheckedInput {
    std::string path;
    bool stream = false;
};

// The message of the first problem (one line), or empty.
std::string CheckFiles(const std::vector<CheckedInput>& inputs,
                       const std::vector<std::string>& outputs);

// "Error[E9004]: File open error. (x.g53: No such file or directory)": the
// numbered text, then the file and the reason.
std::string FileProblemLine(int textId, const std::string& path, std::string_view reason);

// Why a record file gave nothing to read, for FileProblemLine: not a regular
// file, no valid entry count, or no complete entry.
std::string_view RecordFileProblem(const LoadResult& load);

// Tell that output could not be written (message 9005 with the reason of
// error, an errno; 0: unknown). An output whose reader went away (EPIPE) is
// not told: the program ends quietly, as a closed standard output does.
void ReportSaveError(const std::string& output, int error);

// Numbered texts about what an input held beyond its entries: bytes after
// the last whole entry of a record file, and capture lines that hold no
// frame (or are longer than any frame line may be).
inline constexpr int kTrailingBytesText = 9064;
inline constexpr int kBadCaptureLineText = 9065;
inline constexpr int kLongCaptureLineText = 9066;

// True when path is the program's standard output: its descriptor path
// (/dev/stdout, /dev/fd/1, a link to them) or the very file or pipe it is
// (a device such as /dev/null is not compared).
bool IsStandardOutput(const std::string& path);

// True when a and b name the same file: the same file where both exist, the
// same place where neither exists yet.
bool SameFile(const std::string& a, const std::string& b);

// The kind of a convert or record output by its name (".csv" or ".g53", any
// case); nothing, with the message, for any other name or for a ".g53" name
// that would be read back as another layout.
std::optional<ConvertOutput> RecordOutputKind(const std::string& output, std::string* message);

} // namespace ostrel::cli
