#pragma once
// TWaitOffLineThread: waits for cableLostEvent and hands the report of the
// lost cable to the window thread, until it is asked to end. Shutting the
// events down (or the window-thread call) wakes it for good.

#include <atomic>
#include <functional>
#include <thread>

namespace ostrel {

class AutoResetEvent;
class WindowThreadCall;

class TWaitOffLineThread {
  public:
    // onCableLost runs on the window thread through calls, once per signal.
    TWaitOffLineThread(AutoResetEvent& cableLostEvent, WindowThreadCall& calls,
                       std::function<void()> onCableLost);
    ~TWaitOffLineThread(); // terminates and joins
    TWaitOffLineThread(const TWaitOffLineThread&) = delete;
    TWaitOffLineThread& operator=(const TWaitOffLineThread&) = delete;

    // Ask the thread to end; it ends the next time it wakes.
    void terminate() { m_terminated = true; }
    // Join it; the owner shuts the event and the call down first.
    void join();

  private:
    void execute();

    AutoResetEvent& m_cableLostEvent;
    WindowThreadCall& m_calls;
    std::function<void()> m_onCableLost;
    std::atomic<bool> m_terminated{false};
    std::thread m_thread;
};

} // namespace ostrel
