#pragma once
// Stored texts written into line-based text (the comma-separated exports, the
// lines of `ostrel-cli read`): a control character in a field (CR, LF, ESC,
// any byte below 0x20 and DEL) would start a new line or drive the terminal,
// so it is written as a blank. Other bytes are kept as they are.

#include <string>

namespace ostrel {

inline constexpr char kControlStandIn = ' ';

inline bool IsControlCharacter(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

// Replace every control character of text from position `from` on.
inline void BlankControlCharacters(std::string& text, std::size_t from = 0) {
    for (std::size_t i = from; i < text.size(); ++i) {
        if (IsControlCharacter(text[i]))
            text[i] = kControlStandIn;
    }
}

} // namespace ostrel
