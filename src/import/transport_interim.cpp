// Interim copy of the transport operations until the meter link lands on
// main; removed at that merge.
#include "link/hid_transport.h"

namespace ostrel {

std::unique_ptr<HidDevice> OpenHidInterface(HidBackend& backend, int index, HidOpenError* error) {
    auto list = backend.enumerate();
    if (index < 0 || static_cast<std::size_t>(index) >= list.size()) {
        if (error)
            *error = HidOpenError::NoSuchInterface;
        return nullptr;
    }
    return backend.open(list[static_cast<std::size_t>(index)], error);
}

std::unique_ptr<HidDevice> OpenAdapter(HidBackend& backend, std::uint16_t vendorId,
                                       std::uint16_t productId, bool* permissionDenied) {
    for (int i = 0; i < 20; ++i) {
        HidOpenError error = HidOpenError::None;
        auto device = OpenHidInterface(backend, i, &error);
        if (!device) {
            if (error == HidOpenError::PermissionDenied && permissionDenied)
                *permissionDenied = true;
            continue;
        }
        auto info = device->attributes();
        if (info.vendorId == vendorId && info.productId == productId)
            return device;
    }
    return nullptr;
}

std::uint32_t SendCommand(HidDevice& device, std::uint8_t c1, std::uint8_t c2) {
    const std::uint8_t report[4] = {0, 0, c1, c2};
    const std::uint32_t r = device.write(report, 4, 500);
    if (r != kWaitCompleted)
        device.cancel();
    return r;
}

std::uint32_t ReadReports(HidDevice& device, std::uint8_t* buffer, std::size_t count) {
    std::size_t gathered = 0;
    std::uint32_t last = kWaitCompleted;
    while (gathered < count) {
        std::uint8_t report[9] = {};
        HidReadResult r = device.read(report, 9, 500);
        last = r.wait;
        if (r.wait != kWaitCompleted) {
            device.cancel();
            return last;
        }
        if (!r.ok)
            continue;
        std::size_t n = r.transferred < count - gathered ? r.transferred : count - gathered;
        for (std::size_t i = 0; i < n; ++i)
            buffer[gathered + i] = report[i];
        gathered += n;
    }
    return last;
}

std::uint32_t ReadAnswer(HidDevice& device, std::array<std::uint8_t, 27>& block,
                         std::array<std::uint8_t, 9>& tail) {
    std::uint32_t r = ReadReports(device, block.data(), 27);
    if (r != kWaitCompleted)
        return r;
    return ReadReports(device, tail.data(), 9);
}

} // namespace ostrel
