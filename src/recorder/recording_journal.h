#pragma once
// The journal of a recording made without windows: each sample goes at once
// to a file in the temporary-file layout beside the output, so that a run
// that is killed loses nothing already taken (a record file reader, and
// `ostrel-cli convert`, read the journal back). At the end the output is
// written from the journal and the journal is removed.
//
// A recording holds its output and its journal for as long as it runs
// (locks that end with the process): a second recording into the same
// output is refused instead of sharing them.

#include "recorder/record_convert.h"
#include "recorder/record_file.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ostrel {

class RecordingJournal {
  public:
    RecordingJournal() = default;
    RecordingJournal(const RecordingJournal&) = delete;
    RecordingJournal& operator=(const RecordingJournal&) = delete;
    ~RecordingJournal();

    enum class Start {
        Created, // the journal is made and the output held
        InUse,   // another running recording holds the output or a journal of it
        Failed,  // no journal could be made (errno says why)
    };
    // Hold output for this recording and create a new journal for it:
    // "OUTPUT.TMP", or "OUTPUT.2.TMP", "OUTPUT.3.TMP", … when that name is
    // taken by a journal an earlier run left; such a journal is never
    // replaced.
    Start create(const std::string& output);
    const std::string& path() const { return m_path; }
    // After InUse: the file the other recording holds.
    const std::string& busyPath() const { return m_busyPath; }
    // Journals of the same output that earlier runs left.
    const std::vector<std::string>& leftovers() const { return m_leftovers; }

    enum class Append {
        Journaled,     // written to the journal
        JournalFailed, // not written (errno says why): the journal keeps the
                       // samples before it and takes no more
    };
    Append append(const RecordPair& pair);
    // Samples in the journal.
    std::int64_t count() const { return m_journaled; }

    enum class Finish {
        Written,    // output written, journal removed
        NoSample,   // nothing was taken: journal removed, output left as it was
        NotWritten, // the output could not be written: the journal stays
    };
    // Write every sample of the journal to output and remove the journal. The
    // output is flushed to the disk before the journal goes, since it is then
    // the only copy.
    Finish finish(const std::string& output, ConvertOutput kind);
    // After NotWritten: the errno of the output's failure (0 when unknown).
    int outputError() const { return m_outputError; }

    // Remove the journal while it holds no sample (a run that did not start).
    void discard();

  private:
    void release();

    TemporaryFileWriter m_file;
    std::string m_path;
    std::string m_busyPath;
    std::vector<std::string> m_leftovers;
    std::int64_t m_journaled = 0;
    bool m_failed = false;
    int m_outputLock = -1;
    int m_outputError = 0;
};

} // namespace ostrel
