#include "app/ui/meter_access_factory.h"

namespace ostrel {
namespace {

// Until the link arrives: no cable is ever found.
class NoCableAccess : public MeterAccess {
public:
    std::unique_ptr<HidDevice> openCable() override { return nullptr; }
    std::unique_ptr<AcquisitionRun> startAcquisition(AcquisitionState&,
                                                     AcquisitionNotices&) override {
        return nullptr;
    }
};

} // namespace

std::unique_ptr<MeterAccess> MakeMeterAccess(const std::optional<std::string>&, std::string*) {
    return std::make_unique<NoCableAccess>();
}

} // namespace ostrel
