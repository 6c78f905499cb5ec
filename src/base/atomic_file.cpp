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
#include <limits>
#include <optional>
#include <string_view>
#include <sys/file.h>
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

std::atomic<bool> g_unnamedAllowed{true};

// Whether a file without a name can be given one: through the /proc/self/fd
// link of its descriptor, which needs /proc.
bool CanLinkUnnamed() {
    static const bool can = ::access("/proc/self/fd", X_OK) == 0;
    return can;
}

// An unnamed file in folder (empty: the current folder), or -1 with errno.
// A file system without O_TMPFILE answers EOPNOTSUPP (or, on old kernels,
// EISDIR).
int OpenUnnamed(const std::string& folder, int flags, mode_t mode) {
    if (!g_unnamedAllowed.load() || !CanLinkUnnamed()) {
        errno = EOPNOTSUPP;
        return -1;
    }
    return ::open(folder.empty() ? "." : folder.c_str(), O_TMPFILE | flags | O_CLOEXEC, mode);
}

bool NoUnnamedFiles(int error) {
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL;
}

// Give the unnamed file of fd the name path; fails with EEXIST when the name
// is taken (nothing is replaced).
bool LinkUnnamed(int fd, const std::string& path) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

// ".BASE.<pid>-<n>.part" beside the target, unique within this process.
std::string PartName(const SplitPath& split) {
    static std::atomic<unsigned> counter{0};
    return split.dir + "." + split.base + "." + std::to_string(::getpid()) + "-" +
           std::to_string(counter.fetch_add(1)) + ".part";
}

} // namespace

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

void AllowUnnamedTemporaryFiles(bool allow) {
    g_unnamedAllowed.store(allow);
}

int CreateLockedFile(const std::string& path) {
    const SplitPath split = Split(path);
    if (split.base.empty()) {
        errno = EINVAL;
        return -1;
    }
    // The file is made and locked without a name, then linked: the name never
    // stands for an unlocked file, and linking never replaces a file.
    int fd = OpenUnnamed(split.dir, O_RDWR, 0666);
    if (fd < 0 && NoUnnamedFiles(errno)) {
        // Without unnamed files: a hard link of a locked file of our own name.
        const std::string part = PartName(split);
        fd = ::open(part.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0)
            return -1;
        ::flock(fd, LOCK_EX | LOCK_NB);
        const bool linked = ::link(part.c_str(), path.c_str()) == 0;
        const int error = errno;
        ::unlink(part.c_str());
        if (linked)
            return fd;
        ::close(fd);
        if (error != EPERM && error != ENOSYS) {
            errno = error;
            return -1;
        }
        // No hard links either (FAT): create the name, then lock it.
        fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0)
            ::flock(fd, LOCK_EX | LOCK_NB);
        return fd;
    }
    if (fd < 0)
        return -1;
    ::flock(fd, LOCK_EX | LOCK_NB);
    if (!LinkUnnamed(fd, path)) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

int OpenScratchFile() {
    const char* tmpdir = std::getenv("TMPDIR");
    const std::string folder = tmpdir && *tmpdir ? tmpdir : "/tmp";
    int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0)
        return fd;
    std::string name = folder + "/ostrel-XXXXXX";
    fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd >= 0)
        ::unlink(name.c_str());
    return fd;
}

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

bool AtomicFile::fail() {
    if (!m_failed)
        m_error = errno;
    m_failed = true;
    return false;
}

bool AtomicFile::open(const std::string& path) {
    discard();
    m_path = path;
    m_failed = false;
    m_direct = false;
    m_error = 0;
    if (const auto fd = DescriptorOfPath(path)) {
        m_fd = ::fcntl(*fd, F_DUPFD_CLOEXEC, 3);
        m_direct = m_fd >= 0;
        return m_direct || fail();
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        if (S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode)) {
            m_fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
            m_direct = m_fd >= 0;
            return m_direct || fail();
        }
        if (!S_ISREG(st.st_mode)) {
            errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
            return fail();
        }
        struct stat link {};
        if (::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
            // Replace what the link points to, and keep the link.
            char resolved[PATH_MAX];
            if (!::realpath(path.c_str(), resolved))
                return fail();
            m_path = resolved;
        }
    }
    if (!openTemporary(m_path))
        return fail();
    // Keep the permissions of a file that is being replaced.
    if (::stat(m_path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        ::fchmod(m_fd, st.st_mode & 07777);
    return true;
}

bool AtomicFile::openTemporary(const std::string& target) {
    const SplitPath split = Split(target);
    if (split.base.empty()) {
        errno = EISDIR;
        return false;
    }
    m_fd = OpenUnnamed(split.dir, O_WRONLY, 0666);
    if (m_fd >= 0) {
        m_unnamed = true;
        return true;
    }
    if (!NoUnnamedFiles(errno))
        return false;
    return openNamedTemporary(target);
}

// Find a free partial name beside the target for which make succeeds; it is
// registered for removal on a signal.
bool AtomicFile::claimPartName(const std::function<bool(const std::string&)>& make) {
    const SplitPath split = Split(m_path);
    for (int attempt = 0; attempt < 100; ++attempt) {
        m_tempPath = PartName(split);
        m_slot = RegisterPart(m_tempPath);
        if (make(m_tempPath))
            return true;
        const int error = errno;
        UnregisterPart(m_slot);
        m_slot = -1;
        errno = error;
        if (error != EEXIST)
            break;
    }
    m_tempPath.clear();
    return false;
}

bool AtomicFile::openNamedTemporary(const std::string& target) {
    RemoveStalePartialFiles(target);
    return claimPartName([this](const std::string& name) {
        m_fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        return m_fd >= 0;
    });
}

// The unnamed file gets a partial name beside the target, for the rename.
bool AtomicFile::linkUnnamed() {
    if (!claimPartName([this](const std::string& name) { return LinkUnnamed(m_fd, name); }))
        return false;
    m_unnamed = false;
    return true;
}

bool AtomicFile::write(const void* data, std::size_t size) {
    if (m_fd < 0 || m_failed)
        return false;
    if (!WriteAll(m_fd, static_cast<const char*>(data), size))
        return fail();
    return true;
}

bool AtomicFile::writeAt(std::size_t offset, const void* data, std::size_t size) {
    if (m_fd < 0 || m_failed)
        return false;
    if (m_direct) {
        errno = ESPIPE;
        return fail();
    }
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::pwrite(m_fd, p, size, static_cast<off_t>(offset));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fail();
        }
        p += n;
        offset += static_cast<std::size_t>(n);
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

void AtomicFile::reserve(std::size_t size) {
    if (m_fd < 0 || m_failed || m_direct || size == 0 ||
        size > static_cast<std::size_t>(std::numeric_limits<off_t>::max()))
        return;
    // Even a failure (a disk without all the room) may have taken part of
    // it: the commit gives back whatever lies beyond the end, and a
    // discarded file takes it along.
    if (::fallocate(m_fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(size)) == 0 ||
        (errno != EOPNOTSUPP && errno != ENOSYS))
        m_reserved = true;
}

bool AtomicFile::commit(bool durable) {
    if (m_fd < 0)
        return false;
    if (m_reserved && !m_failed) {
        // Room reserved beyond what was written goes back to the disk.
        struct stat st {};
        if (::fstat(m_fd, &st) != 0 || ::ftruncate(m_fd, st.st_size) != 0)
            fail();
    }
    m_reserved = false;
    if (m_direct) {
        const bool closed = ::close(m_fd) == 0 || fail();
        m_fd = -1;
        m_direct = false;
        return closed && !m_failed;
    }
    bool ok = !m_failed && (!durable || ::fsync(m_fd) == 0 || fail());
    ok = ok && (!m_unnamed || linkUnnamed() || fail());
    ok = (::close(m_fd) == 0 || fail()) && ok;
    m_fd = -1;
    m_unnamed = false;
    ok = ok && (::rename(m_tempPath.c_str(), m_path.c_str()) == 0 || fail());
    closeTemporary(!ok);
    return ok;
}

void AtomicFile::discard() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    m_direct = false;
    m_unnamed = false;
    m_reserved = false;
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
