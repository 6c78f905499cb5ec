#include "link/hidapi_backend.h"

#include <hidapi/hidapi.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace ostrel {
namespace {

// hidapi keeps its last error in process-wide state and its set-up is not
// re-entrant: enumeration and opening go through one lock.
std::mutex& HidapiLock() {
    static std::mutex lock;
    return lock;
}

std::string ToUtf8(const wchar_t* text) {
    std::string out;
    if (!text)
        return out;
    for (; *text; ++text) {
        auto cp = static_cast<std::uint32_t>(*text);
        if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            cp = 0xFFFD;
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

// The trailing number of a path such as /dev/hidraw12, for a natural order.
long PathNumber(const std::string& path) {
    std::size_t end = path.size(), start = end;
    while (start > 0 && path[start - 1] >= '0' && path[start - 1] <= '9')
        --start;
    if (start == end || end - start > 9)
        return -1;
    return std::stol(path.substr(start));
}

class HidapiDevice final : public HidDevice {
  public:
    HidapiDevice(hid_device* handle, HidInterfaceInfo info)
        : m_handle(handle), m_info(std::move(info)) {}
    ~HidapiDevice() override { hid_close(m_handle); }

    std::uint32_t write(const std::uint8_t* data, std::size_t size, int) override {
        if (m_interrupted.load())
            return kWaitAbandoned;
        // hid_write blocks only as long as the kernel takes to queue the report.
        return hid_write(m_handle, data, size) < 0 ? kWaitFailed : kWaitCompleted;
    }

    HidReadResult read(std::uint8_t* buffer, std::size_t size, int timeoutMs) override {
        HidReadResult result;
        if (size == 0)
            return result;
        // Room for a report number the device may send itself, plus one byte.
        std::uint8_t data[65] = {};
        const std::size_t room = std::min(size, sizeof data - 1);
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            if (m_interrupted.load()) {
                result.wait = kWaitAbandoned;
                return result;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  deadline - std::chrono::steady_clock::now())
                                  .count();
            const int slice = static_cast<int>(std::clamp<long long>(left, 0, kHidapiWaitSliceMs));
            const int n = hid_read_timeout(m_handle, data + 1, room, slice);
            if (n < 0) {
                result.wait = kWaitFailed; // the device went away or failed
                return result;
            }
            if (n > 0) {
                result.wait = kWaitCompleted;
                result.ok = true;
                if (static_cast<std::size_t>(n) >= size) {
                    // A numbered report: hidapi kept the report number.
                    std::memcpy(buffer, data + 1, size);
                    result.transferred = size;
                } else {
                    data[0] = 0; // the report number hidapi dropped
                    result.transferred = static_cast<std::size_t>(n) + 1;
                    std::memcpy(buffer, data, result.transferred);
                }
                return result;
            }
            if (left <= 0) {
                result.wait = kWaitTimeout;
                return result;
            }
        }
    }

    void cancel() override {
        // hidapi reads are synchronous: nothing stays pending after a wait.
    }

    void interrupt() override { m_interrupted.store(true); }

    std::string serialNumber() override {
        wchar_t text[128] = {};
        if (hid_get_serial_number_string(m_handle, text, std::size(text) - 1) != 0)
            return {};
        return ToUtf8(text);
    }

    HidInterfaceInfo attributes() const override { return m_info; }

  private:
    hid_device* m_handle;
    HidInterfaceInfo m_info;
    std::atomic<bool> m_interrupted{false};
};

} // namespace

HidapiBackend::HidapiBackend() {
    std::lock_guard lock(HidapiLock());
    hid_init();
}

HidapiBackend::~HidapiBackend() = default; // hid_exit would pull hidapi from other backends

std::vector<HidInterfaceInfo> HidapiBackend::enumerate() {
    std::vector<HidInterfaceInfo> list;
    {
        std::lock_guard lock(HidapiLock());
        hid_device_info* all = hid_enumerate(0, 0);
        for (hid_device_info* d = all; d; d = d->next) {
            HidInterfaceInfo info;
            info.vendorId = d->vendor_id;
            info.productId = d->product_id;
            info.releaseNumber = d->release_number;
            info.path = d->path ? d->path : "";
            info.serialNumber = ToUtf8(d->serial_number);
            list.push_back(std::move(info));
        }
        hid_free_enumeration(all);
    }
    std::stable_sort(list.begin(), list.end(),
                     [](const HidInterfaceInfo& a, const HidInterfaceInfo& b) {
                         const long na = PathNumber(a.path), nb = PathNumber(b.path);
                         return na != nb ? na < nb : a.path < b.path;
                     });
    return list;
}

std::unique_ptr<HidDevice> HidapiBackend::open(const HidInterfaceInfo& info, HidOpenError* error) {
    // hidapi is only ever given hidraw nodes: handed another character
    // device, its open fails inside the library in ways that are not safe.
    struct stat node {};
    const auto slash = info.path.rfind('/');
    const std::string name = slash == std::string::npos ? info.path : info.path.substr(slash + 1);
    if (::stat(info.path.c_str(), &node) != 0) {
        if (error)
            *error =
                errno == EACCES ? HidOpenError::PermissionDenied : HidOpenError::NoSuchInterface;
        return nullptr;
    }
    if (::access(info.path.c_str(), R_OK | W_OK) != 0 && (errno == EACCES || errno == EPERM)) {
        if (error)
            *error = HidOpenError::PermissionDenied;
        return nullptr;
    }
    if (!S_ISCHR(node.st_mode) || name.rfind("hidraw", 0) != 0) {
        if (error)
            *error = HidOpenError::Failed;
        return nullptr;
    }
    hid_device* handle = nullptr;
    {
        std::lock_guard lock(HidapiLock());
        handle = hid_open_path(info.path.c_str());
    }
    if (!handle) {
        HidOpenError why = HidOpenError::Failed;
        if (::access(info.path.c_str(), F_OK) != 0)
            why = HidOpenError::NoSuchInterface;
        else if (::access(info.path.c_str(), R_OK | W_OK) != 0 &&
                 (errno == EACCES || errno == EPERM))
            why = HidOpenError::PermissionDenied;
        if (error)
            *error = why;
        return nullptr;
    }
    HidInterfaceInfo attributes = info;
    {
        std::lock_guard lock(HidapiLock());
        if (const hid_device_info* d = hid_get_device_info(handle)) {
            attributes.vendorId = d->vendor_id;
            attributes.productId = d->product_id;
            attributes.releaseNumber = d->release_number;
        }
    }
    if (error)
        *error = HidOpenError::None;
    return std::make_unique<HidapiDevice>(handle, std::move(attributes));
}

std::optional<CableAccessFacts> HidapiBackend::accessFacts(const HidInterfaceInfo& info) {
    return CableAccessFacts{SystemNodeFacts(info.path), SystemRuleFacts(), std::nullopt};
}

} // namespace ostrel
