#pragma once
// The process-wide state shared by the acquisition thread and those who read
// its readings (the live windows' update threads, the recorder, the command
// line): three auto-reset events, three locks, the published reading and the
// flags linked and linkAlive. Every holder takes one lock at a time, copies
// what it needs and releases it before waiting. The layers above add events
// of their own (displays/live_state.h: the live windows' chain).

#include "link/auto_reset_event.h"
#include "link/frame_codec.h"
#include "link/reading.h"

#include <mutex>

namespace ostrel {

struct AcquisitionState {
    AcquisitionState() = default;
    AcquisitionState(const AcquisitionState&) = delete;
    AcquisitionState& operator=(const AcquisitionState&) = delete;
    virtual ~AcquisitionState() = default;

    AutoResetEvent newReadingEvent;
    AutoResetEvent cableLostEvent;
    AutoResetEvent acquisitionEndedEvent;

    std::mutex readingLock;
    MeterReading reading;        // guarded by readingLock
    RawFrame frame{};            // guarded by readingLock: the answer reading was decoded from
    std::uint64_t published = 0; // guarded by readingLock: readings published so far

    std::mutex linkLock;
    bool linked = false; // guarded by linkLock

    std::mutex aliveLock;
    bool linkAlive = false; // guarded by aliveLock

    MeterReading copyReading() {
        std::lock_guard lock(readingLock);
        return reading;
    }
    RawFrame copyFrame() {
        std::lock_guard lock(readingLock);
        return frame;
    }
    std::uint64_t publishedCount() {
        std::lock_guard lock(readingLock);
        return published;
    }
    bool isLinked() {
        std::lock_guard lock(linkLock);
        return linked;
    }
    void setLinked(bool value) {
        std::lock_guard lock(linkLock);
        linked = value;
    }
    bool isLinkAlive() {
        std::lock_guard lock(aliveLock);
        return linkAlive;
    }
    void setLinkAlive(bool value) {
        std::lock_guard lock(aliveLock);
        linkAlive = value;
    }

    // Wake every thread blocked on one of the events, for good (shutdown).
    virtual void shutdownEvents() {
        newReadingEvent.shutdown();
        cableLostEvent.shutdown();
        acquisitionEndedEvent.shutdown();
    }
};

} // namespace ostrel
