// Hexadecimal text of display frames.
#include "link/frame_hex.h"

#include <array>
#include <tuple>

namespace ostrel {

namespace {

// The value of every character that is a hex digit; kNotHex for the others,
// kBlank for the blanks allowed between digits.
constexpr std::uint8_t kNotHex = 0xFF;
constexpr std::uint8_t kBlank = 0xFE;
struct HexTable {
    std::array<std::uint8_t, 256> value{};
    constexpr HexTable() {
        value.fill(kNotHex);
        for (int c = 0; c < 10; ++c)
            value['0' + c] = static_cast<std::uint8_t>(c);
        for (int c = 0; c < 6; ++c) {
            value['a' + c] = static_cast<std::uint8_t>(10 + c);
            value['A' + c] = static_cast<std::uint8_t>(10 + c);
        }
        value[' '] = value['\t'] = value['\r'] = kBlank;
    }
};
constexpr HexTable kHex;

std::uint8_t HexValue(char c) {
    return kHex.value[static_cast<unsigned char>(c)];
}

} // namespace

bool ParseFrameHex(std::string_view text, RawFrame& raw) {
    // The usual line: 54 digits in a row, perhaps a CR after them.
    constexpr std::size_t kDigits = 2 * std::tuple_size_v<RawFrame>;
    if (text.size() == kDigits || (text.size() == kDigits + 1 && text.back() == '\r')) {
        unsigned bad = 0;
        for (std::size_t i = 0; i < raw.size(); ++i) {
            const std::uint8_t hi = HexValue(text[2 * i]);
            const std::uint8_t lo = HexValue(text[2 * i + 1]);
            bad |= (hi | lo) & 0xF0u;
            raw[i] = static_cast<std::uint8_t>(hi << 4 | (lo & 0x0F));
        }
        if (bad == 0)
            return true;
    }
    // Pairs of digits with one blank between them (as FormatFrameHex writes
    // a frame).
    constexpr std::size_t kSpaced = 3 * std::tuple_size_v<RawFrame> - 1;
    if (text.size() == kSpaced || (text.size() == kSpaced + 1 && text.back() == '\r')) {
        unsigned bad = 0;
        for (std::size_t i = 0; i < raw.size(); ++i) {
            const std::uint8_t hi = HexValue(text[3 * i]);
            const std::uint8_t lo = HexValue(text[3 * i + 1]);
            bad |= (hi | lo) & 0xF0u;
            if (i + 1 < raw.size())
                bad |= HexValue(text[3 * i + 2]) != kBlank ? 1u : 0u;
            raw[i] = static_cast<std::uint8_t>(hi << 4 | (lo & 0x0F));
        }
        if (bad == 0)
            return true;
    }
    // Blanks anywhere.
    std::size_t digits = 0;
    for (const char c : text) {
        const std::uint8_t v = HexValue(c);
        if (v == kBlank)
            continue;
        if (v == kNotHex || digits == kDigits)
            return false;
        raw[digits / 2] = static_cast<std::uint8_t>(digits % 2 == 0 ? v << 4 : raw[digits / 2] | v);
        ++digits;
    }
    return digits == kDigits;
}

std::optional<RawFrame> ParseFrameHex(std::string_view text) {
    RawFrame raw{};
    if (!ParseFrameHex(text, raw))
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
