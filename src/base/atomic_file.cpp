#include "base/atomic_file.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <string_view>
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

// The temporary files of the saves in progress, in fixed storage that a
// signal handler may read: a slot is 0 (free), 1 (being filled) or 2 (holds
// a path).
struct PartSlot {
    std::atomic<int> state{0};
    char path[PATH_MAX];
};
std::array<PartSlot, 16> g_parts;
static_assert(std::atomic<int>::is_always_lock_free);

int RegisterPart(const std::string& path) {
    if (path.size() >= PATH_MAX)
        return -1;
    for (std::size_t i = 0; i < g_parts.size(); ++i) {
        int expected = 0;
        if (g_parts[i].state.compare_exchange_strong(expected, 1)) {
            std::memcpy(g_parts[i].path, path.c_str(), path.size() + 1);
            g_parts[i].state.store(2);
            return static_cast<int>(i);
        }
    }
    return -1; // more saves at once than slots: this one is not cleaned on a signal
}

void UnregisterPart(int slot) {
    if (slot >= 0)
        g_parts[static_cast<std::size_t>(slot)].state.store(0);
}

// The descriptor a path stands for: /dev/stdin, /dev/stdout, /dev/stderr,
// /dev/fd/N, /proc/self/fd/N, or a link to one of them.
std::optional<int> DescriptorOfPath(const std::string& path) {
    const auto parse = [](std::string_view p) -> std::optional<int> {
        if (p == "/dev/stdin")
            return 0;
        if (p == "/dev/stdout")
            return 1;
        if (p == "/dev/stderr")
            return 2;
        for (const std::string_view prefix : {"/dev/fd/", "/proc/self/fd/"}) {
            if (p.substr(0, prefix.size()) != prefix)
                continue;
            const std::string_view digits = p.substr(prefix.size());
            if (digits.empty() || digits.size() > 6 ||
                digits.find_first_not_of("0123456789") != std::string_view::npos)
                return std::nullopt;
            return std::atoi(std::string(digits).c_str());
        }
        return std::nullopt;
    };
    if (auto fd = parse(path))
        return fd;
    char link[PATH_MAX];
    const ssize_t n = ::readlink(path.c_str(), link, sizeof link - 1);
    if (n <= 0)
        return std::nullopt;
    return parse(std::string_view(link, static_cast<std::size_t>(n)));
}

struct SplitPath {
    std::string dir;  // with its trailing "/", or empty for the current folder
    std::string base; // the file name
};

SplitPath Split(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return {std::string(), path};
    return {path.substr(0, slash + 1), path.substr(slash + 1)};
}

// The process id in ".BASE.<pid>-<n>.part", or 0 when name is no such file.
pid_t PartOwner(std::string_view name, std::string_view base) {
    constexpr std::string_view kSuffix = ".part";
    if (name.size() < base.size() + 2 + kSuffix.size() || name[0] != '.' ||
        name.substr(1, base.size()) != base || name[1 + base.size()] != '.' ||
        name.substr(name.size() - kSuffix.size()) != kSuffix)
        return 0;
    const std::string_view middle =
        name.substr(base.size() + 2, name.size() - base.size() - 2 - kSuffix.size());
    const auto dash = middle.find('-');
    if (dash == std::string_view::npos || dash == 0 || dash > 9 || dash + 1 == middle.size() ||
        middle.find_first_not_of("0123456789-") != std::string_view::npos ||
        middle.find('-', dash + 1) != std::string_view::npos)
        return 0;
    return static_cast<pid_t>(std::atol(std::string(middle.substr(0, dash)).c_str()));
}

} // namespace

void RemovePartialFiles() noexcept {
    for (PartSlot& slot : g_parts) {
        if (slot.state.load() == 2)
            ::unlink(slot.path);
    }
}

int RemoveStalePartialFiles(const std::string& path) {
    const SplitPath split = Split(path);
    if (split.base.empty())
        return 0;
    DIR* dir = ::opendir(split.dir.empty() ? "." : split.dir.c_str());
    if (!dir)
        return 0;
    int removed = 0;
    const pid_t self = ::getpid();
    while (const dirent* entry = ::readdir(dir)) {
        const pid_t owner = PartOwner(entry->d_name, split.base);
        // A process that exists (even one of another user: EPERM) may still be saving.
        if (owner <= 0 || owner == self || ::kill(owner, 0) == 0 || errno != ESRCH)
            continue;
        if (::unlink((split.dir + entry->d_name).c_str()) == 0)
            ++removed;
    }
    ::closedir(dir);
    return removed;
}

AtomicFile::~AtomicFile() {
    discard();
}

bool AtomicFile::open(const std::string& path) {
    discard();
    m_path = path;
    m_failed = false;
    m_direct = false;
    if (const auto fd = DescriptorOfPath(path)) {
        m_fd = ::fcntl(*fd, F_DUPFD_CLOEXEC, 3);
        m_direct = m_fd >= 0;
        return m_direct;
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        if (S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode)) {
            m_fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
            m_direct = m_fd >= 0;
            return m_direct;
        }
        if (!S_ISREG(st.st_mode))
            return false;
        struct stat link {};
        if (::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
            // Replace what the link points to, and keep the link.
            char resolved[PATH_MAX];
            if (!::realpath(path.c_str(), resolved))
                return false;
            m_path = resolved;
        }
    }
    return openTemporary(m_path);
}

bool AtomicFile::openTemporary(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    const SplitPath split = Split(target);
    if (split.base.empty())
        return false;
    RemoveStalePartialFiles(target);
    for (int attempt = 0; attempt < 100; ++attempt) {
        m_tempPath = split.dir + "." + split.base + "." + std::to_string(::getpid()) + "-" +
                     std::to_string(counter.fetch_add(1)) + ".part";
        m_slot = RegisterPart(m_tempPath);
        m_fd = ::open(m_tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd >= 0)
            break;
        UnregisterPart(m_slot);
        m_slot = -1;
        if (errno != EEXIST)
            break;
    }
    if (m_fd < 0) {
        m_tempPath.clear();
        return false;
    }
    // Keep the permissions of a file that is being replaced.
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode))
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
    if (m_direct) {
        const bool ok = ::close(m_fd) == 0 && !m_failed;
        m_fd = -1;
        m_direct = false;
        return ok;
    }
    bool ok = !m_failed && (!durable || ::fsync(m_fd) == 0);
    ok = ::close(m_fd) == 0 && ok;
    m_fd = -1;
    ok = ok && ::rename(m_tempPath.c_str(), m_path.c_str()) == 0;
    closeTemporary(!ok);
    return ok;
}

void AtomicFile::discard() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    m_direct = false;
    closeTemporary(true);
}

void AtomicFile::closeTemporary(bool remove) {
    if (m_tempPath.empty())
        return;
    if (remove)
        ::unlink(m_tempPath.c_str());
    UnregisterPart(m_slot);
    m_slot = -1;
    m_tempPath.clear();
}

} // namespace ostrel
