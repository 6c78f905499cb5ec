#include "recorder/recording_journal.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ostrel {
namespace {

constexpr int kMaxJournals = 99;

// The n-th journal name of output. A ".g51" or ".g52" in the file name would
// make the journal read back as that layout: it becomes "-g51", "-g52".
std::string JournalPath(const std::string& output, int n) {
    std::string path = output + (n == 1 ? "" : "." + std::to_string(n)) + ".TMP";
    const auto slash = path.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    for (const char* layout : {".g51", ".g52"}) {
        for (auto at = path.find(layout, nameStart); at != std::string::npos;
             at = path.find(layout, at))
            path[at] = '-';
    }
    return path;
}

enum class OutputHold { Held, Busy };

// Lock an existing regular output for the run, so that a recording into the
// same file under another name (a link, another spelling) is seen. An output
// that does not exist yet, or a special file, is held by the journal alone.
OutputHold HoldOutput(const std::string& output, int* lockFd) {
    const int fd = ::open(output.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (fd >= 0)
            ::close(fd);
        return OutputHold::Held;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        ::close(fd);
        return OutputHold::Busy;
    }
    *lockFd = fd;
    return OutputHold::Held;
}

bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

enum class Name { Created, InUse, Leftover, Failed };

// Create the journal under path, or say why that name cannot be it. A
// journal that its run removes at this moment is tried again.
Name CreateJournal(TemporaryFileWriter& file, const std::string& path) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (file.create(path))
            return Name::Created;
        if (errno != EEXIST)
            return Name::Failed;
        if (TemporaryFileInUse(path))
            return Name::InUse;
        if (Exists(path))
            return Name::Leftover;
    }
    return Name::Failed;
}

} // namespace

RecordingJournal::~RecordingJournal() {
    release();
}

void RecordingJournal::release() {
    m_file.close();
    if (m_outputLock >= 0)
        ::close(m_outputLock);
    m_outputLock = -1;
}

RecordingJournal::Start RecordingJournal::create(const std::string& output) {
    release();
    m_leftovers.clear();
    m_busyPath.clear();
    m_path.clear();
    m_journaled = 0;
    m_failed = false;
    if (HoldOutput(output, &m_outputLock) == OutputHold::Busy) {
        m_busyPath = output;
        return Start::InUse;
    }
    for (int n = 1; n <= kMaxJournals; ++n) {
        const std::string path = JournalPath(output, n);
        switch (CreateJournal(m_file, path)) {
        case Name::Created:
            m_path = path;
            return Start::Created;
        case Name::InUse:
            release();
            m_busyPath = path;
            return Start::InUse;
        case Name::Leftover:
            m_leftovers.push_back(path);
            continue;
        case Name::Failed:
            break;
        }
        break;
    }
    const int error = errno;
    release();
    errno = error;
    return Start::Failed;
}

RecordingJournal::Append RecordingJournal::append(const RecordPair& pair) {
    if (!m_failed && m_file.append(pair)) {
        ++m_journaled;
        return Append::Journaled;
    }
    if (!m_failed) {
        const int error = errno;
        m_failed = true;
        m_file.close();
        errno = error;
    }
    return Append::JournalFailed;
}

void RecordingJournal::discard() {
    if (m_journaled == 0 && !m_path.empty())
        std::remove(m_path.c_str());
    release();
}

RecordingJournal::Finish RecordingJournal::finish(const std::string& output, ConvertOutput kind) {
    m_file.close();
    m_outputError = 0;
    if (m_journaled == 0) {
        discard();
        return Finish::NoSample;
    }
    ConvertWriter writer(kind);
    bool ok = writer.open(output, m_journaled);
    if (ok) {
        // Only the entries counted as journaled are taken, whatever else the
        // file holds.
        std::int64_t taken = 0;
        const LoadResult read = ReadEntryFile(m_path, [&](const std::uint8_t* entry) {
            if (taken++ < m_journaled)
                writer.appendEntry(entry);
        });
        // Entries written to the journal that are missing: keep it.
        ok = read.read >= m_journaled && writer.commit(true);
    }
    if (!ok) {
        m_outputError = writer.error();
        release();
        return Finish::NotWritten;
    }
    std::remove(m_path.c_str());
    release();
    return Finish::Written;
}

} // namespace ostrel
