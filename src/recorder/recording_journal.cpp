#include "recorder/recording_journal.h"

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>

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

} // namespace

bool RecordingJournal::create(const std::string& output) {
    m_leftovers.clear();
    for (int n = 1; n <= kMaxJournals; ++n) {
        const std::string path = JournalPath(output, n);
        if (m_file.create(path)) {
            m_path = path;
            return true;
        }
        if (errno != EEXIST)
            return false;
        m_leftovers.push_back(path);
    }
    return false;
}

RecordingJournal::Append RecordingJournal::append(const RecordPair& pair) {
    if (!m_failed) {
        if (m_file.append(pair)) {
            ++m_journaled;
            return Append::Journaled;
        }
        m_failed = true;
        m_file.close();
        m_memory.push_back(pair);
        return Append::JournalFailed;
    }
    m_memory.push_back(pair);
    return Append::KeptInMemory;
}

bool RecordingJournal::finish(const std::string& output, ConvertOutput kind) {
    m_file.close();
    ConvertWriter writer(kind);
    if (!writer.open(output, count()))
        return false;
    // A journal that failed in the middle of an entry holds part of it after
    // the complete ones: only the entries counted as journaled are taken.
    if (m_journaled > 0) {
        std::int64_t taken = 0;
        const LoadResult read = ReadEntryFile(m_path, [&](const std::uint8_t* entry) {
            if (taken++ < m_journaled)
                writer.appendEntry(entry);
        });
        if (read.read < m_journaled)
            return false; // entries written to the journal are missing: keep it
    }
    for (const RecordPair& pair : m_memory)
        writer.append(pair);
    if (!writer.commit(true))
        return false;
    std::remove(m_path.c_str());
    return true;
}

} // namespace ostrel
