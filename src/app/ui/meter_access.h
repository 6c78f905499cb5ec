#pragma once
// What the windows need from the meter link: probe the adapter cable, open it
// for the about dialog, and run the acquisition thread. The program gives the
// windows a MeterAccess over the real cable or over the simulated meter; the
// tests give them fakes.

#include "link/acquisition_state.h"
#include "link/hid_backend.h"

#include <chrono>
#include <functional>
#include <memory>

namespace ostrel {

// What the acquisition thread has to tell the user. Called on the acquisition
// thread; returns at once and never waits for the window thread (which may be
// waiting for the acquisition thread to end). closed runs once the user has
// closed the message.
class AcquisitionNotices {
  public:
    virtual ~AcquisitionNotices() = default;
    virtual void showNoDataReceived(std::function<void()> closed) = 0;
};

// One running acquisition thread, as link control holds it.
class AcquisitionRun {
  public:
    virtual ~AcquisitionRun() = default;
    // Ask the thread to end after its current poll; does not wait. The thread
    // signals acquisitionEndedEvent as its last act either way.
    virtual void requestStop() = 0;
    // Wait at most timeout for the thread's work to return (shutdown only).
    virtual bool waitFinished(std::chrono::milliseconds timeout) = 0;
};

class MeterAccess {
  public:
    virtual ~MeterAccess() = default;
    // Open the adapter cable (vendor 0x0820, product 1); nullptr when absent.
    // permissionDenied (optional) tells whether a matching device was there
    // but this user may not open it.
    virtual std::unique_ptr<HidDevice> openCable(bool* permissionDenied = nullptr) = 0;
    // Start the acquisition thread over state; it opens the cable itself.
    virtual std::unique_ptr<AcquisitionRun> startAcquisition(AcquisitionState& state,
                                                             AcquisitionNotices& notices) = 0;
    // The backend the cable is opened through, for the logger download, which
    // opens the cable anew for every exchange; nullptr when there is none.
    virtual HidBackend* backend() { return nullptr; }
};

} // namespace ostrel
