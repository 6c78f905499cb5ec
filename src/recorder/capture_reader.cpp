#include "recorder/capture_reader.h"

#include "base/line_reader.h"
#include "recorder/frame_capture.h"
#include "recorder/frame_sampler.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ostrel {

CaptureReadResult ReadCaptureFrames(const std::string& path, const CaptureRawFrame& frame,
                                    const BadCaptureLine& badLine) {
    CaptureReadResult result;
    // A named pipe is read as a stream: opening it waits for its writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || !(S_ISREG(st.st_mode) || S_ISFIFO(st.st_mode))) {
        if (fd >= 0)
            ::close(fd);
        return result;
    }
    result.opened = true;
    LineReader lines = LineReader::FromDescriptor(fd, kMaxCaptureLineLength);
    std::string_view timeText;
    RawFrame raw;
    for (LineReader::Line line; lines.next(line);) {
        const CaptureLineKind kind =
            line.tooLong ? CaptureLineKind::Bad : ParseCaptureLine(line.text, timeText, raw);
        if (kind == CaptureLineKind::Blank)
            continue;
        if (kind == CaptureLineKind::Bad) {
            ++result.badLines;
            if (badLine)
                badLine(line.number, line.tooLong);
            continue;
        }
        ++result.frames;
        frame(raw, timeText);
    }
    ::close(fd);
    result.failed = lines.failed();
    return result;
}

CaptureReadResult ReadCaptureSamples(const std::string& path, const CaptureFrame& frame,
                                     const BadCaptureLine& badLine) {
    FrameSampler sampler;
    RecordPair sample;
    return ReadCaptureFrames(
        path,
        [&](const RawFrame& raw, std::string_view timeText) {
            frame(sampler.sample(raw, timeText, sample) ? &sample : nullptr);
        },
        badLine);
}

} // namespace ostrel
