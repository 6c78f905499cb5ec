#pragma once
// The download of the meter's logger memory into one image: cable and status
// check, the user's confirmation, the header block, then block after block up
// to the announced length, with progress and a way to stop after each block.

#include "import/logger_protocol.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace ostrel {

// Image size for an announced length: L raised to a multiple of 24, at least 24.
std::size_t LoggerImageSize(std::uint32_t length);

// The announced length L of a header block (bytes 1-3).
std::uint32_t LoggerLength(const std::uint8_t* header);

// "Read Bytes : p Of L"
std::string LoggerProgressLine(std::size_t position, std::uint32_t length);

// The numbered message for a failed exchange: 9016 for a time-out or an
// abandoned wait, 9015 for anything else.
int LoggerMessageForCode(int code);

struct LoggerDownloadCallbacks {
    // Asked before anything is changed ("All existing data in buffer will be
    // destroyed."); false stops the download. Not set: yes.
    std::function<bool()> confirm;
    // The old data is to be discarded now, whatever happens next.
    std::function<void()> clearData;
    // The header arrived; the image will have imageSize bytes.
    std::function<void(std::size_t imageSize)> started;
    // After each block: the position p and the length L (LoggerProgressLine
    // makes the counter line of them).
    std::function<void(std::size_t position, std::uint32_t length)> progress;
    // Asked after each block; true ends the download without a message.
    std::function<bool()> cancelled;
    // Pauses; not set: those of the backend (none where it spends no real time).
    PauseFunction pause;
};

enum class LoggerDownloadOutcome {
    Done,      // image holds the whole used memory
    Declined,  // the user said no; nothing changed
    Failed,    // message says why; image is empty
    Cancelled, // stopped after a block; image is empty
};

struct LoggerDownloadResult {
    LoggerDownloadOutcome outcome = LoggerDownloadOutcome::Failed;
    int messageId = 0;               // for Failed: 9006, 9015, 9016 or 9017
    int code = 0;                    // the exchange's result code, for Failed
    std::uint32_t length = 0;        // L
    std::vector<std::uint8_t> image; // R bytes when Done
    std::size_t blockExchanges = 0;  // block exchanges that succeeded
};

// Is there a cable, and a meter behind it whose logger memory can be read?
// 0, or the message: 9015 (no cable) or 9017 (no readable logger).
int CheckLoggerMemory(HidBackend& backend);

// The download proper, once the user has agreed: the header block, then
// block after block up to the announced length (confirm and clearData are
// not used).
LoggerDownloadResult ReadLoggerMemory(HidBackend& backend,
                                      const LoggerDownloadCallbacks& callbacks);

// The whole command: check, confirm, clear, read.
LoggerDownloadResult DownloadLoggerImage(HidBackend& backend,
                                         const LoggerDownloadCallbacks& callbacks);

} // namespace ostrel
