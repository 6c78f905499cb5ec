#pragma once
// What the import window shows of one session, worked out without windows:
// the texts of its table cells, formed when asked; the graph points of its
// page (every reading below 8192 readings, else the largest and smallest of
// each block of n / 4096), the automatic y scale of the window (the first
// point sets the range again), the largest and smallest reading, and which
// display the choice of Main-Data / Sub-data may show.

#include "import/session_record_maker.h"
#include "import/session_table.h"
#include "recorder/recorder_math.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ostrel {

// Columns of a session table.
enum SessionColumn : int { kColumnNo = 0, kColumnTime, kColumnMain, kColumnSub, kSessionColumns };

// A reading as its cell shows it: the data text, the unit text, then " Ohm"
// for the resistance and continuity codes or else the function text.
std::string SessionReadingText(const TRecord& record);

// The text of a cell of the table of a session: rows from 0, one per pair,
// then one empty row. The "Sub-Data" cell of a pair without a sub record is
// empty.
std::string SessionCellText(const SessionList& list, std::size_t row, int column);

// Number of table rows of a session: its pairs and the empty row after them.
inline std::size_t SessionRowCount(const SessionList& list) {
    return list.size() + 1;
}

// Sessions below this many readings are drawn point by point.
inline constexpr std::size_t kOneToOneLimit = 2 * kDecimationBlocks;

// The graph of one session page.
struct SessionPagePlot {
    bool oneToOne = true;
    // Reading position of every graph point, in point order.
    std::vector<std::int64_t> positions;
    // y of every graph point.
    std::vector<double> values;
    // The time text of every graph point's reading.
    std::vector<TimeField> labels;
    // The window's y range after the last point (unchanged without points).
    YRange range;
    // Reading positions of the largest and smallest main and sub values.
    Extremes mainExtremes;
    Extremes subExtremes;
    bool subExtremesShown = false; // a pair with a sub record was plotted
    // The choices after the page: Main-Data (and Sub-data) can be chosen, and
    // whether Sub-data is still the chosen one.
    bool mainEnabled = false;
    bool subEnabled = false;
    bool subChosen = false;

    std::size_t points() const { return values.size(); }
    // The reading under a graph point; -1 when there is none.
    std::int64_t readingAt(std::int64_t point) const;
};

// Work out the page of a session. range is the window's y range before it
// (kept when the session is empty); subChosen whether Sub-data is chosen.
SessionPagePlot PlotSessionPage(const SessionList& list, bool subChosen, YRange range);

} // namespace ostrel
