#include "app/ui/meter_access_factory.h"

#include "link/hid_transport.h"
#include "link/link_notifier.h"
#include "link/tarvix_thread.h"
#include "simulator/hid_backend_factory.h"
#include "simulator/simulated_meter.h"
#include "simulator/simulation_options.h"

namespace ostrel {
namespace {

// Hands the acquisition thread's message to the windows and closes the
// thread's reply when the user has closed the box.
class NoticeBridge : public LinkNotifier {
  public:
    explicit NoticeBridge(AcquisitionNotices& notices) : m_notices(notices) {}
    void showNoDataReceived(std::shared_ptr<NoticeReply> reply) override {
        m_notices.showNoDataReceived([reply] { reply->close(); });
    }

  private:
    AcquisitionNotices& m_notices;
};

class TarvixRun : public AcquisitionRun {
  public:
    TarvixRun(AcquisitionState& state, HidBackend& backend, AcquisitionNotices& notices)
        : m_state(state), m_bridge(notices), m_thread(state, backend, &m_bridge) {}
    void requestStop() override { m_thread.terminate(); }
    bool waitFinished(std::chrono::milliseconds timeout) override {
        return m_state.acquisitionEndedEvent.waitFor(timeout);
    }

  private:
    AcquisitionState& m_state;
    NoticeBridge m_bridge;  // before the thread, which uses it
    TTarvixThread m_thread; // joined first when the run goes
};

class BackendMeterAccess : public MeterAccess {
  public:
    explicit BackendMeterAccess(std::unique_ptr<HidBackend> backend)
        : m_backend(std::move(backend)) {}
    std::unique_ptr<HidDevice> openCable(bool* permissionDenied) override {
        return OpenAdapter(*m_backend, kCableVendorId, kCableProductId, permissionDenied);
    }
    std::unique_ptr<AcquisitionRun> startAcquisition(AcquisitionState& state,
                                                     AcquisitionNotices& notices) override {
        return std::make_unique<TarvixRun>(state, *m_backend, notices);
    }
    HidBackend* backend() override { return m_backend.get(); }

  private:
    std::unique_ptr<HidBackend> m_backend;
};

} // namespace

std::unique_ptr<MeterAccess> MakeMeterAccess(const std::optional<std::string>& simulate,
                                             const std::optional<std::string>& device,
                                             std::string* error) {
    // The same backend as the command line's: the simulated meter comes with
    // its logger memory.
    auto backend = CreateHidBackend(simulate, device, error);
    if (!backend)
        return nullptr;
    return std::make_unique<BackendMeterAccess>(std::move(backend));
}

} // namespace ostrel
