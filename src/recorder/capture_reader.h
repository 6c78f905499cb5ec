#pragma once
// The samples of a capture of raw display frames (frame_capture.h), read as a
// stream line by line: every frame becomes the sample the recorder would have
// taken of it, with the line's time text, in a memory of one line.

#include "link/frame_codec.h"
#include "recorder/record.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

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

// Called for each frame of a capture with its line's time text (both valid
// for the call only).
using CaptureRawFrame = std::function<void(const RawFrame& frame, std::string_view timeText)>;

// Read a capture file (a named pipe as a stream). Blank lines are skipped.
CaptureReadResult ReadCaptureFrames(const std::string& path, const CaptureRawFrame& frame,
                                    const BadCaptureLine& badLine = {});
// The same with the sample of each frame.
CaptureReadResult ReadCaptureSamples(const std::string& path, const CaptureFrame& frame,
                                     const BadCaptureLine& badLine = {});

} // namespace ostrel
