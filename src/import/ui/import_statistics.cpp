// TFormImport: the statistics panel under the graph (with View > Statistics
// of the recorder on): the figures of the session shown.

#include "import/ui/import_form.h"

#include "base/string_table.h"
#include "graph/ui/statistics_panel.h"
#include "import/session_statistics.h"

#include <QLayout>
#include <QtConcurrent/QtConcurrentRun>

namespace ostrel {
namespace {

constexpr int kSessionSamplesText = 7237;
// Sessions up to this many readings are summed at once (milliseconds);
// longer ones (half a second for a full memory) on a worker thread, while
// the window goes on.
constexpr std::size_t kSummedAtOnce = 100000;

} // namespace

void TFormImport::refreshStatistics(int page) {
    if (!m_statisticsPanel) {
        m_statisticsPanel = new StatisticsPanel(this);
        layout()->addWidget(m_statisticsPanel);
        connect(&m_statisticsWatcher, &QFutureWatcher<SampleStatistics>::finished, this,
                &TFormImport::statisticsSummed);
    }
    m_statisticsPanel->setVisible(StatisticsPanelsShown());
    if (m_statisticsPanel->isHidden() || page < 0 ||
        static_cast<std::size_t>(page) >= m_engine.sessions().sessionCount())
        return;
    // The figures do not depend on the display chosen: they are worked out
    // once for each page, not again for the other display or a page shown
    // again.
    const auto k = static_cast<std::size_t>(page);
    if (k < m_statisticsRuns.size() && m_statisticsRuns[k]) {
        m_statisticsPanel->showRuns({*m_statisticsRuns[k]});
        return;
    }
    if (page == m_summingPage && m_statisticsStop)
        return; // under way
    stopStatistics();
    const SessionList& session = m_engine.sessions().session(static_cast<std::size_t>(page));
    m_statisticsName =
        FormatText(kSessionSamplesText, {std::to_string(page + 1), std::to_string(session.size())});
    if (session.size() <= kSummedAtOnce) {
        keepStatistics(page, SessionStatisticsOf(session));
        return;
    }
    // The session's name, its figures blank until they come.
    m_statisticsPanel->showRuns({StatisticsRun{m_statisticsName, {}, {}}});
    m_summingPage = page;
    auto stop = std::make_shared<std::atomic<bool>>(false);
    m_statisticsStop = stop;
    m_statisticsWatcher.setFuture(
        QtConcurrent::run([&session, stop] { return SessionStatisticsOf(session, stop.get()); }));
}

void TFormImport::statisticsSummed() {
    // A sum stopped, or one replaced by a newer one, shows nothing.
    if (!m_statisticsStop || m_statisticsStop->load() || !m_statisticsWatcher.isFinished())
        return;
    m_statisticsStop.reset();
    keepStatistics(m_summingPage, m_statisticsWatcher.result());
}

void TFormImport::keepStatistics(int page, const SampleStatistics& statistics) {
    m_summingPage = -1;
    const auto k = static_cast<std::size_t>(page);
    if (k >= m_statisticsRuns.size())
        return;
    m_statisticsRuns[k] = StatisticsRunOf(m_statisticsName, statistics);
    if (m_statisticsPanel && page == m_engine.currentPage())
        m_statisticsPanel->showRuns({*m_statisticsRuns[k]});
}

void TFormImport::stopStatistics() {
    // The worker reads the sessions: it has ended before they change or go.
    if (m_statisticsStop)
        m_statisticsStop->store(true);
    m_statisticsWatcher.waitForFinished();
    m_statisticsStop.reset();
    m_summingPage = -1;
}

} // namespace ostrel
