#include "import/logger_download.h"

#include "base/string_table.h"
#include "link/hid_transport.h"

#include <algorithm>
#include <cstdio>
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
    std::string format(Text(7120));
    if (format.empty())
        format = "Read Bytes : %d Of %d";
    char buf[96];
    std::snprintf(buf, sizeof buf, format.c_str(), static_cast<int>(position),
                  static_cast<int>(length));
    return buf;
}

int LoggerMessageForCode(int code) {
    return (code == kLoggerTimeout || code == kLoggerAbandoned) ? 9016 : 9015;
}

LoggerDownloadResult DownloadLoggerImage(HidBackend& backend, const LoggerDownloadCallbacks& cb) {
    LoggerDownloadResult result;
    const PauseFunction pause = cb.pause ? cb.pause : RealPause();
    auto fail = [&result](int code, int messageId) {
        result.outcome = LoggerDownloadOutcome::Failed;
        result.code = code;
        result.messageId = messageId;
        std::vector<std::uint8_t>().swap(result.image);
        return std::move(result);
    };

    // Is there a cable, and a meter behind it whose logger can be read?
    {
        auto device = OpenAdapter(backend);
        if (!device)
            return fail(kLoggerNoCable, 9015);
        int status = -1;
        ReadMeterStatusByte(*device, status);
        if (status != kLoggerReadable)
            return fail(kLoggerNoCable, 9017);
    }
    if (cb.confirm && !cb.confirm()) {
        result.outcome = LoggerDownloadOutcome::Declined;
        return result;
    }
    if (cb.clearData)
        cb.clearData();

    LoggerBlock header{};
    const int headerCode = ReadLoggerHeader(backend, header, pause);
    if (headerCode != kLoggerOk)
        return fail(headerCode, LoggerMessageForCode(headerCode));

    result.length = LoggerLength(header.data());
    const std::size_t size = LoggerImageSize(result.length);
    try {
        result.image.assign(size, 0);
    } catch (const std::bad_alloc&) {
        return fail(kLoggerOk, 9006);
    }
    if (cb.started)
        cb.started(size);
    std::copy(header.begin(), header.end(), result.image.begin());
    std::size_t p = kLoggerBlockSize;
    while (p < size) {
        const int code = ReadLoggerBlock(backend, result.image.data() + p, pause);
        if (code != kLoggerOk)
            return fail(code, LoggerMessageForCode(code));
        ++result.blockExchanges;
        p += kLoggerBlockSize;
        if (cb.progress)
            cb.progress(p, result.length, LoggerProgressLine(p, result.length));
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

} // namespace ostrel
