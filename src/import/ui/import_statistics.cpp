// TFormImport: the statistics panel under the graph (with View > Statistics
// of the recorder on): the figures of the session shown.

#include "import/ui/import_form.h"

#include "base/string_table.h"
#include "graph/ui/statistics_panel.h"
#include "import/session_statistics.h"

#include <QLayout>

namespace ostrel {
namespace {

constexpr int kSessionSamplesText = 7237;

} // namespace

void TFormImport::refreshStatistics(int page) {
    if (!m_statisticsPanel) {
        m_statisticsPanel = new StatisticsPanel(this);
        layout()->addWidget(m_statisticsPanel);
    }
    m_statisticsPanel->setVisible(StatisticsPanelsShown());
    if (m_statisticsPanel->isHidden() || page < 0 ||
        static_cast<std::size_t>(page) >= m_engine.sessions().sessionCount())
        return;
    // The figures go through every reading of the session (half a second for
    // a full memory) and do not depend on the display chosen: they are worked
    // out once for the page shown, not again for the other display.
    if (m_statisticsPage != page) {
        const SessionList& session = m_engine.sessions().session(static_cast<std::size_t>(page));
        m_statisticsRun =
            StatisticsRunOf(FormatText(kSessionSamplesText,
                                       {std::to_string(page + 1), std::to_string(session.size())}),
                            SessionStatisticsOf(session));
        m_statisticsPage = page;
    }
    m_statisticsPanel->showRuns({m_statisticsRun});
}

} // namespace ostrel
