// Hexadecimal text of display frames.
#include "link/frame_hex.h"

namespace ostrel {

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::optional<RawFrame> ParseFrameHex(std::string_view text) {
    RawFrame raw{};
    std::size_t digits = 0;
    for (const char c : text) {
        if (c == ' ' || c == '\t' || c == '\r')
            continue;
        const int v = HexValue(c);
        if (v < 0 || digits == 2 * raw.size())
            return std::nullopt;
        raw[digits / 2] = static_cast<std::uint8_t>((raw[digits / 2] << 4) | v);
        ++digits;
    }
    if (digits != 2 * raw.size())
        return std::nullopt;
    return raw;
}

std::string FormatFrameHex(const RawFrame& raw) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(raw.size() * 3);
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (i)
            text += ' ';
        text += kDigits[raw[i] >> 4];
        text += kDigits[raw[i] & 0x0F];
    }
    return text;
}

} // namespace ostrel
