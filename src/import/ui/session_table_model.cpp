#include "import/ui/session_table_model.h"

#include "base/ui/message_box.h"
#include "graph/ui/graph_window_texts.h"
#include "import/session_page.h"
#include "import/ui/import_texts.h"

#include <algorithm>
#include <climits>

namespace ostrel {
namespace {

constexpr int kNumberColumnText = 7145; // "No."

} // namespace

SessionTableModel::SessionTableModel(const SessionList& list, QObject* parent)
    : QAbstractTableModel(parent), m_list(list) {}

int SessionTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_count;
}

int SessionTableModel::tableRows() const {
    return static_cast<int>(std::min<std::size_t>(SessionRowCount(m_list), INT_MAX));
}

void SessionTableModel::setWindow(int first, int count) {
    const int rows = tableRows();
    first = std::clamp(first, 0, rows);
    count = std::clamp(count, 0, rows - first);
    if (first == m_first && count == m_count)
        return;
    const int old = m_count;
    m_first = first;
    if (count < old) {
        beginRemoveRows({}, count, old - 1);
        m_count = count;
        endRemoveRows();
    } else if (count > old) {
        beginInsertRows({}, old, count - 1);
        m_count = count;
        endInsertRows();
    }
    // The rows both windows have now show other readings.
    if (const int kept = std::min(old, count); kept > 0)
        emit dataChanged(index(0, 0), index(kept - 1, kSessionColumns - 1), {Qt::DisplayRole});
}

int SessionTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kSessionColumns;
}

QString SessionTableModel::cellText(int row, int column) const {
    if (row < 0)
        return {};
    return QString::fromStdString(SessionCellText(m_list, static_cast<std::size_t>(row), column));
}

QVariant SessionTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole)
        return {};
    return cellText(m_first + index.row(), index.column());
}

QVariant SessionTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return {};
    static const int kTexts[kSessionColumns] = {kNumberColumnText, kTimeAxisText, kMainDataText,
                                                kSubDataText};
    return section >= 0 && section < kSessionColumns ? QText(kTexts[section]) : QVariant();
}

} // namespace ostrel
