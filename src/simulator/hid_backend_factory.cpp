#include "simulator/hid_backend_factory.h"

#include "link/hidapi_backend.h"
#include "simulator/simulated_logger.h"
#include "simulator/simulated_meter.h"

namespace ostrel {

std::unique_ptr<HidBackend> CreateHidBackend(const std::optional<std::string>& simulate,
                                             std::string* error) {
    if (!simulate)
        return std::make_unique<HidapiBackend>();
    auto options = ParseSimulationOptions(*simulate, error);
    if (!options)
        return nullptr;
    auto meter = std::make_unique<SimulatedMeter>(*options);
    // The logger half: the memory that a download reads.
    if (!AttachSimulatedLogger(*meter, error))
        return nullptr;
    return meter;
}

} // namespace ostrel
