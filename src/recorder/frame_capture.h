#pragma once
// Captures of what the meter sent: one line per display answer, the time text
// as the recorder forms it, a tab, and the 27 bytes of the answer as 54
// lower-case hex digits. A line may also hold the hex digits alone (no time
// text). Such a file (name ending in ".frames") turns into record files
// exactly as the recorder would have sampled the same readings.

#include "link/frame_codec.h"

#include <string>
#include <string_view>

namespace ostrel {

// Longest capture line looked at; a longer one is refused unread.
inline constexpr std::size_t kMaxCaptureLineLength = 4096;

// A name ending in ".frames", in any case.
bool IsCaptureFileName(std::string_view path);

// The line of one answer, LF included.
std::string CaptureLine(std::string_view timeText, const RawFrame& frame);

enum class CaptureLineKind {
    Frame, // a frame, with or without its time text
    Blank, // nothing but blanks
    Bad,   // neither form
};

struct CaptureEntry {
    std::string timeText; // empty when the line holds the frame alone
    RawFrame frame{};
};

// One line (without its LF; a trailing CR is allowed). The time text may hold
// digits, blanks, ":" and "." and is at most 15 characters long (the width
// of the record's time field); the frame is 54 hex digits in either case,
// blanks allowed between them.
CaptureLineKind ParseCaptureLine(std::string_view line, CaptureEntry& entry);
// The same without a copy: timeText is a part of line. frame is undefined
// and timeText empty unless the line is a frame.
CaptureLineKind ParseCaptureLine(std::string_view line, std::string_view& timeText,
                                 RawFrame& frame);

} // namespace ostrel
