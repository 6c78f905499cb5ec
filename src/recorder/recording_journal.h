#pragma once
// The journal of a recording made without windows: each sample goes at once
// to a file in the temporary-file layout beside the output, so that a run
// that is killed loses nothing already taken (a record file reader, and
// `ostrel-cli convert`, read the journal back). At the end the output is
// written from the journal and the journal is removed.

#include "recorder/record_convert.h"
#include "recorder/record_file.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ostrel {

class RecordingJournal {
  public:
    // Create a new journal for output: "OUTPUT.TMP", or "OUTPUT.2.TMP",
    // "OUTPUT.3.TMP", … when that name is taken; a file left by an earlier
    // run is never replaced. False when none can be created.
    bool create(const std::string& output);
    const std::string& path() const { return m_path; }
    // Journals of the same output that existed when this one was created.
    const std::vector<std::string>& leftovers() const { return m_leftovers; }

    enum class Append {
        Journaled,     // written to the journal
        JournalFailed, // the journal could not be written: from this sample on,
                       // samples are kept in memory (returned once)
        KeptInMemory,  // the journal had failed before
    };
    Append append(const RecordPair& pair);
    std::int64_t count() const { return m_journaled + static_cast<std::int64_t>(m_memory.size()); }

    // Write every sample (the journal's, then those kept in memory) to output
    // and remove the journal. The output is flushed to the disk before the
    // journal goes, since it is then the only copy. False when the output
    // could not be written: the journal stays.
    bool finish(const std::string& output, ConvertOutput kind);

  private:
    TemporaryFileWriter m_file;
    std::string m_path;
    std::vector<std::string> m_leftovers;
    std::int64_t m_journaled = 0;
    bool m_failed = false;
    SampleBuffer m_memory;
};

} // namespace ostrel
