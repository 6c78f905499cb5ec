#pragma once
// Turns a downloaded logger-memory image into sessions of readings: follows
// the chain of session descriptors, unpacks the 3-byte values and forms, for
// every reading, the texts and the number its records hold.

#include "import/session_table.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace ostrel {

// Image offset of a meter memory address (lo, mid, hi); negative when the
// address lies before the image.
std::int64_t LoggerAddressOffset(std::uint8_t lo, std::uint8_t mid, std::uint8_t hi);

// One 3-byte value, unpacked: flags (bit 2 overload, bit 3 negative), range
// code and raw count.
struct LoggerValue {
    std::uint8_t flags = 0;
    std::uint8_t range = 0;
    std::uint16_t raw = 0;

    bool overload() const { return (flags & 0x4) != 0; }
    bool negative() const { return (flags & 0x8) != 0; }
};
static_assert(sizeof(LoggerValue) == 4);

LoggerValue UnpackLoggerValue(const std::uint8_t* bytes);

// printf's "%0<width>.<precision>f": fixed notation, zeros after the sign up
// to width.
std::string FormatFixed(double value, int precision, int width);

// The texts of one reading.
std::string SessionTimeText(double seconds);
// The value text before the degree letter is cut: digits "d.ddd", "OL" or
// "----", the degree letter of a temperature code, a leading "-".
std::string SessionValueText(const LoggerValue& value, std::uint32_t function);
// The data text of value text v (as above) with exponent e.
std::string SessionDataText(const std::string& v, std::uint32_t function, int exponent);
// The number of value text v (degree letter already cut) with exponent e.
float SessionValue(const std::string& v, std::uint32_t function, int exponent);
// Unit text (the prefix) and function text (unit and coupling suffix).
std::string SessionPrefixText(std::uint32_t function, int exponent);
std::string SessionFunctionText(std::uint32_t function, bool isMain);

// The record of one display's reading. *unknownRange is set when the range
// code is not in the range table (the exponent is then 0).
TRecord MakeTRecord(const LoggerValue& value, std::uint32_t function, int table,
                    const std::string& timeText, bool isMain, bool* unknownRange = nullptr);

struct SessionDecodeCallbacks {
    // A pass over one session begins: progress range 0 … total.
    std::function<void(std::size_t total)> setRange;
    // One reading done.
    std::function<void()> step;
    // Asked before every reading of the record pass; true ends the decoding
    // with an empty table.
    std::function<bool()> cancelled;
};

struct SessionDecodeResult {
    SessionTable table;
    bool cancelled = false;
    std::size_t announcedSessions = 0; // header bytes 4-5
    std::size_t readingsCut = 0;       // readings announced but outside the image
    std::size_t sessionsCut = 0;       // sessions announced but not decoded
    std::size_t unknownFunctions = 0;  // sessions whose F/M the tables do not list
    std::size_t unknownRanges = 0;     // readings whose range code is not listed
    // Numbered texts that tell the user what was cut or guessed (7132 … 7136).
    std::vector<int> notices;
};

// Decode an image of size bytes. Nothing outside the image is read.
SessionDecodeResult DecodeLoggerImage(const std::uint8_t* image, std::size_t size,
                                      const SessionDecodeCallbacks& callbacks = {});

} // namespace ostrel
