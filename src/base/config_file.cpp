#include "base/config_file.h"

#include "base/number_format.h"
#include "base/string_table.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace ostrel {
namespace {

constexpr int kConfigurationFileText = 7; // "\QVRDL.ini"
// The file holds three short lines; anything larger is not ours and is
// treated as unreadable rather than loaded whole.
constexpr std::size_t kMaxFileSize = 1 << 20;

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    return true;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

// The value of the first line named key; empty when there is none.
std::string_view ValueOf(const std::vector<std::string_view>& lines, std::string_view key) {
    for (std::string_view line : lines) {
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos)
            continue;
        if (EqualsIgnoringCase(line.substr(0, eq), key))
            return line.substr(eq + 1);
    }
    return {};
}

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// What a file of this mode is, in words; empty for a regular file.
std::string KindOf(mode_t mode) {
    if (S_ISREG(mode))
        return {};
    if (S_ISFIFO(mode))
        return "a named pipe";
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device";
    if (S_ISSOCK(mode))
        return "a socket";
    return "no regular file";
}

} // namespace

std::string ConfigurationPath(const std::string& startupDirectory) {
    std::string name(Text(kConfigurationFileText));
    while (!name.empty() && (name.front() == '\\' || name.front() == '/'))
        name.erase(0, 1);
    if (startupDirectory.empty())
        return name;
    if (startupDirectory.back() == '/')
        return startupDirectory + name;
    return startupDirectory + "/" + name;
}

Configuration ParseConfiguration(std::string_view text) {
    const std::vector<std::string_view> lines = SplitLines(text);
    Configuration read;
    if (ParseInteger(ValueOf(lines, "iPort"), &read.iPort) &&
        ParseReal(ValueOf(lines, "fHiLimit"), &read.fHiLimit) &&
        ParseReal(ValueOf(lines, "fLowLimit"), &read.fLowLimit))
        return read;
    return Configuration{};
}

std::string NonRegularFileKind(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return {};
    return KindOf(info.st_mode);
}

Configuration ReadConfiguration(const std::string& path, std::string* notRegular) {
    // Anything but a regular file is never opened: a named pipe would wait
    // for a writer, a device may do something when opened. The file is opened
    // without waiting and checked again once open, for a swap in between.
    std::string kind = NonRegularFileKind(path);
    const int fd =
        kind.empty() ? ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY) : -1;
    struct stat info {};
    if (fd >= 0 && (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)))
        kind = KindOf(info.st_mode);
    if (fd < 0 || !kind.empty()) {
        if (notRegular)
            *notRegular = kind;
        if (fd >= 0)
            ::close(fd);
        return Configuration{};
    }
    std::string text(kMaxFileSize + 1, '\0');
    std::size_t size = 0;
    while (size < text.size()) {
        const ssize_t n = ::read(fd, text.data() + size, text.size() - size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ::close(fd);
            return Configuration{};
        }
        if (n == 0)
            break;
        size += static_cast<std::size_t>(n);
    }
    ::close(fd);
    if (size > kMaxFileSize)
        return Configuration{};
    text.resize(size);
    return ParseConfiguration(text);
}

std::string FormatConfiguration(const Configuration& c) {
    return "iPort=" + std::to_string(c.iPort) + "\r\n" +
           "fHiLimit=" + FormatGeneralReadable(c.fHiLimit) + "\r\n" +
           "fLowLimit=" + FormatGeneralReadable(c.fLowLimit) + "\r\n";
}

bool WriteConfiguration(const std::string& path, const Configuration& configuration,
                        std::string* why) {
    auto failed = [why](int error) {
        if (why)
            *why = std::strerror(error);
        return false;
    };
    if (const std::string kind = NonRegularFileKind(path); !kind.empty()) {
        if (why)
            *why = "it is " + kind + ", not a regular file";
        return false;
    }
    static std::atomic<unsigned> sequence{0};
    const std::string temporary =
        path + ".~" + std::to_string(::getpid()) + "." + std::to_string(sequence.fetch_add(1));
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return failed(errno);
    // errno names the first step that failed.
    bool ok = WriteAll(fd, FormatConfiguration(configuration)) && ::fsync(fd) == 0;
    int error = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && std::rename(temporary.c_str(), path.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (ok)
        return true;
    ::unlink(temporary.c_str());
    return failed(error);
}

} // namespace ostrel
