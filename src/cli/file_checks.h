#pragma once
// Checks of the files a command names, made before anything is read or
// written: an output may not be an input or another output (compared as
// files, not as spellings), and a named pipe is an input only where the
// command reads it as a stream. Character devices (/dev/null, a terminal)
// hold nothing to lose and are not compared.

#include "recorder/record_convert.h"

#include <optional>
#include <string>
#include <vector>

namespace ostrel::cli {

struct CheckedInput {
    std::string path;
    bool stream = false;
};

// The message of the first problem (one line), or empty.
std::string CheckFiles(const std::vector<CheckedInput>& inputs,
                       const std::vector<std::string>& outputs);

// True when a and b name the same file: the same file where both exist, the
// same place where neither exists yet.
bool SameFile(const std::string& a, const std::string& b);

// The kind of a convert or record output by its name (".csv" or ".g53", any
// case); nothing, with the message, for any other name or for a ".g53" name
// that would be read back as another layout.
std::optional<ConvertOutput> RecordOutputKind(const std::string& output, std::string* message);

} // namespace ostrel::cli
