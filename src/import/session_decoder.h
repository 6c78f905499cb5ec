#pragma once
// Turns a downloaded logger-memory image into sessions of readings: follows
// the chain of session descriptors, unpacks the 3-byte values and forms, for
// every reading, the texts and the number its records hold.

#include "import/session_reading.h"
#include "import/session_table.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ostrel {

// Image offset of a meter memory address (lo, mid, hi); negative when the
// address lies before the image.
std::int64_t LoggerAddressOffset(std::uint8_t lo, std::uint8_t mid, std::uint8_t hi);

// One session of the chain as it lies in the image.
struct LoggerSessionSpan {
    std::size_t descriptor = 0; // image offset of its descriptor
    std::uint8_t f = 0, m = 0, g = 0;
    bool dual = false;
    std::size_t first = 0;    // image offset of its first reading
    std::size_t readings = 0; // readings to decode (after any cut)
};

// What the chain holds and what of it could not be read.
struct LoggerChain {
    std::vector<LoggerSessionSpan> sessions; // in chain order
    std::size_t announcedSessions = 0;       // header bytes 4-5
    std::size_t readingsCut = 0;             // readings announced but not read
    std::size_t sessionsCut = 0;             // sessions announced but not read
    // Numbered texts that tell the user what was cut (7132, 7133, 7136, 7137).
    std::vector<int> notices;
};

// Follow the chain for exactly the announced number of sessions (at most
// kMaxSessions), in whatever memory order they lie. A descriptor or readings
// outside the image, or over bytes already read (a descriptor or readings of
// an earlier session, the header), are not read: such a descriptor ends the
// chain, such readings are cut where they meet those bytes. So no byte is
// read twice and the work is bounded by the image size.
LoggerChain WalkLoggerChain(const std::uint8_t* image, std::size_t size);

// Progress of the decoding is reported every this many readings.
inline constexpr std::size_t kDecodeProgressStep = 4096;

struct SessionDecodeCallbacks {
    // Session `session` (from 0) of `sessions`: `done` of its `total`
    // readings have their records. Called at the start of every session,
    // every kDecodeProgressStep readings and at its end.
    std::function<void(std::size_t session, std::size_t sessions, std::size_t done,
                       std::size_t total)>
        progress;
    // Asked at the start of every session and every kDecodeProgressStep
    // readings; true ends the decoding with an empty table.
    std::function<bool()> cancelled;
};

struct SessionDecodeResult {
    SessionTable table;
    bool cancelled = false;
    std::size_t announcedSessions = 0; // header bytes 4-5
    std::size_t readingsCut = 0;       // readings announced but not read
    std::size_t sessionsCut = 0;       // sessions announced but not read
    std::size_t unknownFunctions = 0;  // sessions whose F/M the tables do not list
    std::size_t unknownRanges = 0;     // readings whose range code is not listed
    // Numbered texts that tell the user what was cut or guessed (7132 … 7137).
    std::vector<int> notices;
};

// Decode an image of size bytes into the result's table. Nothing outside the
// image is read. The sessions keep their readings as the image holds them
// (see session_list.h): a copy of the image here, the image itself below.
SessionDecodeResult DecodeLoggerImage(const std::uint8_t* image, std::size_t size,
                                      const SessionDecodeCallbacks& callbacks = {});
SessionDecodeResult DecodeLoggerImage(std::shared_ptr<const std::vector<std::uint8_t>> image,
                                      const SessionDecodeCallbacks& callbacks = {});

} // namespace ostrel
