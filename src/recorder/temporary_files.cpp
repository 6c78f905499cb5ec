#include "recorder/temporary_files.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ostrel {
namespace {

constexpr int kMaxSkippedNames = 1000;

bool Contains(const std::vector<std::string>& list, const std::string& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

} // namespace

std::vector<LeftoverFile> FindLeftoverFiles(const std::string& directory) {
    std::vector<LeftoverFile> found;
    DIR* dir = ::opendir(directory.empty() ? "." : directory.c_str());
    if (!dir)
        return found;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        const int number = TemporaryFileNumber(name);
        if (number <= 0)
            continue;
        LeftoverFile file;
        file.path = TemporaryFilePath(directory, number);
        file.name = name;
        file.number = number;
        struct stat st {};
        if (::stat(file.path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        file.entries = static_cast<std::int64_t>(st.st_size) / std::int64_t(kEntrySize);
        file.inUse = TemporaryFileInUse(file.path);
        found.push_back(std::move(file));
    }
    ::closedir(dir);
    std::sort(found.begin(), found.end(),
              [](const LeftoverFile& a, const LeftoverFile& b) { return a.number < b.number; });
    return found;
}

LeftoverSummary SummariseLeftover(const LeftoverFile& file) {
    LeftoverSummary summary;
    const int fd = ::open(file.path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return summary;
    struct stat st {};
    if (::fstat(fd, &st) == 0) {
        char date[16] = {};
        std::tm local{};
        const std::time_t when = st.st_mtime;
        if (::localtime_r(&when, &local) && std::strftime(date, sizeof date, "%Y-%m-%d", &local))
            summary.date = date;
    }
    // The time texts of the first and the last complete entry.
    const auto timeAt = [fd](std::int64_t entry) {
        std::uint8_t bytes[kEntrySize];
        const auto at = static_cast<off_t>(entry * std::int64_t(kEntrySize));
        if (::pread(fd, bytes, kEntrySize, at) != static_cast<ssize_t>(kEntrySize))
            return std::string();
        RecordPair pair;
        ReadEntry(bytes, pair);
        return std::string(FieldView(pair.main.timeText));
    };
    if (file.entries > 0) {
        summary.firstTime = timeAt(0);
        summary.lastTime = timeAt(file.entries - 1);
    }
    ::close(fd);
    return summary;
}

bool IsLeftoverOf(const TemporaryFiles& files, const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::string folder =
        slash == std::string::npos ? std::string(".") : path.substr(0, slash);
    if (TemporaryFileNumber(name) <= 0)
        return false;
    struct stat a {
    }, b{};
    const std::string directory = files.directory().empty() ? "." : files.directory();
    if (::stat(folder.c_str(), &a) != 0 || ::stat(directory.c_str(), &b) != 0 ||
        a.st_dev != b.st_dev || a.st_ino != b.st_ino)
        return false;
    return !Contains(files.ownFiles(),
                     TemporaryFilePath(files.directory(), TemporaryFileNumber(name)));
}

TemporaryFiles::TemporaryFiles(std::string directory) : m_directory(std::move(directory)) {
    for (const LeftoverFile& file : FindLeftoverFiles(m_directory))
        m_nextNumber = std::max(m_nextNumber, file.number + 1);
}

TemporaryFiles::~TemporaryFiles() {
    removeOwnFiles();
}

bool TemporaryFiles::startNext() {
    close();
    // A file of that name may have appeared since (another program in the
    // same directory): take the next free number instead of truncating it.
    for (int tries = 0; tries < kMaxSkippedNames && m_nextNumber > 0; ++tries) {
        const std::string path = TemporaryFilePath(m_directory, m_nextNumber++);
        if (m_writer.create(path)) {
            m_own.push_back(path);
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    return false;
}

TemporaryFiles::Append TemporaryFiles::append(const RecordPair& pair) {
    if (!m_writer.isOpen())
        return Append::NotOpen;
    if (m_writer.append(pair))
        return Append::Written;
    m_writer.close();
    return Append::FailedNow;
}

void TemporaryFiles::close() {
    if (m_writer.isOpen())
        m_writer.sync();
    m_writer.close();
}

void TemporaryFiles::keepForRecovery(bool keepAll) {
    if (m_writer.isOpen() && !m_own.empty())
        m_kept.push_back(m_own.back());
    close();
    if (keepAll)
        m_kept = m_own;
}

void TemporaryFiles::removeOwnFiles() {
    for (auto it = m_own.rbegin(); it != m_own.rend(); ++it) {
        if (Contains(m_kept, *it))
            continue;
        if (::unlink(it->c_str()) != 0 && errno != ENOENT) {
            m_writer.close();
            ::unlink(it->c_str());
        }
    }
    std::vector<std::string> kept;
    for (const std::string& path : m_own)
        if (Contains(m_kept, path))
            kept.push_back(path);
    m_own = std::move(kept);
}

} // namespace ostrel
