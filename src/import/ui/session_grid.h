#pragma once
// The table of a session page. A session may hold millions of readings, and
// a QTableView keeps a header section for every row of its model (a few
// bytes and some time each, even hidden): so the view's model shows only the
// rows that fit (SessionTableModel's window), and a scroll bar of the whole
// table's height, beside the view, moves that window by pixels, as a table
// scrolls. To the user it is one
// table: whole rows are chosen, the keys, the wheel and the scroll bar move
// through every row, and Copy takes the current cell.
//
// Rows here are rows of the whole table (from 0: the readings, then the
// empty last row), never rows of the window.

#include <QTableView>

class QScrollBar;

namespace ostrel {

class SessionList;
class SessionTableModel;

class SessionGrid : public QTableView {
    Q_OBJECT
  public:
    // A table over list inside holder, whose layout it fills together with
    // its scroll bar; list must outlive it.
    SessionGrid(const SessionList& list, QWidget* holder);

    // Rows of the whole table.
    int tableRows() const;
    // The text of a cell, as the table shows it.
    QString cellText(int row, int column) const;
    // The chosen row (-1: none) and the column of its current cell.
    int currentRow() const { return m_current; }
    int currentColumn() const { return m_column; }
    // The first row in view (perhaps in part) and how many rows fit whole.
    int topRow() const;
    int rowsInView() const { return m_wholeRows; }
    QScrollBar* rowScrollBar() const { return m_bar; }

    // Choose a row (its whole row is selected) and bring it into view.
    void chooseRow(int row, ScrollHint hint = EnsureVisible);
    // Bring a row into view as the hint says.
    void scrollToRow(int row, ScrollHint hint = EnsureVisible);
    void scrollToEnd();

    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void updateGeometries() override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

  private:
    int rowHeight() const;
    // The scroll bar's range: the whole table's height less the viewport's.
    int scrollRange() const;
    // Show the table from pixel y of its rows on: the window from the row
    // there, the view scrolled within that row.
    void scrollToPixel(int y);
    // Work out how many rows fit after a resize.
    void fit();
    // The view's selection and current cell from the chosen row.
    void showChosen();

    SessionTableModel* m_model;
    QScrollBar* m_bar;
    int m_current = -1;
    int m_column = 0;
    int m_wholeRows = 1;  // rows that fit whole
    int m_offset = 0;     // pixels of the window's first row above the view
    int m_fitHeight = -1; // the viewport's height the window was fitted to
    bool m_fitting = false;
    bool m_syncing = false;
};

} // namespace ostrel
