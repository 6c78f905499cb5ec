#pragma once
// StatisticsPanel: the statistics of one or more runs of samples (the whole
// recording and its zoomed range, what a graph shows, a session), a table
// with a row per display of each run: count, mean, standard deviation (n - 1),
// minimum and maximum with their times, time span and the substitute values
// (overloads, open sensor) left out of the others. The windows compute the
// figures with the statistics of the samples; the panel only shows them.

#include "graph/statistics_table.h"

#include <QFrame>
#include <QString>

#include <vector>

class QGridLayout;
class QLabel;

namespace ostrel {

// Whether the windows show their statistics panels (the user's settings;
// off at first).
bool StatisticsPanelsShown();
void SetStatisticsPanelsShown(bool shown);

class StatisticsPanel : public QFrame {
    Q_OBJECT
  public:
    explicit StatisticsPanel(QWidget* parent = nullptr);

    void showRuns(const std::vector<StatisticsRun>& runs);
    int runCount() const { return static_cast<int>(m_rows.size() / 2); }
    // The text of a figure: display 0 main, 1 sub; column 0 count … 6 overloads.
    QString figure(int run, int display, int column) const;
    QString runName(int run) const;

  private:
    struct Row {
        QLabel* name = nullptr; // the run's name, on its main row
        QLabel* display = nullptr;
        QLabel* figures[kStatisticsColumns] = {};
    };
    void setRowCount(int runs);

    QGridLayout* m_grid;
    std::vector<Row> m_rows; // two per run: main, sub
};

} // namespace ostrel
