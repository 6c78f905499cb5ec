#pragma once
// ImportEngine: the import window's state without its window. It holds the
// imported sessions, the page shown and its graph, the choice of display,
// the empty and saved flags, and works out the window's enable rules from
// them and from the busy flag. The window (TFormImport) shows what it holds
// and forwards the user's commands; every rule about them lives here.

#include "import/session_page.h"
#include "import/session_table.h"

#include <cstdint>
#include <string>

namespace ostrel {

// Which of the window's commands may be used now.
struct ImportEnables {
    bool open = true;       // Open, Import, Printer Setup, Graph Line Color
    bool hasData = false;   // Save As, Clear, Export, Print this page
    bool firstPage = false; // First page and Page Up
    bool lastPage = false;  // Last page and Page Down
    bool mainChoice = false;
    bool subChoice = false;
};

class ImportEngine {
  public:
    // busy is the process's busy flag: set while a file load, a save or an
    // import runs, and read by every window's enable rules.
    explicit ImportEngine(bool& busy);

    // --- state -------------------------------------------------------------
    int sessionCount() const { return m_sessionCount; }
    int pageCount() const { return m_pageCount; }
    int currentPage() const { return m_currentPage; }
    int points() const { return m_points; }
    const YRange& yRange() const { return m_range; }
    bool empty() const { return m_empty; }
    bool saved() const { return m_saved; }
    bool oneToOne() const { return m_oneToOne; }
    bool busy() const { return m_busy; }
    bool subChosen() const { return m_subChosen; }
    const SessionTable& sessions() const { return m_table; }
    ImportEnables enables() const;

    // --- operations ----------------------------------------------------------
    // The window state back to its start (the sessions stay).
    void resetState();
    // Empty every session.
    void discardSessions() { m_table.clear(); }
    // Everything back to empty: state, sessions and the display choices.
    void clear();
    void setBusy(bool busy) { m_busy = busy; }

    // Take the sessions of a finished download (not saved) or of an opened
    // file (saved); the last session becomes the current page, Main-Data the
    // chosen display.
    void adopt(SessionTable table, bool saved);
    void markSaved();

    // --- the page ------------------------------------------------------------
    // Work out page p's graph with the chosen display. False (nothing
    // changes) when there is no such page.
    bool showPage(int page);
    bool showCurrentPage() { return showPage(m_currentPage); }
    bool pageShown() const { return m_pageShown; }
    int shownPage() const { return m_shownPage; }
    const SessionPagePlot& plot() const { return m_plot; }
    void chooseDisplay(bool sub) { m_subChosen = sub; }

    // Page commands: they only move the current page. False at the ends
    // (the first page for pageUp, the last for pageDown).
    void firstPage() { m_currentPage = 0; }
    bool pageUp();
    bool pageDown();
    void lastPage();
    // A tab chosen by the user: true when it is another existing page.
    bool choosePage(int page);

    // --- what the panels show ------------------------------------------------
    // The text of a cell of the shown page's table (empty without a page).
    std::string cellText(std::int64_t row, int column) const;
    // The reading under graph point p of the shown page, -1 for none.
    std::int64_t readingAt(int point) const;
    // Whether reading r of the shown page has a sub display.
    bool hasSub(std::int64_t reading) const;

    // --- closing --------------------------------------------------------------
    // The window may close without asking: nothing runs and nothing is unsaved.
    bool closesWithoutAsking() const { return !m_busy && (m_empty || m_saved); }

  private:
    bool& m_busy;
    SessionTable m_table;
    int m_sessionCount = 0;
    int m_pageCount = 0;
    int m_currentPage = 0;
    int m_points = 200;
    YRange m_range;
    bool m_empty = true;
    bool m_saved = false;
    bool m_oneToOne = true;
    bool m_pageShown = false;
    int m_shownPage = -1;
    bool m_subChosen = false;
    bool m_mainEnabled = false;
    bool m_subEnabled = false;
    SessionPagePlot m_plot;
};

} // namespace ostrel
