#include "recorder/frame_capture.h"

#include "base/file_name.h"
#include "link/frame_hex.h"

#include <algorithm>
#include <array>

namespace ostrel {
namespace {

constexpr std::size_t kMaxTimeText = 15;

// The characters of a time text, looked up: every line of a capture has one.
struct TimeTextChars {
    std::array<bool, 256> allowed{};
    constexpr TimeTextChars() {
        for (char c = '0'; c <= '9'; ++c)
            allowed[static_cast<unsigned char>(c)] = true;
        allowed[' '] = allowed[':'] = allowed['.'] = true;
    }
};
constexpr TimeTextChars kTimeTextChars;

inline bool IsTimeTextChar(char c) {
    return kTimeTextChars.allowed[static_cast<unsigned char>(c)];
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

CaptureLineKind ParseCaptureLine(std::string_view line, std::string_view& timeText,
                                 RawFrame& frame) {
    timeText = {};
    if (std::all_of(line.begin(), line.end(), [](char c) { return IsBlankChar(c); }))
        return CaptureLineKind::Blank;
    std::string_view hex = line;
    if (const auto tab = line.find('\t'); tab != std::string_view::npos) {
        const std::string_view time = line.substr(0, tab);
        hex = line.substr(tab + 1);
        if (time.size() > kMaxTimeText ||
            !std::all_of(time.begin(), time.end(), [](char c) { return IsTimeTextChar(c); }))
            return CaptureLineKind::Bad;
        if (!ParseFrameHex(hex, frame))
            return CaptureLineKind::Bad;
        timeText = time;
        return CaptureLineKind::Frame;
    }
    return ParseFrameHex(hex, frame) ? CaptureLineKind::Frame : CaptureLineKind::Bad;
}

CaptureLineKind ParseCaptureLine(std::string_view line, CaptureEntry& entry) {
    std::string_view timeText;
    RawFrame frame;
    const CaptureLineKind kind = ParseCaptureLine(line, timeText, frame);
    if (kind == CaptureLineKind::Frame) { // else the entry stays as it was
        entry.frame = frame;
        entry.timeText.assign(timeText);
    }
    return kind;
}

} // namespace ostrel
