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
    if (parent.isValid())
        return 0;
    return static_cast<int>(std::min<std::size_t>(SessionRowCount(m_list), INT_MAX));
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
    return cellText(index.row(), index.column());
}

QVariant SessionTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return {};
    static const int kTexts[kSessionColumns] = {kNumberColumnText, kTimeAxisText, kMainDataText,
                                                kSubDataText};
    return section >= 0 && section < kSessionColumns ? QText(kTexts[section]) : QVariant();
}

} // namespace ostrel
