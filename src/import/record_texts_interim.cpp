// Interim copy of the stored-reading texts until the reading vocabulary lands
// on main; removed at that merge.
#include "link/reading.h"

#include <cstring>
#include <string>

namespace ostrel {

int RecordExponent(std::uint32_t code, const std::string& rangeText) {
    int r = 0;
    try {
        std::size_t used = 0;
        r = std::stoi(rangeText, &used);
        if (used != rangeText.size()) r = 0;
    } catch (...) {
        r = 0;
    }
    switch (code) {
    case 5: case 6: case 7: case 0x1000005: case 0x1000006: return (r == -2 || r == -1) ? -3 : 1;
    case 8:
        if (r == -2 || r == -1) return -9;
        if (r >= 0 && r <= 2) return -6;
        if (r == 3 || r == 4) return -3;
        return 0;
    case 0x80: case 0x180: case 0x400: return r / 3 * 3;
    case 0x201: case 0x202: case 0x203:
        if (r == -4 || r == -3) return -6;
        if (r == -2 || r == -1) return -3;
        return 0;
    case 0x800: return 0;
    case 0x1000: return -9;
    case 0x2000: return -3;
    default: return 0;
    }
}

int RecordPrefixText(std::uint32_t code, int exponent, char* buffer) {
    const char* t = "";
    switch (exponent) {
    case 3: t = "k"; break;
    case 6: t = "M"; break;
    case -9: t = "n"; break;
    case -6: t = "u"; break;
    case -3: t = code == 0x2000 ? "dB" : "m"; break;
    default: break;
    }
    std::strcpy(buffer, t);
    return static_cast<int>(std::strlen(t));
}

int RecordUnitText(std::uint32_t code, char* buffer) {
    const char* t = "";
    switch (code & 0x7FFFFFFFu) {
    case 4: case 0x14: case 5: case 0x1000005: case 6: case 0x1000006: case 7: t = "V"; break;
    case 8: t = "F"; break;
    case 0x20: case 0x8020: case 0x4020: case 0xC020: t = "C"; break;
    case 0x40: case 0x8040: case 0x4040: case 0xC040: t = "F"; break;
    case 0x80: case 0x180: case 0x2080: t = "W"; break;
    case 0x1000: t = "S"; break;
    case 0x201: case 0x202: case 0x203: t = "A"; break;
    case 0x400: t = "Hz"; break;
    case 0x800: t = "%"; break;
    case 0x2000: t = "m"; break;
    default: break;
    }
    std::strcpy(buffer, t);
    return static_cast<int>(std::strlen(t));
}

} // namespace ostrel
