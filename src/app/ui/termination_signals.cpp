#include "app/ui/termination_signals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace ostrel {
namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The pipe from the handler to the window thread: made once, kept for the
// process (a handler may still write into it while the program ends).
int g_pipe[2] = {-1, -1};

void OnSignal(int signal) {
    const int savedErrno = errno;
    const unsigned char number = static_cast<unsigned char>(signal);
    // Non-blocking: with the pipe full, the signals already in it suffice.
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &number, 1);
    errno = savedErrno;
}

sigset_t TerminationSet() {
    sigset_t set;
    sigemptyset(&set);
    for (int s : kSignals)
        sigaddset(&set, s);
    return set;
}

} // namespace

void TerminationSignals::holdBack() {
    const sigset_t set = TerminationSet();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

TerminationSignals::TerminationSignals(std::function<void(int)> onSignal, QObject* parent)
    : QObject(parent), m_onSignal(std::move(onSignal)) {
    if (g_pipe[0] < 0 && ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        g_pipe[0] = g_pipe[1] = -1;
    if (g_pipe[0] >= 0) {
        m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, [this] { readPipe(); });
        struct sigaction action = {};
        action.sa_handler = OnSignal;
        action.sa_flags = SA_RESTART | SA_RESETHAND;
        sigemptyset(&action.sa_mask);
        for (int s : kSignals)
            ::sigaction(s, &action, nullptr);
    }
    // Without a pipe the signals keep their default action, let through too.
    const sigset_t set = TerminationSet();
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}

TerminationSignals::~TerminationSignals() {
    for (int s : kSignals)
        std::signal(s, SIG_DFL);
}

void TerminationSignals::readPipe() {
    unsigned char numbers[16];
    ssize_t n;
    while ((n = ::read(g_pipe[0], numbers, sizeof numbers)) > 0)
        for (ssize_t i = 0; i < n; ++i)
            if (m_onSignal)
                m_onSignal(numbers[i]);
}

} // namespace ostrel
