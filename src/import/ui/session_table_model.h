#pragma once
// The table of one session page: a model over the session's list of pairs,
// four columns ("No.", "Time", "Main-Data", "Sub-Data"), one row per pair
// plus the empty row that ends every session table. The model shows a window
// of that table: the rows from first() on that its view has room for, so
// that neither it nor its view holds anything per reading, and cell texts
// are formed when the view asks for them.

#include "import/session_table.h"

#include <QAbstractTableModel>

namespace ostrel {

class SessionTableModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    // list must outlive the model (the window discards its pages first).
    explicit SessionTableModel(const SessionList& list, QObject* parent = nullptr);

    // The rows of the window.
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // Every row of the session's table: its pairs and the empty row.
    int tableRows() const;
    // The table row shown in the window's first row.
    int first() const { return m_first; }
    // Show rows first … first + count − 1 of the table (cut to the table).
    void setWindow(int first, int count);

    // The text of a cell of the whole table (row from 0), as the table shows it.
    QString cellText(int row, int column) const;

  private:
    const SessionList& m_list;
    int m_first = 0;
    int m_count = 0;
};

} // namespace ostrel
