#include "import/ui/session_grid.h"

#include "import/ui/session_table_model.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <climits>
#include <cstdint>

namespace ostrel {

SessionGrid::SessionGrid(const SessionList& list, QWidget* holder)
    : QTableView(holder), m_model(new SessionTableModel(list, this)),
      m_bar(new QScrollBar(Qt::Vertical, holder)) {
    setFrameShape(QFrame::NoFrame); // the holder draws the frame around the view and its bar
    setSelectionBehavior(SelectRows);
    setSelectionMode(SingleSelection);
    setEditTriggers(NoEditTriggers);
    setWordWrap(false);
    // One height for every row: the window's rows follow from the viewport's height.
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setModel(m_model);

    setVerticalScrollMode(ScrollPerPixel);
    connect(m_bar, &QScrollBar::valueChanged, this, &SessionGrid::scrollToPixel);
    // Should the view scroll itself, the window follows.
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int offset) {
        if (!m_syncing)
            scrollToPixel(topRow() * rowHeight() + offset);
    });
    auto* layout = new QHBoxLayout(holder);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(this, 1);
    layout->addWidget(m_bar);
    fit();
}

int SessionGrid::tableRows() const {
    return m_model->tableRows();
}

QString SessionGrid::cellText(int row, int column) const {
    return m_model->cellText(row, column);
}

int SessionGrid::topRow() const {
    return m_model->first();
}

int SessionGrid::rowHeight() const {
    return std::max(verticalHeader()->defaultSectionSize(), 1);
}

int SessionGrid::scrollRange() const {
    const std::int64_t height = std::int64_t{tableRows()} * rowHeight() - viewport()->height();
    return static_cast<int>(std::clamp<std::int64_t>(height, 0, INT_MAX));
}

void SessionGrid::chooseRow(int row, ScrollHint hint) {
    m_current = std::clamp(row, -1, tableRows() - 1);
    if (m_current >= 0)
        scrollToRow(m_current, hint);
    showChosen();
}

void SessionGrid::scrollToRow(int row, ScrollHint hint) {
    // In pixels of the whole table, as a table that scrolls by pixels does it.
    const std::int64_t top = std::int64_t{row} * rowHeight();
    const std::int64_t bottom = top + rowHeight();
    const int height = viewport()->height();
    std::int64_t y = m_bar->value();
    switch (hint) {
    case PositionAtTop:
        y = top;
        break;
    case PositionAtBottom:
        y = bottom - height;
        break;
    case PositionAtCenter:
        y = top - (height - rowHeight()) / 2;
        break;
    case EnsureVisible:
        if (top < y)
            y = top;
        else if (bottom > y + height)
            y = bottom - height;
        break;
    }
    scrollToPixel(static_cast<int>(std::clamp<std::int64_t>(y, 0, INT_MAX)));
}

void SessionGrid::scrollToEnd() {
    scrollToPixel(scrollRange());
}

void SessionGrid::scrollTo(const QModelIndex& index, ScrollHint hint) {
    // The window showing the chosen row again scrolls nothing: only a row
    // chosen in the view itself is brought into view.
    if (!index.isValid() || m_syncing)
        return;
    const int row = topRow() + index.row();
    scrollToRow(row, hint);
    // The row is in view now; the columns scroll as in any table.
    const int inWindow = row - topRow();
    if (inWindow >= 0 && inWindow < m_model->rowCount())
        QTableView::scrollTo(m_model->index(inWindow, index.column()), EnsureVisible);
}

void SessionGrid::scrollToPixel(int y) {
    y = std::clamp(y, 0, scrollRange());
    const int rowHeight = this->rowHeight();
    const int top = y / rowHeight;
    m_offset = y % rowHeight;
    // The rows from top on that the viewport shows, the first one from m_offset on.
    const int rows = std::max((viewport()->height() + m_offset + rowHeight - 1) / rowHeight, 1);
    {
        const QScopedValueRollback quiet(m_syncing, true);
        const int before = m_model->rowCount();
        m_model->setWindow(top, rows);
        if (m_model->rowCount() != before)
            updateGeometries(); // the view's own range, for the offset below
        verticalScrollBar()->setValue(m_offset);
    }
    if (m_bar->value() != y) {
        const QSignalBlocker quiet(m_bar);
        m_bar->setValue(y);
    }
    showChosen();
}

void SessionGrid::fit() {
    const QScopedValueRollback fitting(m_fitting, true);
    const int height = viewport()->height();
    m_fitHeight = height;
    m_wholeRows = std::max(height / rowHeight(), 1);
    {
        const QSignalBlocker quiet(m_bar);
        m_bar->setSingleStep(rowHeight());
        m_bar->setPageStep(std::max(height, 1));
        m_bar->setRange(0, scrollRange());
    }
    scrollToPixel(m_bar->value());
}

void SessionGrid::showChosen() {
    const QScopedValueRollback quiet(m_syncing, true);
    const int inWindow = m_current - topRow();
    if (m_current >= 0 && inWindow >= 0 && inWindow < m_model->rowCount())
        selectionModel()->setCurrentIndex(m_model->index(inWindow, m_column),
                                          QItemSelectionModel::ClearAndSelect |
                                              QItemSelectionModel::Rows);
    else
        selectionModel()->clear();
}

void SessionGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    // A cell chosen in the view (a click, a key the view handles itself).
    if (!m_syncing && current.isValid()) {
        m_current = topRow() + current.row();
        m_column = current.column();
    }
    QTableView::currentChanged(current, previous);
}

void SessionGrid::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        // The current cell, also when it is scrolled out of view.
        if (m_current >= 0)
            QApplication::clipboard()->setText(cellText(m_current, m_column));
        event->accept();
        return;
    }
    const bool control = event->modifiers() & Qt::ControlModifier;
    const int last = tableRows() - 1;
    const int lastColumn = m_model->columnCount() - 1;
    int row = m_current;
    int column = m_column;
    switch (event->key()) {
    case Qt::Key_Up:
        --row;
        break;
    case Qt::Key_Down:
        ++row;
        break;
    case Qt::Key_PageUp:
        row -= m_wholeRows;
        break;
    case Qt::Key_PageDown:
        row += m_wholeRows;
        break;
    case Qt::Key_Home:
        column = 0;
        if (control)
            row = 0;
        break;
    case Qt::Key_End:
        column = lastColumn;
        if (control)
            row = last;
        break;
    case Qt::Key_Left:
        --column;
        break;
    case Qt::Key_Right:
        ++column;
        break;
    default:
        QTableView::keyPressEvent(event);
        return;
    }
    // Without a chosen row any of these keys chooses the first cell.
    if (m_current < 0) {
        row = 0;
        column = 0;
    }
    m_column = std::clamp(column, 0, lastColumn);
    chooseRow(std::clamp(row, 0, last));
    QTableView::scrollTo(currentIndex()); // the column into view
    event->accept();
}

void SessionGrid::wheelEvent(QWheelEvent* event) {
    // As a scroll area does it, with the window's bar for the rows.
    if (std::abs(event->angleDelta().x()) > std::abs(event->angleDelta().y()))
        QTableView::wheelEvent(event);
    else
        QCoreApplication::sendEvent(m_bar, event);
}

void SessionGrid::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    fit();
}

void SessionGrid::updateGeometries() {
    {
        // The view scrolls only within the first row of its window.
        const QScopedValueRollback quiet(m_syncing, true);
        QTableView::updateGeometries();
        verticalScrollBar()->setValue(m_offset);
    }
    // The horizontal scroll bar came or went: another height to fill.
    if (model() == m_model && viewport()->height() != m_fitHeight && !m_fitting)
        fit();
}

} // namespace ostrel
