#pragma once
// A link to the meter for a command that follows its readings (read,
// record): the backend that --simulate selects, the probe that linking does,
// the acquisition thread, and one wait that ends when a reading comes, when
// the link is lost, when the user asks to stop (Ctrl+C, SIGTERM) or at a
// deadline. Nothing polls: the waits block until one of these happens.

#include "cli/stop_signals.h"
#include "link/acquisition_state.h"
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
    // reading. False, with the message on standard error, when the cable (or
    // the simulation) is refused.
    bool start(const std::optional<std::string>& simulation, bool readings);

    enum class Event { Reading, Lost, Stop, Deadline };
    // The first of: a stop request, a new reading (when asked for), a lost
    // link (its one message, "USB adapter cable not found." or the silent
    // meter's "No data received.", already said on standard error), the
    // deadline.
    Event wait(std::optional<std::chrono::steady_clock::time_point> deadline = std::nullopt);

    AcquisitionState& state() { return m_state; }

    // End polling now (also done by the destructor). Signals still only ask
    // to stop until the destructor, so that the command can finish its files.
    void stop();

  private:
    void raise(bool LiveLink::*flag);
    void notify();
    bool newReading();

    AcquisitionState m_state;
    std::unique_ptr<HidBackend> m_backend;
    std::unique_ptr<LinkNotifier> m_notifier;
    std::unique_ptr<TTarvixThread> m_thread;
    std::unique_ptr<StopRequest> m_stopRequest;
    std::vector<std::thread> m_forwarders;

    std::atomic<bool> m_endTold{false}; // why the link ended was said already
    bool m_readings = false;            // the waits end on new readings
    std::uint64_t m_handedOut = 0;      // readings published when the last one was handed out

    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_lost = false; // guarded by m_mutex
    bool m_stop = false;
};

} // namespace ostrel::cli
