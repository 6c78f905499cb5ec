#pragma once
// Comma-separated text of sessions: a header line, then one line per reading,
// numbered from 1 in each session, five fields for a single display and eight
// for two. Lines end in CR LF.

#include "import/session_table.h"

#include <string>

namespace ostrel {

// Clamp a requested page range (1-based, inclusive) to 1 … sessionCount.
// first > last after clamping means an empty range.
struct PageRange {
    int first = 1;
    int last = 0;
};
PageRange ClampPageRange(long first, long last, std::size_t sessionCount);

// The text of sessions first … last (1-based, inclusive, clamped); an empty
// range gives the header line alone.
std::string SessionExportText(const SessionTable& table, long first, long last);

// All sessions.
std::string SessionExportText(const SessionTable& table);

// Write the text of sessions first … last to path, replacing it. False when
// the file cannot be written (the table is untouched).
bool WriteSessionExport(const std::string& path, const SessionTable& table, long first, long last);

} // namespace ostrel
