// TGraphicalForm: the statistics panel under the graph (View > Statistics):
// the whole buffer, kept up to date sample by sample by the engine, and,
// while the graph is zoomed, the samples of the zoomed range.

#include "recorder/ui/graphical_form.h"

#include "base/string_table.h"
#include "base/ui/message_box.h"
#include "graph/ui/graph_adapter.h"
#include "graph/ui/statistics_panel.h"

#include <QAction>
#include <QLayout>
#include <QMenu>

namespace ostrel {
namespace {

constexpr int kStatisticsMenuText = 7246;
constexpr int kAllSamplesText = 7234;
constexpr int kZoomedRangeText = 7235;

std::string Named(int textId, std::int64_t count) {
    return FormatText(textId, {std::to_string(count)});
}

} // namespace

void TGraphicalForm::buildStatistics() {
    m_statisticsPanel = new StatisticsPanel(centralWidget());
    centralWidget()->layout()->addWidget(m_statisticsPanel);
    m_miStatistics = mnuView->addAction(QText(kStatisticsMenuText));
    m_miStatistics->setObjectName("miStatistics");
    m_miStatistics->setCheckable(true);
    m_miStatistics->setChecked(StatisticsPanelsShown());
    connect(m_miStatistics, &QAction::triggered, this, &TGraphicalForm::StatisticsClick);
    m_statisticsPanel->setVisible(m_miStatistics->isChecked());
    connect(PEGraph, &GraphAdapter::zoomed, this, &TGraphicalForm::refreshStatistics);
    refreshStatistics();
}

void TGraphicalForm::StatisticsClick() {
    SetStatisticsPanelsShown(m_miStatistics->isChecked());
    m_statisticsPanel->setVisible(m_miStatistics->isChecked());
    refreshStatistics();
}

void TGraphicalForm::refreshStatistics() {
    if (!m_statisticsPanel || !m_miStatistics->isChecked())
        return; // nothing is computed for a hidden panel
    std::vector<StatisticsRun> runs;
    runs.push_back(
        StatisticsRunOf(Named(kAllSamplesText, m_engine.count()), m_engine.statistics()));
    if (PEGraph->isZoomed()) {
        // The samples of the points shown (a page holds at most a few hundred).
        std::int64_t first = -1;
        std::int64_t last = -1;
        const auto [firstPoint, lastPoint] = PEGraph->shownPoints();
        for (int point = firstPoint; point <= lastPoint; ++point) {
            const std::int64_t position = m_engine.positionOfPoint(point);
            if (position < 0)
                continue;
            first = first < 0 ? position : std::min(first, position);
            last = std::max(last, position);
        }
        SampleStatistics zoomed;
        if (first >= 0)
            zoomed = StatisticsOf(m_engine.buffer(), static_cast<std::size_t>(first),
                                  static_cast<std::size_t>(last) + 1);
        runs.push_back(StatisticsRunOf(Named(kZoomedRangeText, zoomed.samples()), zoomed));
    }
    m_statisticsPanel->showRuns(runs);
}

} // namespace ostrel
