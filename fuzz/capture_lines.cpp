// Feeds arbitrary bytes to the reading of a capture of raw display frames:
// the line reader with its length limit, the line parser, and the sampling
// of every frame. A parsed line written again reads back the same; no line
// handed out is longer than the limit.
#include "base/line_reader.h"
#include "recorder/frame_capture.h"
#include "recorder/sampling.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace ostrel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    LineReader lines = LineReader::FromText(text, kMaxCaptureLineLength);
    std::uint64_t expected = 0;
    CaptureEntry entry;
    CaptureEntry again;
    for (LineReader::Line line; lines.next(line);) {
        if (line.number != ++expected || line.text.size() > kMaxCaptureLineLength ||
            (line.tooLong && !line.text.empty()))
            std::abort();
        if (line.tooLong || ParseCaptureLine(line.text, entry) != CaptureLineKind::Frame)
            continue;
        std::string written = CaptureLine(entry.timeText, entry.frame);
        written.pop_back(); // the LF
        if (ParseCaptureLine(written, again) != CaptureLineKind::Frame ||
            again.timeText != entry.timeText || again.frame != entry.frame)
            std::abort();
        if (const auto sample = SampleFromFrame(entry.frame, entry.timeText)) {
            if (sample->hasSub > 1)
                std::abort();
        }
    }
    return 0;
}
