#include "simulator/simulated_logger.h"

#include "import/session_conversion.h"
#include "simulator/demo_sessions.h"

namespace ostrel {

std::optional<std::vector<std::uint8_t>> SimulatedLoggerImage(const SimulationOptions& options,
                                                              std::string* error) {
    if (!options.loggerImage.empty()) {
        ImageFileResult file = ReadLoggerImageFile(options.loggerImage);
        if (!file.ok) {
            if (error)
                *error = "--simulate: image=" + options.loggerImage + ": " + file.problem;
            return std::nullopt;
        }
        return std::move(file.image);
    }
    if (options.loggerSessions)
        return BuildLoggerImage(DemoLoggerSessions(), error);
    return BuildLoggerImage({}, error); // an empty memory: the header alone
}

std::vector<InputReport> SimulatedLoggerMemory::answer(std::uint8_t c1, std::uint8_t c2) {
    if (!LoggerMemoryResponder::IsLoggerCommand(c1, c2))
        return {};
    return m_memory.answer(c2);
}

bool AttachSimulatedLogger(SimulatedMeter& meter, std::string* error) {
    auto image = SimulatedLoggerImage(meter.options(), error);
    if (!image)
        return false;
    LoggerFaults faults;
    faults.badChecksums = meter.options().loggerBadChecksums;
    faults.headerTimeouts = meter.options().loggerHeaderTimeouts;
    // Each cable's meter has a memory of its own, with its own position.
    for (int cable = 0; cable < meter.cables(); ++cable)
        meter.setLoggerResponder(std::make_shared<SimulatedLoggerMemory>(*image, faults), cable);
    return true;
}

} // namespace ostrel
