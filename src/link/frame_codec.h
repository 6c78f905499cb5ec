#pragma once
// The meter's display frame: 27 raw bytes (three 9-byte HID input reports)
// carrying an image of the liquid-crystal display. DecodeFrame turns it into a
// MeterReading; EncodeFrame builds the frame a meter would send for a reading.

#include "link/reading.h"

#include <array>
#include <cstdint>
#include <string_view>
#include <utility>

namespace ostrel {

using RawFrame = std::array<std::uint8_t, 27>;

// The 20 payload bytes b0…b19 of one display answer.
struct LcdFrame {
    std::array<std::uint8_t, 20> b{};
};

LcdFrame CompactFrame(const RawFrame& raw);
// Where LcdFrame byte k (0 … 19) lies in the raw frame: after the report
// number of each of the three 9-byte reports and, in the first, one more byte.
constexpr std::size_t RawIndexOfPayload(std::size_t k) {
    return k < 7 ? 2 + k : (k < 15 ? 3 + k : 4 + k);
}

// The payload bytes each display is decoded from: DecodeFrame's main display
// (its texts, function codes with the low-battery bit, exponent) depends on
// these bytes of the LcdFrame alone, and so does its sub display on its own.
inline constexpr std::array<std::uint8_t, 10> kMainDisplayBytes = {0, 1, 2, 3, 4, 5, 6, 12, 13, 14};
inline constexpr std::array<std::uint8_t, 7> kSubDisplayBytes = {6, 7, 8, 9, 10, 11, 12};
// The inverse of CompactFrame: the payload placed in a raw frame, every byte
// the decoder does not read (report numbers included) zero.
RawFrame ExpandFrame(const LcdFrame& f);
char SegmentChar(std::uint8_t segments);                                    // bit 4 already cleared
std::pair<std::string, std::string> DecodeDisplayTexts(const LcdFrame& f);  // main, sub
std::pair<std::uint32_t, std::uint32_t> DecodeFunctions(const LcdFrame& f); // main raw, sub raw
std::pair<int, int> DecodeExponents(const LcdFrame& f);                     // main, sub
MeterReading DecodeFrame(const RawFrame& raw);

// What one display shows, in the terms of the display itself.
struct DisplayContent {
    std::array<char, 4> chars{' ', ' ', ' ', ' '}; // characters of SegmentChar's table
    int pointAfter = 0;         // 0: no point; 1…3: decimal point after that character
    bool negative = false;      // minus sign
    std::uint32_t function = 0; // function code; a C/F bit shows as chars[3] "C"/"F"
    int exponent = 0;           // -9, -6, -3, 0, 3, 6
};

struct FrameContent {
    DisplayContent main;
    DisplayContent sub;
    bool lowBattery = false;
    std::uint8_t status = 0; // the meter's status byte (b18)
};

// The segment byte of a character of SegmentChar's table; '?' gets a pattern
// outside the table (so it decodes to '?' again), any other character 0x00.
std::uint8_t SegmentByte(char c);

// True when the display can carry the function code (bit 31 ignored): the main
// display carries bits 0-3 and 7-15, one of the C/F bits 5 and 6 (through its
// fourth character) and bit 24 on an annunciator code of 5 or 6; the sub
// display bits 0-3, 7, 9, 10, 12, 14, 15 and one of the C/F bits.
bool DisplayCanShow(std::uint32_t function, bool isMain);

// Sets chars, pointAfter and negative from a display text as the decoder writes
// it: four characters of SegmentChar's table (or '?'), at most one "." after the
// first, second or third, and a leading "-" for the sign (a text of five
// characters besides the point starts with the sign; "----" is four dashes).
// Returns false, leaving content unchanged, for any other text.
bool SetDisplayText(DisplayContent& content, std::string_view text);

// The raw frame (report numbers 0) that decodes to the given content. A
// function bit the display cannot carry is dropped; a C (F) temperature bit
// writes "C" ("F") as the fourth character; a point after character 4 or an
// exponent without a multiplier annunciator lights nothing. Bit 31 of the main
// function is ignored: lowBattery lights that annunciator.
RawFrame EncodeFrame(const FrameContent& content);

} // namespace ostrel
