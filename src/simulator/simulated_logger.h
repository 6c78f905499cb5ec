#pragma once
// The logger half of the simulated meter: the memory it serves (an image file
// given by image=PATH, the demo sessions of the logger profile, or an empty
// memory) and its faults (badsum=N, timeout=N).

#include "simulator/logger_responder.h"
#include "simulator/simulated_meter.h"

#include <memory>
#include <optional>
#include <string>

namespace ostrel {

// The memory image the simulated meter serves for these options; nothing
// (and *error set) when the image file cannot be read.
std::optional<std::vector<std::uint8_t>> SimulatedLoggerImage(const SimulationOptions& options,
                                                              std::string* error);

// A LoggerResponder for the simulated meter over a LoggerMemoryResponder.
class SimulatedLoggerMemory final : public LoggerResponder {
  public:
    SimulatedLoggerMemory(std::vector<std::uint8_t> image, LoggerFaults faults)
        : m_memory(std::move(image), faults) {}
    std::vector<InputReport> answer(std::uint8_t c1, std::uint8_t c2) override;

  private:
    LoggerMemoryResponder m_memory;
};

// Give a simulated meter its logger memory. False (and *error set) when the
// image file cannot be read.
bool AttachSimulatedLogger(SimulatedMeter& meter, std::string* error);

} // namespace ostrel
