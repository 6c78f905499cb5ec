#pragma once
// TTarvixThread: the one background thread that talks to the meter while the
// PC is linked. It opens its own device on the adapter cable, asks for the
// display over and over as fast as the meter answers, decodes each complete
// answer into the AcquisitionState and signals newReadingEvent. A failed poll
// clears linkAlive and re-opens the cable; a vanished cable, or a meter that
// stays silent for three polls in a row ("No data received."), signals
// cableLostEvent and ends the thread. Its last act is always to signal
// acquisitionEndedEvent.
//
// Ownership: whoever links holds the object (a std::unique_ptr, say). To
// stop it, call terminate(), wait for acquisitionEndedEvent, then destroy the
// object; the destructor joins the thread, which has nothing left to do once
// it has signalled the event. After a thread that ended by itself, consume the
// event and destroy the object the same way. The object never deletes itself.
//
// Stopping: terminate() sets the terminated flag, which the loop tests at the
// top of each poll, and interrupts the device so that a read or write waiting
// for the meter returns at once (on devices that can be woken; the hidapi
// backend within one wait slice). A poll cut short that way ends the thread
// without the failure handling. A "No data received." message that is
// pending when the stop comes is not waited for any longer.

#include "link/acquisition_state.h"
#include "link/hid_backend.h"
#include "link/link_notifier.h"

#include <array>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

namespace ostrel {

// The waits of the display exchange, in milliseconds.
struct LinkTimings {
    int writeTimeoutMs = 2000;       // the display request
    int firstReportTimeoutMs = 4000; // the first input report of an answer
    int nextReportTimeoutMs = 100;   // each further input report
    int reopenDelayMs = 10;          // pause before re-opening after a failed poll
};

// Consecutive failed polls (cable present) that end the link with "No data received."
inline constexpr int kFailuresBeforeNoData = 3;

class TTarvixThread {
  public:
    // Starts the thread at once. state, backend and notifier (which may be
    // null: then the silent-meter message is left out) must outlive the object.
    TTarvixThread(AcquisitionState& state, HidBackend& backend, LinkNotifier* notifier,
                  LinkTimings timings = {});
    // Asks the thread to stop and joins it.
    ~TTarvixThread();
    TTarvixThread(const TTarvixThread&) = delete;
    TTarvixThread& operator=(const TTarvixThread&) = delete;

    // The terminate request; returns at once (any thread).
    void terminate();
    bool isTerminated() const;

  private:
    void execute();
    std::uint32_t poll(HidDevice* device, std::array<std::uint8_t, 36>& buffer);
    void replaceDevice(std::unique_ptr<HidDevice> device);
    void sleepUnlessTerminated(int milliseconds);
    void showNoDataReceived();

    AcquisitionState& m_state;
    HidBackend& m_backend;
    LinkNotifier* m_notifier;
    const LinkTimings m_timings;

    mutable std::mutex m_stopMutex;
    std::condition_variable m_stopCv;
    bool m_terminated = false;                    // guarded by m_stopMutex
    std::unique_ptr<HidDevice> m_device;          // set by the thread under m_stopMutex
    std::shared_ptr<NoticeReply> m_pendingNotice; // guarded by m_stopMutex

    std::thread m_thread; // last: starts after every other member is ready
};

} // namespace ostrel
