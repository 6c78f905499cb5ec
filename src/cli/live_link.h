#pragma once
// A link to the meter for a command that follows its readings (read,
// record): the backend that --simulate and --device select, the probe that
// linking does, the acquisition thread, and one wait that ends when a reading
// comes, when the link is lost, when the user asks to stop (Ctrl+C, SIGTERM)
// or at a deadline. Nothing polls: the waits block until one of these happens.
//
// A link that reconnects goes on after a loss: the acquisition thread that
// ended is replaced once the cable opens again (looked for every 250 ms), and
// the messages of a loss are said once until a reading comes again.

#include "cli/cable_access.h"
#include "cli/stop_signals.h"
#include "link/acquisition_state.h"
#include "link/cable_return_watch.h"
#include "link/hid_backend.h"
#include "link/tarvix_thread.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace ostrel::cli {

class LiveLink {
  public:
    LiveLink() = default;
    // Stops the acquisition thread; until then a signal only asks to stop.
    ~LiveLink();
    LiveLink(const LiveLink&) = delete;
    LiveLink& operator=(const LiveLink&) = delete;

    // Probe the cable and start polling. readings: wake the waits on each new
    // reading. reconnect: link again after a loss instead of ending. False,
    // with the message on standard error, when the cable (or the simulation)
    // is refused.
    bool start(const CableChoice& cable, bool readings, bool reconnect = false);

    // The serial-number string of the cable the probe opened.
    const std::string& cableSerial() const { return m_cableSerial; }

    enum class Event { Reading, Lost, Stop, Deadline, Relinked };
    // The first of: a stop request, a new reading (when asked for), a lost
    // link (its one message, "USB adapter cable not found." or the silent
    // meter's "No data received.", already said on standard error, unless the
    // link was already lost since the last reading), the cable back after a
    // loss (polling again), the deadline. Without reconnect, nothing comes
    // after a loss but the stop.
    Event wait(std::optional<std::chrono::steady_clock::time_point> deadline = std::nullopt);

    // The link reconnects, and was lost after the last reading came.
    bool lost();

    AcquisitionState& state() { return m_state; }

    // How many stop signals came (Ctrl+C, SIGTERM, SIGHUP).
    int stopRequests() const { return m_stopRequest ? m_stopRequest->count() : 0; }

    // End polling now (also done by the destructor). Signals still only ask
    // to stop until the destructor, so that the command can finish its files.
    void stop();

  private:
    class Notifier;

    void raise(bool LiveLink::*flag);
    void notify();
    bool newReading();
    void startPolling();
    void endPolling();

    AcquisitionState m_state;
    std::unique_ptr<HidBackend> m_backend;
    std::unique_ptr<LinkNotifier> m_notifier;
    std::unique_ptr<TTarvixThread> m_thread;
    std::unique_ptr<CableReturnWatch> m_watch;
    std::unique_ptr<StopRequest> m_stopRequest;
    std::vector<std::thread> m_forwarders;

    std::string m_cableSerial;
    bool m_readings = false;       // the waits end on new readings
    bool m_reconnect = false;      // a loss is followed by a new link
    std::uint64_t m_handedOut = 0; // readings published when the last one was handed out
    // Set on a loss, with the readings published by then (any thread reads them).
    std::atomic<bool> m_lostSinceReading{false};
    std::atomic<std::uint64_t> m_publishedAtLoss{0};
    // The silent meter's message told why the link ended (set by the notifier).
    std::atomic<bool> m_noDataTold{false};

    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_lost = false; // guarded by m_mutex
    bool m_back = false; // guarded by m_mutex: the cable opens again
    bool m_stop = false;
};

} // namespace ostrel::cli
