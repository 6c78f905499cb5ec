#include "cli/standard_output.h"

#include "base/string_table.h"
#include "cli/command.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <iostream>
#include <string>
#include <unistd.h>

namespace ostrel::cli {
namespace {

constexpr int kOutputFailedText = 9063;
constexpr std::size_t kBufferSize = 1 << 16;

struct Output {
    std::string buffer;
    int fd = STDOUT_FILENO;
    bool failed = false;
    bool brokenPipe = false;
    bool readerGone = false; // of an output file written straight
};

Output& State() {
    static Output output;
    return output;
}

void Fail(int error) {
    Output& out = State();
    out.buffer.clear();
    if (out.failed)
        return;
    out.failed = true;
    if (error == EPIPE) {
        out.brokenPipe = true; // quiet: the reader has gone
        return;
    }
    std::cerr << NumberedLine(kErrorCaption, kOutputFailedText, {std::strerror(error)}) << '\n';
}

bool WriteAll(const char* p, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(State().fd, p, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (State().fd != STDOUT_FILENO)
                return true; // a listing on standard error is unchecked, like any message
            Fail(errno);
            return false;
        }
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

bool Print(std::string_view text) {
    Output& out = State();
    if (out.failed)
        return false;
    out.buffer.append(text);
    if (out.buffer.size() >= kBufferSize)
        return FlushOutput();
    return true;
}

bool FlushOutput() {
    Output& out = State();
    if (out.failed)
        return false;
    const bool ok = WriteAll(out.buffer.data(), out.buffer.size());
    out.buffer.clear();
    return ok;
}

bool OutputFailed() {
    return State().failed;
}

void ListingToStandardError() {
    FlushOutput();
    std::cerr.flush();
    State().fd = STDERR_FILENO;
}

void NoteReaderGone() {
    State().readerGone = true;
}

void PrepareOutput() {
    std::signal(SIGPIPE, SIG_IGN);
}

int FinishOutput(int status) {
    FlushOutput();
    Output& out = State();
    if (!out.failed && ::close(STDOUT_FILENO) != 0 && errno != EBADF)
        Fail(errno);
    if (out.brokenPipe || out.readerGone) {
        std::cerr.flush();
        std::signal(SIGPIPE, SIG_DFL);
        ::raise(SIGPIPE);
    }
    return out.failed ? kExitFailure : status;
}

} // namespace ostrel::cli
