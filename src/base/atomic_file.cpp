#include "base/atomic_file.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ostrel {
namespace {

bool WriteAll(int fd, const char* p, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

AtomicFile::~AtomicFile() {
    discard();
}

bool AtomicFile::open(const std::string& path) {
    discard();
    m_path = path;
    m_failed = false;
    static std::atomic<unsigned> counter{0};
    const auto slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    if (base.empty())
        return false;
    for (int attempt = 0; attempt < 100; ++attempt) {
        m_tempPath = dir + "." + base + "." + std::to_string(::getpid()) + "-" +
                     std::to_string(counter.fetch_add(1)) + ".part";
        m_fd = ::open(m_tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd >= 0)
            break;
        if (errno != EEXIST)
            break;
    }
    if (m_fd < 0) {
        m_tempPath.clear();
        return false;
    }
    // Keep the permissions of a file that is being replaced.
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        ::fchmod(m_fd, st.st_mode & 07777);
    return true;
}

bool AtomicFile::write(const void* data, std::size_t size) {
    if (m_fd < 0 || m_failed)
        return false;
    if (!WriteAll(m_fd, static_cast<const char*>(data), size))
        m_failed = true;
    return !m_failed;
}

bool AtomicFile::writeAt(std::size_t offset, const void* data, std::size_t size) {
    if (m_fd < 0 || m_failed)
        return false;
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::pwrite(m_fd, p, size, static_cast<off_t>(offset));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            m_failed = true;
            return false;
        }
        p += n;
        offset += static_cast<std::size_t>(n);
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool AtomicFile::commit(bool durable) {
    if (m_fd < 0)
        return false;
    bool ok = !m_failed && (!durable || ::fsync(m_fd) == 0);
    ok = ::close(m_fd) == 0 && ok;
    m_fd = -1;
    if (ok && ::rename(m_tempPath.c_str(), m_path.c_str()) == 0) {
        m_tempPath.clear();
        return true;
    }
    ::unlink(m_tempPath.c_str());
    m_tempPath.clear();
    return false;
}

void AtomicFile::discard() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_tempPath.empty()) {
        ::unlink(m_tempPath.c_str());
        m_tempPath.clear();
    }
}

} // namespace ostrel
