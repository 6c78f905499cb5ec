#pragma once
// Several adapter cables on one computer. Each is known by its device path and
// by its serial number; a selector (the value of --device) names one of them,
// and a SelectedCableBackend shows the links only the cables it names, so that
// everything above (linking, the acquisition thread, the search for a cable
// that came back, the logger download) takes that cable as "the" cable.

#include "link/hid_backend.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace ostrel {

// One adapter cable as a listing shows it.
struct CableListing {
    HidInterfaceInfo info;         // as enumerated
    std::string serialNumber;      // the serial-number string (the device's own when it opened)
    std::uint16_t releaseNumber{}; // the firmware version (the device's own when it opened)
    HidOpenError openError = HidOpenError::None; // None: this user may open it
};

// Every adapter cable (vendor 0x0820, product 1) present, in the order the
// interfaces are listed; each is opened once to see whether this user may,
// and closed again.
std::vector<CableListing> ListCables(HidBackend& backend);

// The 16 hexadecimal digits of a serial number as the about box shows it
// after "Cable SN : ".
std::string SerialDigits(const std::string& serialNumber);

// Whether a selector names this interface: its device path (or a path that
// leads to the same node), its serial-number string, or the 16 digits of its
// serial number (any case).
bool SelectorNames(const std::string& selector, const HidInterfaceInfo& info);

// A backend that lists, of the inner backend's interfaces, only the adapter
// cables the selector names.
class SelectedCableBackend final : public HidBackend {
  public:
    SelectedCableBackend(std::unique_ptr<HidBackend> inner, std::string selector)
        : m_inner(std::move(inner)), m_selector(std::move(selector)) {}

    std::vector<HidInterfaceInfo> enumerate() override;
    std::unique_ptr<HidDevice> open(const HidInterfaceInfo& info, HidOpenError* error) override;
    bool spendsRealTime() const override { return m_inner->spendsRealTime(); }
    std::optional<CableAccessFacts> accessFacts(const HidInterfaceInfo& info) override {
        return m_inner->accessFacts(info);
    }

  private:
    std::unique_ptr<HidBackend> m_inner;
    const std::string m_selector;
};

} // namespace ostrel
