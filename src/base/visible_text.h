#pragma once
// Stored texts written into line-based text (the comma-separated exports, the
// lines of `ostrel-cli read`): a control character in a field (CR, LF, ESC,
// any byte below 0x20 and DEL) would start a new line or drive the terminal,
// so it is written as a blank. Other bytes are kept as they are.

#include <cstdint>
#include <cstring>
#include <string>

namespace ostrel {

inline constexpr char kControlStandIn = ' ';

inline bool IsControlCharacter(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

// Replace every control character of text from position `from` on. Eight
// bytes are looked at at once: a line of the exports rarely holds any.
inline void BlankControlCharacters(std::string& text, std::size_t from = 0) {
    constexpr std::uint64_t kOnes = 0x0101010101010101u;
    constexpr std::uint64_t kHighs = 0x8080808080808080u;
    std::size_t i = from;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t x;
        std::memcpy(&x, text.data() + i, 8);
        const std::uint64_t del = x ^ (0x7F * kOnes);
        // A byte below 0x20 (with its high bit clear), or a byte 0x7F.
        if ((((x - 0x20 * kOnes) & ~x) | ((del - kOnes) & ~del)) & kHighs) {
            for (std::size_t j = i; j < i + 8; ++j) {
                if (IsControlCharacter(text[j]))
                    text[j] = kControlStandIn;
            }
        }
    }
    for (; i < text.size(); ++i) {
        if (IsControlCharacter(text[i]))
            text[i] = kControlStandIn;
    }
}

} // namespace ostrel
