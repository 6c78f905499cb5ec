#include "simulator/hid_backend_factory.h"

#include "base/string_table.h"
#include "link/cable_selection.h"
#include "link/hidapi_backend.h"
#include "simulator/simulated_logger.h"
#include "simulator/simulated_meter.h"

namespace ostrel {
namespace {

constexpr int kNoSuchCableText = 9102;
constexpr int kSeveralCablesText = 9103;

std::unique_ptr<HidBackend> CableBackend(const std::optional<std::string>& simulate,
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

} // namespace

std::unique_ptr<HidBackend> CreateHidBackend(const std::optional<std::string>& simulate,
                                             const std::optional<std::string>& device,
                                             std::string* error) {
    auto backend = CableBackend(simulate, error);
    if (!backend || !device)
        return backend;
    auto selected = std::make_unique<SelectedCableBackend>(std::move(backend), *device);
    // The device must name one cable that is there now: a mistyped name is
    // said at once, not taken for a cable that is unplugged.
    const std::size_t named = selected->enumerate().size();
    if (named == 1)
        return selected;
    if (error)
        *error = named == 0 ? NumberedLine(kErrorCaption, kNoSuchCableText, {*device})
                            : NumberedLine(kErrorCaption, kSeveralCablesText,
                                           {*device, std::to_string(named)});
    return nullptr;
}

} // namespace ostrel
