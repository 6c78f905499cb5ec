#pragma once
// The table of one session page: a model over the session's list of pairs,
// four columns ("No.", "Time", "Main-Data", "Sub-Data") and one row per pair
// plus the empty row that ends every session table. Cell texts are formed
// when the view asks for them, so a session of millions of readings costs no
// memory beyond its pairs.

#include "import/session_table.h"

#include <QAbstractTableModel>

namespace ostrel {

class SessionTableModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    // list must outlive the model (the window discards its pages first).
    explicit SessionTableModel(const SessionList& list, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // The text of a cell (row from 0), as the table shows it.
    QString cellText(int row, int column) const;

  private:
    const SessionList& m_list;
};

} // namespace ostrel
