#pragma once
// The samples of a capture of raw display frames (frame_capture.h), read as a
// stream line by line: every frame becomes the sample the recorder would have
// taken of it, with the line's time text, in a memory of one line.

#include "recorder/record.h"

#include <cstdint>
#include <functional>
#include <string>

namespace ostrel {

// Called for each line that is neither form of a capture line, with its
// number (from 1) and whether it was refused for its length alone.
using BadCaptureLine = std::function<void(std::uint64_t lineNumber, bool tooLong)>;

// Called for each frame with its sample, or nullptr when the recorder refuses
// the reading (it would have stored nothing).
using CaptureFrame = std::function<void(const RecordPair* sample)>;

struct CaptureReadResult {
    bool opened = false; // the file could be opened as a regular file or named pipe
    bool failed = false; // reading it ended with an error
    std::uint64_t frames = 0;
    std::uint64_t badLines = 0;
};

// Read a capture file (a named pipe as a stream). Blank lines are skipped.
CaptureReadResult ReadCaptureSamples(const std::string& path, const CaptureFrame& frame,
                                     const BadCaptureLine& badLine = {});

} // namespace ostrel
