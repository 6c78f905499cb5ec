#pragma once
// The HID layer beneath the meter link: a backend enumerates HID interfaces and
// opens them; a device moves reports. hidapi implements it for real cables, the
// simulated meter and the test fakes implement it too. The transport
// algorithms (hid_transport.h) sit above it, once.

#include "link/cable_access_facts.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ostrel {

// Wait results, as the transport returns them.
inline constexpr std::uint32_t kWaitCompleted = 0x0;
inline constexpr std::uint32_t kWaitAbandoned = 0x80;
inline constexpr std::uint32_t kWaitTimeout = 0x102;
inline constexpr std::uint32_t kWaitFailed = 0xFFFFFFFF;

struct HidInterfaceInfo {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint16_t releaseNumber = 0;
    std::string path;
    // The serial-number string as the system lists it, without opening the
    // device; empty when it has none or it is not known.
    std::string serialNumber{};
};

// Result of one read: the wait result and the bytes transferred (report number
// byte 0 included, so a whole input report is 9 bytes).
struct HidReadResult {
    std::uint32_t wait = kWaitFailed;
    std::size_t transferred = 0;
    bool ok = false; // false: the read completed with an error, nothing transferred
};

class HidDevice {
  public:
    virtual ~HidDevice() = default;
    // Write one output report (byte 0 is the report number). Returns a wait result.
    virtual std::uint32_t write(const std::uint8_t* data, std::size_t size, int timeoutMs) = 0;
    // Read one input report into buffer (at most size bytes), waiting up to timeoutMs.
    virtual HidReadResult read(std::uint8_t* buffer, std::size_t size, int timeoutMs) = 0;
    // Cancel pending I/O; a later read waits anew. Called by the thread that
    // uses the device, after a wait that did not complete.
    virtual void cancel() = 0;
    // Called from another thread to give the device up: the read or write that
    // is waiting, and every later one, returns kWaitAbandoned at once. A
    // device that cannot be woken keeps its waits; the default does nothing.
    virtual void interrupt() {}
    // The cable's serial-number string; empty when it cannot be read.
    virtual std::string serialNumber() = 0;
    virtual HidInterfaceInfo attributes() const = 0;
};

enum class HidOpenError { None, NoSuchInterface, PermissionDenied, Failed };

class HidBackend {
  public:
    virtual ~HidBackend() = default;
    // Present HID interfaces, in a stable order.
    virtual std::vector<HidInterfaceInfo> enumerate() = 0;
    // Open one interface; nullptr on failure with the reason in error.
    virtual std::unique_ptr<HidDevice> open(const HidInterfaceInfo& info, HidOpenError* error) = 0;
    // Whether the devices live in real time, so that the pauses a protocol
    // keeps between its exchanges mean something. A simulation that answers
    // without real time says no, and those pauses are left out.
    virtual bool spendsRealTime() const { return true; }
    // What the system says about an interface's device node and the udev rule
    // that should open it to its user, to explain why it cannot be opened;
    // nothing when the backend has no node to describe.
    virtual std::optional<CableAccessFacts> accessFacts(const HidInterfaceInfo&) {
        return std::nullopt;
    }
};

} // namespace ostrel
