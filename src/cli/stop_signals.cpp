#include "cli/stop_signals.h"

#include "base/atomic_file.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace ostrel::cli {
namespace {

// The pipe from the signal handler to the thread of the StopRequest: the
// handler writes one byte per signal ('s'), the destructor 'q'.
int g_pipe[2] = {-1, -1};

extern "C" void OnExitSignal(int signal) {
    RemovePartialFiles();
    std::signal(signal, SIG_DFL);
    ::raise(signal);
}

extern "C" void OnStopSignal(int) {
    const int saved = errno;
    const char byte = 's';
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}

// Whether SIGHUP was ignored when the program started (nohup).
bool HangUpIgnored() {
    static const bool ignored = [] {
        struct sigaction current {};
        return ::sigaction(SIGHUP, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
    }();
    return ignored;
}

void Handle(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    if (!HangUpIgnored())
        ::sigaction(SIGHUP, &action, nullptr);
}

} // namespace

void InstallExitCleanup() {
    Handle(OnExitSignal);
}

StopRequest::StopRequest(std::function<void()> onStop) : m_onStop(std::move(onStop)) {
    if (::pipe2(g_pipe, O_CLOEXEC) != 0)
        return; // without the pipe the default handling stays
    m_thread = std::thread([this] {
        char byte;
        for (;;) {
            const ssize_t n = ::read(g_pipe[0], &byte, 1);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0 || byte == 'q')
                return;
            m_requested = true;
            ++m_count;
            if (m_onStop)
                m_onStop();
        }
    });
    Handle(OnStopSignal);
}

StopRequest::~StopRequest() {
    if (!m_thread.joinable())
        return;
    InstallExitCleanup();
    const char byte = 'q';
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &byte, 1);
    m_thread.join();
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

} // namespace ostrel::cli
