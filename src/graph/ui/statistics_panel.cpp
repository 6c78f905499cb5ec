#include "graph/ui/statistics_panel.h"

#include "base/string_table.h"
#include "base/ui/message_box.h"
#include "base/ui/user_settings.h"

#include <QGridLayout>
#include <QLabel>

namespace ostrel {
namespace {

constexpr int kTitleText = 7233;
constexpr int kMainText = 7142;
constexpr int kSubText = 7143;
constexpr int kFirstColumnText = 7238; // count, mean, σ, min, max, span, overloads
constexpr int kMixedFunctionsText = 7220;
const QString kShownKey = QStringLiteral("statistics/shown");

QLabel* Cell(QWidget* parent, Qt::Alignment alignment) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(alignment | Qt::AlignVCenter);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

bool StatisticsPanelsShown() {
    return UserSettings()->value(kShownKey, false).toBool();
}

void SetStatisticsPanelsShown(bool shown) {
    UserSettings()->setValue(kShownKey, shown);
}

StatisticsPanel::StatisticsPanel(QWidget* parent) : QFrame(parent) {
    setObjectName("StatisticsPanel");
    setFrameShape(QFrame::StyledPanel);
    m_grid = new QGridLayout(this);
    m_grid->setContentsMargins(6, 2, 6, 2);
    m_grid->setHorizontalSpacing(12);
    m_grid->setVerticalSpacing(1);
    auto* title = new QLabel(QText(kTitleText), this);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    m_grid->addWidget(title, 0, 0, 1, 2);
    for (int c = 0; c < kStatisticsColumns; ++c) {
        QLabel* head = Cell(this, c == 3 || c == 4 ? Qt::AlignLeft : Qt::AlignRight);
        head->setText(QText(kFirstColumnText + c));
        head->setFont(bold);
        m_grid->addWidget(head, 0, 2 + c);
    }
    m_grid->setColumnStretch(2 + kStatisticsColumns, 1);
}

void StatisticsPanel::setRowCount(int runs) {
    const auto wanted = static_cast<std::size_t>(runs) * 2;
    while (m_rows.size() > wanted) {
        Row& row = m_rows.back();
        for (QLabel* label : row.figures)
            delete label;
        delete row.name;
        delete row.display;
        m_rows.pop_back();
    }
    while (m_rows.size() < wanted) {
        const int index = static_cast<int>(m_rows.size());
        const int line = 1 + index;
        Row row;
        if (index % 2 == 0) {
            row.name = Cell(this, Qt::AlignLeft);
            m_grid->addWidget(row.name, line, 0);
        }
        row.display = Cell(this, Qt::AlignLeft);
        row.display->setText(QText(index % 2 == 0 ? kMainText : kSubText).trimmed());
        m_grid->addWidget(row.display, line, 1);
        for (int c = 0; c < kStatisticsColumns; ++c) {
            row.figures[c] = Cell(this, c == 3 || c == 4 ? Qt::AlignLeft : Qt::AlignRight);
            row.figures[c]->setObjectName(
                QStringLiteral("StatisticsFigure_%1_%2_%3").arg(index / 2).arg(index % 2).arg(c));
            m_grid->addWidget(row.figures[c], line, 2 + c);
        }
        m_rows.push_back(row);
    }
}

void StatisticsPanel::showRuns(const std::vector<StatisticsRun>& runs) {
    setRowCount(static_cast<int>(runs.size()));
    for (std::size_t r = 0; r < runs.size(); ++r) {
        m_rows[r * 2].name->setText(QString::fromStdString(runs[r].name));
        for (int d = 0; d < 2; ++d) {
            const StatisticsRow& figures = d == 0 ? runs[r].main : runs[r].sub;
            Row& row = m_rows[r * 2 + static_cast<std::size_t>(d)];
            for (int c = 0; c < kStatisticsColumns; ++c)
                row.figures[c]->setText(
                    QString::fromStdString(figures.figures[static_cast<std::size_t>(c)]));
            // Figures over more than one function mix their units: say so.
            const char* display = d == 0 ? "main" : "sub";
            row.display->setToolTip(figures.mixedFunctions ? QString::fromStdString(FormatText(
                                                                 kMixedFunctionsText, {display}))
                                                           : QString());
            row.display->setText(QText(d == 0 ? kMainText : kSubText).trimmed() +
                                 (figures.mixedFunctions ? QStringLiteral(" (!)") : QString()));
        }
    }
}

QString StatisticsPanel::figure(int run, int display, int column) const {
    const auto index = static_cast<std::size_t>(run * 2 + display);
    if (run < 0 || index >= m_rows.size() || column < 0 || column >= kStatisticsColumns)
        return QString();
    return m_rows[index].figures[column]->text();
}

QString StatisticsPanel::runName(int run) const {
    const auto index = static_cast<std::size_t>(run * 2);
    return run >= 0 && index < m_rows.size() ? m_rows[index].name->text() : QString();
}

} // namespace ostrel
