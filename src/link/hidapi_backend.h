#pragma once
// The HID backend of real adapter cables: hidapi over the kernel's hidraw
// nodes. hidapi hands unnumbered input reports over without their report
// number; this backend puts byte 0 back so that every input report reaches the
// transport as 9 bytes.

#include "link/hid_backend.h"

namespace ostrel {

class HidapiBackend final : public HidBackend {
  public:
    HidapiBackend();
    ~HidapiBackend() override;
    HidapiBackend(const HidapiBackend&) = delete;
    HidapiBackend& operator=(const HidapiBackend&) = delete;

    // Every HID interface, ordered by its device path (hidraw number).
    std::vector<HidInterfaceInfo> enumerate() override;
    std::unique_ptr<HidDevice> open(const HidInterfaceInfo& info, HidOpenError* error) override;
    // The node's owner, group, mode, access control list and udev tags, and
    // where the udev rule is installed.
    std::optional<CableAccessFacts> accessFacts(const HidInterfaceInfo& info) override;
};

// Longest single wait of a hidapi read: a longer time-out is waited in slices
// of this length so that interrupt() from another thread takes effect soon.
inline constexpr int kHidapiWaitSliceMs = 50;

} // namespace ostrel
