#include "displays/display_text.h"

namespace ostrel {

std::string TrimDisplayText(const std::string& text) {
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && blank(text[begin]))
        ++begin;
    while (end > begin && blank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

bool ShowsDegreeLetter(int function) {
    switch (function) {
    case 0x4020:
    case 0x4040:
    case 0x8020:
    case 0x8040:
    case 0xC020:
    case 0xC040:
        return true;
    default:
        return false;
    }
}

} // namespace ostrel
