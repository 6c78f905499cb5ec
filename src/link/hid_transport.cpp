#include "link/hid_transport.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace ostrel {
namespace {

bool Ends(std::uint32_t wait) {
    return wait != kWaitCompleted;
}

std::unique_ptr<HidDevice> OpenListed(HidBackend& backend,
                                      const std::vector<HidInterfaceInfo>& interfaces, int index,
                                      HidOpenError* error) {
    if (index < 0 || static_cast<std::size_t>(index) >= interfaces.size()) {
        if (error)
            *error = HidOpenError::NoSuchInterface;
        return nullptr;
    }
    HidOpenError why = HidOpenError::None;
    auto device = backend.open(interfaces[static_cast<std::size_t>(index)], &why);
    if (!device && why == HidOpenError::None)
        why = HidOpenError::Failed;
    if (error)
        *error = device ? HidOpenError::None : why;
    return device;
}

} // namespace

std::unique_ptr<HidDevice> OpenHidInterface(HidBackend& backend, int index, HidOpenError* error) {
    return OpenListed(backend, backend.enumerate(), index, error);
}

std::unique_ptr<HidDevice> OpenAdapter(HidBackend& backend, std::uint16_t vendorId,
                                       std::uint16_t productId, bool* permissionDenied) {
    if (permissionDenied)
        *permissionDenied = false;
    // One enumeration serves the whole search: interface numbers stay those of
    // one snapshot, and a device of another make is never opened at all.
    const auto interfaces = backend.enumerate();
    const int limit = std::min<int>(kAdapterSearchLimit, static_cast<int>(interfaces.size()));
    for (int index = 0; index < limit; ++index) {
        const auto& listed = interfaces[static_cast<std::size_t>(index)];
        if (listed.vendorId != vendorId || listed.productId != productId)
            continue;
        HidOpenError error = HidOpenError::None;
        auto device = OpenListed(backend, interfaces, index, &error);
        if (!device) {
            if (error == HidOpenError::PermissionDenied && permissionDenied)
                *permissionDenied = true;
            continue;
        }
        const HidInterfaceInfo attributes = device->attributes();
        if (attributes.vendorId == vendorId && attributes.productId == productId) {
            if (permissionDenied)
                *permissionDenied = false;
            return device;
        }
    }
    return nullptr;
}

std::uint32_t SendCommand(HidDevice& device, std::uint8_t c1, std::uint8_t c2) {
    const std::uint8_t report[4] = {0x00, 0x00, c1, c2};
    const std::uint32_t wait = device.write(report, sizeof report, kCommandWriteTimeoutMs);
    if (Ends(wait))
        device.cancel();
    return wait;
}

std::uint32_t ReadReports(HidDevice& device, std::uint8_t* buffer, std::size_t count) {
    std::size_t gathered = 0;
    std::uint32_t wait = kWaitCompleted;
    int errorsInRow = 0;
    while (gathered < count) {
        // Each read takes a whole report into a report-sized buffer, and only
        // what still fits is kept: a report that arrives in pieces can never
        // write past the end of the caller's buffer.
        std::uint8_t report[kInputReportSize] = {};
        const HidReadResult result = device.read(report, sizeof report, kCommandReportTimeoutMs);
        wait = result.wait;
        if (Ends(wait)) {
            device.cancel();
            return wait;
        }
        if (!result.ok) {
            if (++errorsInRow >= kMaxErrorCompletions) {
                device.cancel();
                return kWaitFailed;
            }
            continue;
        }
        errorsInRow = 0;
        const std::size_t take = std::min({result.transferred, sizeof report, count - gathered});
        std::memcpy(buffer + gathered, report, take);
        gathered += take;
    }
    return wait;
}

std::uint32_t ReadAnswer(HidDevice& device, std::array<std::uint8_t, 27>& block,
                         std::array<std::uint8_t, 9>& tail) {
    const std::uint32_t first = ReadReports(device, block.data(), block.size());
    if (first != kWaitCompleted)
        return first;
    return ReadReports(device, tail.data(), tail.size());
}

std::array<std::uint8_t, 8> SerialNumberBytes(const std::string& utf8) {
    std::array<std::uint8_t, 8> bytes{};
    std::size_t out = 0;
    auto put = [&](std::uint32_t unit) {
        if (out + 2 > bytes.size())
            return;
        bytes[out++] = static_cast<std::uint8_t>(unit & 0xFF);
        bytes[out++] = static_cast<std::uint8_t>(unit >> 8);
    };
    std::size_t i = 0;
    while (i < utf8.size() && out < bytes.size()) {
        const auto lead = static_cast<std::uint8_t>(utf8[i]);
        std::uint32_t cp = 0xFFFD;
        std::size_t len = 1;
        if (lead < 0x80) {
            cp = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            cp = lead & 0x1F, len = 2;
        } else if ((lead & 0xF0) == 0xE0) {
            cp = lead & 0x0F, len = 3;
        } else if ((lead & 0xF8) == 0xF0) {
            cp = lead & 0x07, len = 4;
        } else {
            len = 0;
        }
        bool valid = len > 0 && i + len <= utf8.size();
        for (std::size_t k = 1; valid && k < len; ++k) {
            const auto c = static_cast<std::uint8_t>(utf8[i + k]);
            if ((c & 0xC0) != 0x80)
                valid = false;
            cp = (cp << 6) | (c & 0x3F);
        }
        if (!valid) {
            cp = 0xFFFD;
            len = 1;
        }
        i += len;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            put(0xD800 | (cp >> 10));
            put(0xDC00 | (cp & 0x3FF));
        } else {
            put(cp);
        }
    }
    return bytes;
}

std::string CableFirmwareLine(std::uint16_t releaseNumber) {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%04X", static_cast<unsigned>(releaseNumber));
    return std::string("Cable Firmware ver.:") + digits[0] + digits[1] + "." + digits[2] +
           digits[3];
}

std::string CableSerialLine(const std::array<std::uint8_t, 8>& bytes) {
    std::string line = "Cable SN : ";
    for (auto it = bytes.rbegin(); it != bytes.rend(); ++it) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02X", static_cast<unsigned>(*it));
        line += hex;
    }
    return line;
}

} // namespace ostrel
