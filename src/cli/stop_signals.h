#pragma once
// How ostrel-cli meets SIGINT (Ctrl+C), SIGTERM and SIGHUP (the terminal
// closed, the session ended).
//
// By default (InstallExitCleanup) each of them removes the temporary file of
// a save in progress and ends the program as the signal would. A command
// that follows the meter until it is stopped (read, record, download) holds a
// StopRequest instead while it runs: then each signal only asks it to stop,
// and it ends its work in order (and writes its files). A SIGHUP that was
// ignored when the program started (nohup) stays ignored.

#include <atomic>
#include <functional>
#include <thread>

namespace ostrel::cli {

// For main().
void InstallExitCleanup();

class StopRequest {
  public:
    // onStop runs on a thread of its own at each signal (it may take locks
    // and set events, which a signal handler may not).
    explicit StopRequest(std::function<void()> onStop = {});
    ~StopRequest(); // the default handling applies again
    StopRequest(const StopRequest&) = delete;
    StopRequest& operator=(const StopRequest&) = delete;

    bool requested() const { return m_requested.load(); }
    // How many signals came.
    int count() const { return m_count.load(); }

  private:
    std::function<void()> m_onStop;
    std::atomic<bool> m_requested{false};
    std::atomic<int> m_count{0};
    std::thread m_thread;
};

} // namespace ostrel::cli
