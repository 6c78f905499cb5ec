#pragma once
// TWaitOffLineThread: waits for cableLostEvent and hands the report of the
// lost cable to the window thread, until it is asked to end. Shutting the
// events down (or cancelling the hand-over) wakes it for good.

#include <atomic>
#include <functional>
#include <thread>

namespace ostrel {

class AutoResetEvent;
class HandOver;

class TWaitOffLineThread {
  public:
    // onCableLost runs on the window thread through handOver, once per signal.
    TWaitOffLineThread(AutoResetEvent& cableLostEvent, HandOver& handOver,
                       std::function<void()> onCableLost);
    ~TWaitOffLineThread(); // terminates and joins
    TWaitOffLineThread(const TWaitOffLineThread&) = delete;
    TWaitOffLineThread& operator=(const TWaitOffLineThread&) = delete;

    // Ask the thread to end; it ends the next time it wakes.
    void terminate() { m_terminated = true; }
    // Join it; the owner shuts the event down and cancels the hand-over first.
    void join();

  private:
    void execute();

    AutoResetEvent& m_cableLostEvent;
    HandOver& m_handOver;
    std::function<void()> m_onCableLost;
    std::atomic<bool> m_terminated{false};
    std::thread m_thread;
};

} // namespace ostrel
