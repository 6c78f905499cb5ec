#include "recorder/capture_reader.h"

#include "base/line_reader.h"
#include "recorder/frame_capture.h"
#include "recorder/sampling.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ostrel {

CaptureReadResult ReadCaptureSamples(const std::string& path, const CaptureFrame& frame,
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
    CaptureEntry entry;
    for (LineReader::Line line; lines.next(line);) {
        const CaptureLineKind kind =
            line.tooLong ? CaptureLineKind::Bad : ParseCaptureLine(line.text, entry);
        if (kind == CaptureLineKind::Blank)
            continue;
        if (kind == CaptureLineKind::Bad) {
            ++result.badLines;
            if (badLine)
                badLine(line.number, line.tooLong);
            continue;
        }
        ++result.frames;
        const auto sample = SampleFromFrame(entry.frame, entry.timeText);
        frame(sample ? &*sample : nullptr);
    }
    ::close(fd);
    result.failed = lines.failed();
    return result;
}

} // namespace ostrel
