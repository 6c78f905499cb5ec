#pragma once
// SIGTERM, SIGINT and SIGHUP (kill, Ctrl+C in the terminal, the end of the
// desktop session) end the program through its window thread, so that its
// exit work runs: the handler only writes the signal's number into a pipe, and
// a notifier on the pipe's other end calls back on the window thread.

#include <QObject>

#include <functional>

class QSocketNotifier;

namespace ostrel {

class TerminationSignals : public QObject {
  public:
    // Holds the three signals back in the calling thread and in every thread it
    // starts later. Called first thing in main(), so that a signal sent while
    // the windows are being created waits for its handler instead of ending
    // the program without its exit work.
    static void holdBack();

    // Installs the handlers and lets held-back signals through. onSignal runs
    // on the window thread with the signal's number, once for each signal.
    // Each handler serves once: a second signal of the same kind ends the
    // program at once, the way out when the first one's exit work hangs.
    explicit TerminationSignals(std::function<void(int)> onSignal, QObject* parent = nullptr);
    // Gives the three signals their default action back.
    ~TerminationSignals() override;

    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

  private:
    void readPipe();

    std::function<void(int)> m_onSignal;
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace ostrel
