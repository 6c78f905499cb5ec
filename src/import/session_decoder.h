#pragma once
// Turns a downloaded logger-memory image into sessions of readings: follows
// the chain of session descriptors, unpacks the 3-byte values and forms, for
// every reading, the texts and the number its records hold.

#include "import/session_reading.h"
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

// The record of one display's reading. *unknownRange is set when the range
// code is not in the range table (the exponent is then 0).
TRecord MakeSessionRecord(const LoggerValue& value, std::uint32_t function, int table,
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
