// Hexadecimal text of display frames.
#include "link/frame_hex.h"

#include <array>
#include <tuple>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

#if defined(__SSE2__)
// 16 hex digits at p into 8 bytes at out, all lanes at once; false when any
// of them is no hex digit (out is then undefined). The compares are signed:
// a byte of 0x80 or more is below every digit.
bool SixteenDigits(const char* p, std::uint8_t* out) {
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    // Setting bit 5 maps 'A'…'F' onto 'a'…'f' and leaves '0'…'9' as they are.
    const __m128i lower = _mm_or_si128(c, _mm_set1_epi8(0x20));
    const __m128i digit = _mm_and_si128(_mm_cmpgt_epi8(c, _mm_set1_epi8('0' - 1)),
                                        _mm_cmplt_epi8(c, _mm_set1_epi8('9' + 1)));
    const __m128i letter = _mm_and_si128(_mm_cmpgt_epi8(lower, _mm_set1_epi8('a' - 1)),
                                         _mm_cmplt_epi8(lower, _mm_set1_epi8('f' + 1)));
    if (_mm_movemask_epi8(_mm_or_si128(digit, letter)) != 0xFFFF)
        return false;
    // Digits count from '0', letters from 'a' - 10.
    const __m128i v = _mm_sub_epi8(_mm_sub_epi8(lower, _mm_set1_epi8('0')),
                                   _mm_and_si128(letter, _mm_set1_epi8('a' - 10 - '0')));
    // Each 16-bit lane holds a pair: its first digit is the high nibble.
    const __m128i pairs = _mm_or_si128(_mm_slli_epi16(_mm_and_si128(v, _mm_set1_epi16(0xFF)), 4),
                                       _mm_srli_epi16(v, 8));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(pairs, pairs));
    return true;
}
#endif

} // namespace

bool ParseFrameHex(std::string_view text, RawFrame& raw) {
    // The usual line: 54 digits in a row, perhaps a CR after them.
    constexpr std::size_t kDigits = 2 * std::tuple_size_v<RawFrame>;
    if (text.size() == kDigits || (text.size() == kDigits + 1 && text.back() == '\r')) {
#if defined(__SSE2__)
        // Four overlapping runs of 16 digits cover the 54: bytes 0-7, 8-15,
        // 16-23 and 19-26.
        static_assert(kDigits == 54);
        const char* p = text.data();
        std::uint8_t* out = raw.data();
        if (SixteenDigits(p, out) && SixteenDigits(p + 16, out + 8) &&
            SixteenDigits(p + 32, out + 16) && SixteenDigits(p + 38, out + 19))
            return true;
#else
        unsigned bad = 0;
        for (std::size_t i = 0; i < raw.size(); ++i) {
            const std::uint8_t hi = HexValue(text[2 * i]);
            const std::uint8_t lo = HexValue(text[2 * i + 1]);
            bad |= (hi | lo) & 0xF0u;
            raw[i] = static_cast<std::uint8_t>(hi << 4 | (lo & 0x0F));
        }
        if (bad == 0)
            return true;
#endif
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
