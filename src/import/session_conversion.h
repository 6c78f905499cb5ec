#pragma once
// File-to-file work on sessions that the command line and the windows share:
// a raw logger image decoded and written out, a session file turned into text.

#include "import/session_decoder.h"

#include <string>
#include <vector>

namespace ostrel {

// Largest image a download can produce: 16,777,215 bytes rounded up to whole blocks.
inline constexpr std::size_t kMaxLoggerImageSize = 16777224;

struct ImageFileResult {
    bool ok = false;
    int messageId = 0;   // 9004 when the file cannot be read or is no image
    std::string problem; // what was wrong, for the user
    std::vector<std::uint8_t> image;
};

// Read a raw image file as downloaded (R bytes). Files that are empty or
// larger than any download are refused.
ImageFileResult ReadLoggerImageFile(const std::string& path);

// Write an image (R bytes) to path, replacing it as a whole. On failure
// *error holds the errno (see AtomicFile::error).
bool WriteLoggerImageFile(const std::string& path, const std::vector<std::uint8_t>& image,
                          int* error = nullptr);

// Session file to comma-separated text of all sessions. Returns 0 or the
// numbered message (9004: cannot open, or damaged before its first reading:
// the output is left as it was and *detailId is 0; 9005: cannot write, *saveError then holds
// the errno). A damaged file still has what could be read converted;
// *detailId then says what was kept.
int ConvertSessionFileToCsv(const std::string& input, const std::string& output,
                            int* detailId = nullptr, int* saveError = nullptr);

} // namespace ostrel
