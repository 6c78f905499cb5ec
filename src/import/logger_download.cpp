#include "import/logger_download.h"

#include "base/string_table.h"
#include "link/hid_transport.h"

#include <algorithm>
#include <new>

namespace ostrel {

std::size_t LoggerImageSize(std::uint32_t length) {
    const std::size_t l = length & 0xFFFFFFu;
    const std::size_t r = (l + kLoggerBlockSize - 1) / kLoggerBlockSize * kLoggerBlockSize;
    return std::max(r, kLoggerBlockSize);
}

std::uint32_t LoggerLength(const std::uint8_t* header) {
    return std::uint32_t(header[1]) | std::uint32_t(header[2]) << 8 |
           std::uint32_t(header[3]) << 16;
}

std::string LoggerProgressLine(std::size_t position, std::uint32_t length) {
    return FormatText(7120, {std::to_string(position), std::to_string(length)});
}

int LoggerMessageForCode(int code) {
    return (code == kLoggerTimeout || code == kLoggerAbandoned) ? 9016 : 9015;
}

namespace {

LoggerDownloadResult Failure(int code, int messageId) {
    LoggerDownloadResult result;
    result.outcome = LoggerDownloadOutcome::Failed;
    result.code = code;
    result.messageId = messageId;
    return result;
}

} // namespace

int CheckLoggerMemory(HidBackend& backend) {
    auto device = OpenAdapter(backend);
    if (!device)
        return 9015;
    int status = -1;
    ReadMeterStatusByte(*device, status); // its result is not looked at: the status says it
    return status == kLoggerReadable ? 0 : 9017;
}

LoggerDownloadResult ReadLoggerMemory(HidBackend& backend, const LoggerDownloadCallbacks& cb) {
    const PauseFunction pause = cb.pause ? cb.pause : BackendPause(backend);
    LoggerBlock header{};
    const int headerCode = ReadLoggerHeader(backend, header, pause);
    if (headerCode != kLoggerOk)
        return Failure(headerCode, LoggerMessageForCode(headerCode));

    LoggerDownloadResult result;
    result.length = LoggerLength(header.data());
    const std::size_t size = LoggerImageSize(result.length);
    try {
        result.image.assign(size, 0);
    } catch (const std::bad_alloc&) {
        return Failure(kLoggerOk, 9006);
    }
    if (cb.started)
        cb.started(size);
    std::copy(header.begin(), header.end(), result.image.begin());
    std::size_t p = kLoggerBlockSize;
    while (p < size) {
        const int code = ReadLoggerBlock(backend, result.image.data() + p, pause);
        if (code != kLoggerOk) {
            LoggerDownloadResult failed = Failure(code, LoggerMessageForCode(code));
            failed.length = result.length;
            failed.blockExchanges = result.blockExchanges;
            return failed;
        }
        ++result.blockExchanges;
        p += kLoggerBlockSize;
        if (cb.progress)
            cb.progress(p, result.length);
        pause(1);
        if (cb.cancelled && cb.cancelled()) {
            result.outcome = LoggerDownloadOutcome::Cancelled;
            std::vector<std::uint8_t>().swap(result.image);
            return result;
        }
    }
    result.outcome = LoggerDownloadOutcome::Done;
    return result;
}

LoggerDownloadResult DownloadLoggerImage(HidBackend& backend, const LoggerDownloadCallbacks& cb) {
    if (const int messageId = CheckLoggerMemory(backend); messageId != 0)
        return Failure(kLoggerNoCable, messageId);
    if (cb.confirm && !cb.confirm()) {
        LoggerDownloadResult result;
        result.outcome = LoggerDownloadOutcome::Declined;
        return result;
    }
    if (cb.clearData)
        cb.clearData();
    return ReadLoggerMemory(backend, cb);
}

} // namespace ostrel
