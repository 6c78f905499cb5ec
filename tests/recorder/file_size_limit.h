#pragma once
// A file size limit for the tests of what happens when the disk is full: a
// write beyond the limit fails (EFBIG) instead of ending the process.

#include <csignal>
#include <sys/resource.h>

namespace ostrel::test {

class ScopedFileSizeLimit {
  public:
    explicit ScopedFileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &m_before);
        rlimit limit = m_before;
        limit.rlim_cur = bytes;
        m_set = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~ScopedFileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &m_before);
        std::signal(SIGXFSZ, SIG_DFL);
    }
    ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
    ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;
    bool isSet() const { return m_set; }

  private:
    rlimit m_before{};
    bool m_set = false;
};

} // namespace ostrel::test
