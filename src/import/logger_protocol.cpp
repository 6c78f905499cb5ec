#include "import/logger_protocol.h"

#include "link/hid_transport.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace ostrel {
namespace {

int CodeOfWait(std::uint32_t wait) {
    switch (wait) {
    case kWaitCompleted:
        return kLoggerOk;
    case kWaitAbandoned:
        return kLoggerAbandoned;
    case kWaitTimeout:
        return kLoggerTimeout;
    default:
        return kLoggerNoCable;
    }
}

enum class Answer { Good, BadChecksum, Failed };

// One block answer: three reports of data, the fourth with the checksum.
Answer ReadBlockAnswer(HidDevice& device, std::uint8_t* out, std::uint32_t* wait) {
    std::array<std::uint8_t, 27> block{};
    std::array<std::uint8_t, 9> tail{};
    *wait = ReadAnswer(device, block, tail);
    if (*wait != kWaitCompleted)
        return Answer::Failed;
    for (int r = 0; r < 3; ++r)
        std::copy_n(block.begin() + 9 * r + 1, 8, out + 8 * r);
    const std::uint16_t expected = static_cast<std::uint16_t>(tail[1] | (tail[2] << 8));
    return LoggerChecksum(out) == expected ? Answer::Good : Answer::BadChecksum;
}

} // namespace

PauseFunction RealPause() {
    return [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
}

PauseFunction BackendPause(const HidBackend& backend) {
    if (!backend.spendsRealTime())
        return [](int) {};
    return RealPause();
}

std::uint16_t LoggerChecksum(const std::uint8_t* data) {
    unsigned sum = 0;
    for (std::size_t i = 0; i < kLoggerBlockSize; ++i)
        sum += data[i];
    return static_cast<std::uint16_t>(sum & 0xFFFF);
}

std::uint8_t MapStatusByte(std::uint8_t raw) {
    switch (raw) {
    case 0xFF:
    case 0xF7:
    case 0xF3:
    case 0xF1:
    case 0xF0:
    case 0xE0:
    case 0xC0:
    case 0x80:
    case 0x00:
        return 0x82;
    default:
        return raw;
    }
}

int ReadMeterStatusByte(HidDevice& device, int& status) {
    const std::uint8_t request[4] = {0x00, 0x00, 0x82, 0x66};
    const std::uint32_t written = device.write(request, sizeof request, 2000);
    if (written != kWaitCompleted) {
        device.cancel();
        return CodeOfWait(written);
    }
    std::array<std::uint8_t, 27> frame{};
    std::size_t gathered = 0;
    while (gathered < frame.size()) {
        std::uint8_t report[9] = {};
        const HidReadResult r = device.read(report, sizeof report, gathered == 0 ? 4000 : 100);
        if (r.wait == kWaitTimeout) {
            device.cancel();
            return gathered == 0 ? kStatusNoAnswer : kStatusPartAnswer;
        }
        if (r.wait != kWaitCompleted) {
            device.cancel();
            return CodeOfWait(r.wait);
        }
        if (!r.ok)
            continue; // a read that ended in error brings nothing; ask again
        const std::size_t n = std::min({r.transferred, sizeof report, frame.size() - gathered});
        std::copy_n(report, n, frame.begin() + static_cast<std::ptrdiff_t>(gathered));
        gathered += n;
    }
    status = MapStatusByte(frame[22]);
    return kLoggerOk;
}

int ReadLoggerHeader(HidBackend& backend, LoggerBlock& header, const PauseFunction& pause) {
    int tries = 0;
    int repeats = 0;
    for (;;) {
        auto device = OpenAdapter(backend);
        if (!device)
            return kLoggerNoCable;
        const std::uint32_t sent = SendCommand(*device, 0x52, 0x88);
        if (sent != kWaitCompleted)
            return CodeOfWait(sent);
        pause(200);
        std::uint32_t wait = 0;
        const Answer answer = ReadBlockAnswer(*device, header.data(), &wait);
        device.reset();
        if (answer == Answer::Good)
            return kLoggerOk;
        if (answer == Answer::BadChecksum) {
            // Asked again without counting a try, but not for ever.
            if (++repeats >= kHeaderChecksumRepeats)
                return kLoggerTimeout;
            continue;
        }
        if (wait != kWaitTimeout)
            return CodeOfWait(wait);
        if (++tries >= 3) {
            pause(1);
            return kLoggerTimeout;
        }
        pause(10);
    }
}

int ReadLoggerBlock(HidBackend& backend, std::uint8_t* out, const PauseFunction& pause) {
    int tries = 0;
    std::uint8_t command = 0x89;
    for (;;) {
        auto device = OpenAdapter(backend);
        if (!device)
            return kLoggerNoCable;
        const std::uint32_t sent = SendCommand(*device, 0x52, command);
        if (sent != kWaitCompleted)
            return CodeOfWait(sent);
        std::uint32_t wait = 0;
        const Answer answer = ReadBlockAnswer(*device, out, &wait);
        device.reset();
        if (answer == Answer::Good)
            return kLoggerOk;
        if (answer == Answer::Failed && wait != kWaitTimeout)
            return CodeOfWait(wait);
        // A time-out or a bad checksum counts one try.
        if (++tries >= 4) {
            pause(1);
            return kLoggerTimeout;
        }
        command = 0x8A;
        pause(10);
    }
}

} // namespace ostrel
