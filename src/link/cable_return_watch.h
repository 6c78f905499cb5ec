#pragma once
// Waits for the adapter cable to come back after the link was lost, for a
// recording that goes on across a replug. A thread of its own opens the cable
// as linking probes it, once every interval (the first time one interval
// after the start, so that a meter that stays silent is not relinked in a
// tight loop), and calls `back` once, from that thread, when the cable opens.
// Destroying the watch stops it; `back` is not called after the destructor
// has returned.

#include "link/hid_backend.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace ostrel {

// How often a lost cable is looked for.
inline constexpr std::chrono::milliseconds kCableProbeInterval{250};

class CableReturnWatch {
  public:
    // backend must outlive the watch and may not be used by another thread
    // meanwhile (the link it served has ended).
    CableReturnWatch(HidBackend& backend, std::function<void()> back,
                     std::chrono::milliseconds interval = kCableProbeInterval);
    ~CableReturnWatch();
    CableReturnWatch(const CableReturnWatch&) = delete;
    CableReturnWatch& operator=(const CableReturnWatch&) = delete;

  private:
    void run();

    HidBackend& m_backend;
    const std::function<void()> m_back;
    const std::chrono::milliseconds m_interval;
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_stop = false;  // guarded by m_mutex
    std::thread m_thread; // last: starts once the rest is ready
};

} // namespace ostrel
