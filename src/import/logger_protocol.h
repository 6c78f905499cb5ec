#pragma once
// The three exchanges with the meter's logger memory over the adapter cable:
// the status byte (is there a readable logger?), the 24-byte header block and
// the following 24-byte blocks, each answer checked by its checksum.

#include "link/hid_backend.h"

#include <array>
#include <cstdint>
#include <functional>

namespace ostrel {

// Result codes of the exchanges.
inline constexpr int kLoggerOk = 0;
inline constexpr int kLoggerNoCable = -1; // cable not found, or a wait failed
inline constexpr int kLoggerAbandoned = 128;
inline constexpr int kLoggerTimeout = 258;    // also a block that never had a good checksum
inline constexpr int kStatusNoAnswer = 386;   // status query: nothing arrived in time
inline constexpr int kStatusPartAnswer = 387; // status query: part of the frame arrived

// The status byte that lets an import go on.
inline constexpr std::uint8_t kLoggerReadable = 0x52;

inline constexpr std::size_t kLoggerBlockSize = 24;
using LoggerBlock = std::array<std::uint8_t, kLoggerBlockSize>;

// How many header answers with a bad checksum are asked again before the
// header exchange gives up as on a time-out. The tries counted for
// time-outs are separate.
inline constexpr int kHeaderChecksumRepeats = 8;

// Pauses between tries (milliseconds); tests and benchmarks pass their own.
using PauseFunction = std::function<void(int ms)>;
PauseFunction RealPause();
// The pauses for a backend: real ones on a cable, none where the backend
// spends no real time.
PauseFunction BackendPause(const HidBackend& backend);

// Sum of the 24 data bytes modulo 65536.
std::uint16_t LoggerChecksum(const std::uint8_t* data);

// Map a raw status byte as the meter reports it.
std::uint8_t MapStatusByte(std::uint8_t raw);

// The frame request on an open device; status receives the mapped byte 22.
int ReadMeterStatusByte(HidDevice& device, int& status);

// The header block (0x52 0x88), opening and closing the cable itself.
int ReadLoggerHeader(HidBackend& backend, LoggerBlock& header, const PauseFunction& pause);

// The next block (0x52 0x89, retried with 0x52 0x8A), opening and closing the
// cable itself.
int ReadLoggerBlock(HidBackend& backend, std::uint8_t* out, const PauseFunction& pause);

} // namespace ostrel
