// ImportEngine: the import window's sessions, page, flags and enable rules.
#include "import/import_engine.h"

#include <algorithm>
#include <climits>

namespace ostrel {

ImportEngine::ImportEngine(bool& busy) : m_busy(busy) {}

ImportEnables ImportEngine::enables() const {
    ImportEnables e;
    e.open = !m_busy;
    e.hasData = !m_busy && !m_empty;
    // The page buttons follow the page shown, not the busy flag.
    e.firstPage = m_pageShown && m_currentPage > 0;
    e.lastPage = m_pageShown && m_currentPage < m_pageCount - 1;
    e.mainChoice = m_mainEnabled;
    e.subChoice = m_subEnabled;
    return e;
}

void ImportEngine::resetState() {
    m_sessionCount = 0;
    m_pageCount = 0;
    m_currentPage = 0;
    m_points = 200;
    m_range = YRange{};
    m_empty = true;
    m_saved = false;
    m_pageShown = false;
    m_shownPage = -1;
    m_plot = SessionPagePlot{};
}

void ImportEngine::clear() {
    resetState();
    discardSessions();
    m_mainEnabled = false;
    m_subEnabled = false;
}

void ImportEngine::adopt(SessionTable table, bool saved) {
    m_table = std::move(table);
    m_sessionCount = static_cast<int>(std::min<std::size_t>(m_table.sessionCount(), INT_MAX));
    m_pageCount = m_sessionCount;
    m_currentPage = std::max(m_pageCount - 1, 0);
    m_subChosen = false;
    m_empty = false;
    m_saved = saved;
}

void ImportEngine::markSaved() {
    m_empty = false;
    m_saved = true;
}

bool ImportEngine::showPage(int page) {
    if (m_sessionCount == 0 || page < 0 || static_cast<std::size_t>(page) >= m_table.sessionCount())
        return false;
    m_shownPage = page; // the page whose cells the panels show (an export shows others)
    m_plot = PlotSessionPage(m_table.session(static_cast<std::size_t>(page)), m_subChosen, m_range);
    m_oneToOne = m_plot.oneToOne;
    m_points = static_cast<int>(std::min<std::size_t>(m_plot.points(), INT_MAX));
    m_range = m_plot.range;
    m_mainEnabled = m_plot.mainEnabled;
    m_subEnabled = m_plot.subEnabled;
    m_subChosen = m_plot.subChosen;
    m_pageShown = true;
    return true;
}

bool ImportEngine::pageUp() {
    if (m_currentPage <= 0)
        return false;
    --m_currentPage;
    return true;
}

bool ImportEngine::pageDown() {
    if (m_currentPage >= m_pageCount - 1)
        return false;
    ++m_currentPage;
    return true;
}

void ImportEngine::lastPage() {
    m_currentPage = std::max(m_pageCount - 1, 0);
}

bool ImportEngine::choosePage(int page) {
    if (page < 0 || page == m_currentPage || page >= m_pageCount || m_busy)
        return false;
    m_currentPage = page;
    return true;
}

std::string ImportEngine::cellText(std::int64_t row, int column) const {
    if (m_shownPage < 0 || static_cast<std::size_t>(m_shownPage) >= m_table.sessionCount() ||
        row < 0)
        return {};
    return SessionCellText(m_table.session(static_cast<std::size_t>(m_shownPage)),
                           static_cast<std::size_t>(row), column);
}

std::int64_t ImportEngine::readingAt(int point) const {
    return m_plot.readingAt(point);
}

bool ImportEngine::hasSub(std::int64_t reading) const {
    if (m_shownPage < 0 || static_cast<std::size_t>(m_shownPage) >= m_table.sessionCount() ||
        reading < 0)
        return false;
    const SessionList& list = m_table.session(static_cast<std::size_t>(m_shownPage));
    return static_cast<std::size_t>(reading) < list.size() &&
           list.hasSub(static_cast<std::size_t>(reading));
}

} // namespace ostrel
