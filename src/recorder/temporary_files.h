#pragma once
// The recorder's temporary files "~QDMDL<n>.TMP" in the start-up directory:
// one per Start, one 169-byte entry per sample, so that a recording survives
// a crash of the program. A run numbers its files past those an earlier run
// left behind, never truncates or deletes a file it did not create, and
// deletes its own at the end unless they are kept for recovery.

#include "recorder/record_file.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ostrel {

// A temporary file found in the directory at start-up.
struct LeftoverFile {
    std::string path;
    std::string name; // "~QDMDL3.TMP"
    int number = 0;
    std::int64_t entries = 0; // complete entries it holds
    bool inUse = false;       // another running program is writing it
};

// The temporary files in a directory, by number.
std::vector<LeftoverFile> FindLeftoverFiles(const std::string& directory);

// What the leftover dialog shows of a file: its samples' first and last time
// texts and the date of its last write ("2026-12-08").
struct LeftoverSummary {
    std::string firstTime;
    std::string lastTime;
    std::string date;
};
LeftoverSummary SummariseLeftover(const LeftoverFile& file);

class TemporaryFiles;
// Whether path names a temporary file in the files' directory that this run
// did not make (a leftover of an earlier run).
bool IsLeftoverOf(const TemporaryFiles& files, const std::string& path);

class TemporaryFiles {
  public:
    // Files go into directory, numbered past the leftovers there.
    explicit TemporaryFiles(std::string directory);
    ~TemporaryFiles(); // removes this run's files unless kept for recovery
    TemporaryFiles(const TemporaryFiles&) = delete;
    TemporaryFiles& operator=(const TemporaryFiles&) = delete;

    // Create the next file for a new recording, automatic or manual (closing
    // the previous one).
    // A name that exists already is skipped, never truncated. False when no
    // file could be created.
    bool startNext();
    bool isOpen() const { return m_writer.isOpen(); }

    enum class Append {
        Written,
        NotOpen,   // no recording file (none started, or after a failure)
        FailedNow, // this write failed: the file is closed, report it once
    };
    Append append(const RecordPair& pair);
    void close();

    // Files this run created (the number of Starts that made one).
    int created() const { return static_cast<int>(m_own.size()); }
    // Path of the open file, or of the newest one.
    std::string currentPath() const { return m_own.empty() ? std::string() : m_own.back(); }
    const std::vector<std::string>& ownFiles() const { return m_own; }
    const std::string& directory() const { return m_directory; }

    // Keep, flushed and closed, the file of a running recording and, with
    // keepAll, every file of this run: they are not deleted at the end.
    void keepForRecovery(bool keepAll);
    // Delete this run's files that are not kept, newest first. A delete that
    // fails closes the open file and is tried once more.
    void removeOwnFiles();

  private:
    std::string m_directory;
    int m_nextNumber = 1;
    std::vector<std::string> m_own;
    std::vector<std::string> m_kept;
    TemporaryFileWriter m_writer;
};

} // namespace ostrel
