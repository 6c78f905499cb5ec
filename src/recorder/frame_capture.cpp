#include "recorder/frame_capture.h"

#include "base/file_name.h"
#include "link/frame_hex.h"

#include <algorithm>

namespace ostrel {
namespace {

constexpr std::size_t kMaxTimeText = 15;

inline bool IsTimeTextChar(char c) {
    return (c >= '0' && c <= '9') || c == ' ' || c == ':' || c == '.';
}

inline bool IsBlankChar(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

} // namespace

bool IsCaptureFileName(std::string_view path) {
    return EndsWithNoCase(path, ".frames");
}

std::string CaptureLine(std::string_view timeText, const RawFrame& frame) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string line;
    line.reserve(timeText.size() + 1 + 2 * frame.size() + 1);
    line.append(timeText);
    line += '\t';
    for (const std::uint8_t byte : frame) {
        line += kDigits[byte >> 4];
        line += kDigits[byte & 0x0F];
    }
    line += '\n';
    return line;
}

CaptureLineKind ParseCaptureLine(std::string_view line, CaptureEntry& entry) {
    if (std::all_of(line.begin(), line.end(), [](char c) { return IsBlankChar(c); }))
        return CaptureLineKind::Blank;
    std::string_view timeText;
    std::string_view hex = line;
    if (const auto tab = line.find('\t'); tab != std::string_view::npos) {
        timeText = line.substr(0, tab);
        hex = line.substr(tab + 1);
        if (timeText.size() > kMaxTimeText ||
            !std::all_of(timeText.begin(), timeText.end(),
                         [](char c) { return IsTimeTextChar(c); }))
            return CaptureLineKind::Bad;
    }
    RawFrame frame;
    if (!ParseFrameHex(hex, frame))
        return CaptureLineKind::Bad; // the entry stays as it was
    entry.frame = frame;
    entry.timeText.assign(timeText);
    return CaptureLineKind::Frame;
}

} // namespace ostrel
