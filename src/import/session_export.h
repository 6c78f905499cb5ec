#pragma once
// Comma-separated text of sessions: a header line, then one line per reading,
// numbered from 1 in each session, five fields for a single display and eight
// for two. Lines end in CR LF.

#include "import/session_table.h"
#include "import/write_behind.h"

#include <memory>
#include <string>
#include <string_view>

namespace ostrel {

// Clamp a requested page range (1-based, inclusive) to 1 … sessionCount.
// first > last after clamping means an empty range.
struct SessionRange {
    int first = 1;
    int last = 0;
};
SessionRange ClampSessionRange(long first, long last, std::size_t sessionCount);

// The first line of the text.
inline constexpr std::string_view kSessionExportHeader =
    "#item,Time,MainData,MainUnit,MainFunc,Sub Data,SubUnit,SubFunc\r\n";

// The line of a pair, numbered item, with its CR LF, appended to out.
void AppendSessionExportLine(std::string& out, std::size_t item, const TRecord& main,
                             const TRecord* sub);

// The text of sessions first … last (1-based, inclusive, clamped); an empty
// range gives the header line alone.
std::string SessionExportText(const SessionTable& table, long first, long last);

// All sessions.
std::string SessionExportText(const SessionTable& table);

// Write the text of sessions first … last to path, replacing it. False when
// the file cannot be written (the table is untouched). durable: as for
// AtomicFile::commit.
bool WriteSessionExport(const std::string& path, const SessionTable& table, long first, long last,
                        bool durable = true);

// The text export written line by line, for sessions that are never held
// whole (a session file converted as it is read, an image decoded): the
// header line, then one line per reading, numbered by the caller. The file
// replaces its target at commit(), when everything was written.
class SessionExportFile {
  public:
    bool open(const std::string& path); // false when the file cannot be created
    void add(std::size_t item, const TRecord& main, const TRecord* sub);
    void add(std::size_t item, const SessionPair& pair);
    bool commit(bool durable = true);            // false when anything could not be written
    int error() const { return m_file.error(); } // see AtomicFile::error

  private:
    void flushLine();
    WriteBehindFile m_file;
    std::string m_line;
};

} // namespace ostrel
