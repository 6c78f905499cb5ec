#include "link/cable_selection.h"

#include "link/hid_transport.h"

#include <cctype>
#include <climits>
#include <cstdlib>

namespace ostrel {
namespace {

bool IsCable(const HidInterfaceInfo& info) {
    return info.vendorId == kCableVendorId && info.productId == kCableProductId;
}

bool SameDigits(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// The node a path leads to, links followed; the path itself when it leads nowhere.
std::string Resolved(const std::string& path) {
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

} // namespace

std::string SerialDigits(const std::string& serialNumber) {
    const std::string line = CableSerialLine(SerialNumberBytes(serialNumber));
    return line.substr(line.find(": ") + 2);
}

bool SelectorNames(const std::string& selector, const HidInterfaceInfo& info) {
    if (selector.empty())
        return false;
    if (selector == info.path || (!info.serialNumber.empty() && selector == info.serialNumber))
        return true;
    if (selector.size() == 16 && !info.serialNumber.empty() &&
        SameDigits(selector, SerialDigits(info.serialNumber)))
        return true;
    return selector.front() == '/' && !info.path.empty() && info.path.front() == '/' &&
           Resolved(selector) == Resolved(info.path);
}

std::vector<CableListing> ListCables(HidBackend& backend) {
    std::vector<CableListing> cables;
    for (const HidInterfaceInfo& info : backend.enumerate()) {
        if (!IsCable(info))
            continue;
        CableListing cable{info, info.serialNumber, info.releaseNumber, HidOpenError::None};
        auto device = backend.open(info, &cable.openError);
        if (device) {
            cable.openError = HidOpenError::None;
            cable.releaseNumber = device->attributes().releaseNumber;
            if (std::string serial = device->serialNumber(); !serial.empty())
                cable.serialNumber = std::move(serial);
        } else if (cable.openError == HidOpenError::None) {
            cable.openError = HidOpenError::Failed;
        }
        cables.push_back(std::move(cable));
    }
    return cables;
}

std::vector<HidInterfaceInfo> SelectedCableBackend::enumerate() {
    std::vector<HidInterfaceInfo> chosen;
    for (HidInterfaceInfo& info : m_inner->enumerate())
        if (IsCable(info) && SelectorNames(m_selector, info))
            chosen.push_back(std::move(info));
    return chosen;
}

std::unique_ptr<HidDevice> SelectedCableBackend::open(const HidInterfaceInfo& info,
                                                      HidOpenError* error) {
    if (!SelectorNames(m_selector, info)) {
        if (error)
            *error = HidOpenError::NoSuchInterface;
        return nullptr;
    }
    return m_inner->open(info, error);
}

} // namespace ostrel
