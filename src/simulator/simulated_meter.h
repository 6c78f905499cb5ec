#pragma once
// Simulated adapter cables (one unless cables=N) with a meter behind each, as
// a HidBackend. A cable answers the display request 0x82 0x66 with the three
// input reports of a display frame built by EncodeFrame, and hands the
// logger-memory commands (0x52 0x88/0x89/0x8A) to an optional
// LoggerResponder. Its faults and its timing come from SimulationOptions.
// Everything it shows follows from the number of the answer and the seed, so
// that runs repeat exactly. Each cable has its own meter, state and faults:
// the meter of the second cable shows what the first one shows 120 answers
// further on (the AC volts where the first shows DC volts), each further one
// with the next seed.
//
// With latency=0 it spends no real time at all: a read that would have to
// wait for an answer that never comes returns its time-out at once. Only the
// replug profile's time away (gone=MS) is always real time.

#include "link/frame_codec.h"
#include "link/hid_backend.h"
#include "simulator/simulation_options.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ostrel {

using InputReport = std::array<std::uint8_t, 9>;

// Answers the logger-memory commands of a simulated meter.
class LoggerResponder {
  public:
    virtual ~LoggerResponder() = default;
    // The input reports answering the output report {0, 0, c1, c2}; none:
    // the meter stays silent. Called with the meter's lock held: do not call
    // back into the meter.
    virtual std::vector<InputReport> answer(std::uint8_t c1, std::uint8_t c2) = 0;
};

inline constexpr std::uint16_t kSimulatedReleaseNumber = 0x0105;
// The first cable's serial-number string: four UTF-16 units whose eight
// bytes, last first, read F0DEBC9A78563412.
inline constexpr const char* kSimulatedSerialNumber =
    "\xE3\x90\x92\xE7\xA1\x96\xEB\xB2\x9A\xEF\x83\x9E";
inline constexpr const char* kSimulatedPath = "simulated:tarvix-cable";

// The device path and the serial-number string of simulated cable `cable`
// (from 0). The first is kSimulatedPath with kSimulatedSerialNumber; the next
// ones add "-2", "-3", … to the path, and their serial numbers read
// F0DEBC9A78563413, …14, … in the about box.
std::string SimulatedCablePath(int cable);
std::string SimulatedCableSerial(int cable);

class SimulatedMeter final : public HidBackend {
  public:
    explicit SimulatedMeter(SimulationOptions options = {});
    ~SimulatedMeter() override;

    std::vector<HidInterfaceInfo> enumerate() override;
    std::unique_ptr<HidDevice> open(const HidInterfaceInfo& info, HidOpenError* error) override;
    // latency=0 spends no real time at all.
    bool spendsRealTime() const override { return m_options.latencyMs > 0; }

    // The noaccess profile: the facts of a node that a missing udev rule left
    // to root, as this user sees them (as `nobody` sees them when this user
    // is root, who may open any node).
    std::optional<CableAccessFacts> accessFacts(const HidInterfaceInfo& info) override;

    // Set before devices are opened, or at any time (taken under the lock).
    void setLoggerResponder(std::shared_ptr<LoggerResponder> responder, int cable = 0);

    const SimulationOptions& options() const { return m_options; }
    int cables() const { return static_cast<int>(m_states.size()); }
    // Display answers the meter of a cable gave so far.
    std::uint64_t answers(int cable = 0) const;

    // What the meter shows at its answer number n.
    static FrameContent DisplayAt(std::uint64_t n, const SimulationOptions& options);

    struct State; // shared with the devices, which may outlive the backend

  private:
    // The cable an interface path names, or -1.
    int cableAt(const std::string& path) const;

    SimulationOptions m_options;
    std::vector<std::shared_ptr<State>> m_states; // one per cable
};

} // namespace ostrel
