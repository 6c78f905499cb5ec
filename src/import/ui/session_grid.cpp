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

    m_bar->setSingleStep(1);
    connect(m_bar, &QScrollBar::valueChanged, this, &SessionGrid::setTop);
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

void SessionGrid::chooseRow(int row, ScrollHint hint) {
    m_current = std::clamp(row, -1, tableRows() - 1);
    if (m_current >= 0)
        scrollToRow(m_current, hint);
    showChosen();
}

void SessionGrid::scrollToRow(int row, ScrollHint hint) {
    int top = topRow();
    switch (hint) {
    case PositionAtTop:
        top = row;
        break;
    case PositionAtBottom:
        top = row - m_wholeRows + 1;
        break;
    case PositionAtCenter:
        top = row - m_wholeRows / 2;
        break;
    case EnsureVisible:
        if (row < top)
            top = row;
        else if (row >= top + m_wholeRows)
            top = row - m_wholeRows + 1;
        break;
    }
    setTop(top);
}

void SessionGrid::scrollToEnd() {
    setTop(tableRows());
}

void SessionGrid::scrollTo(const QModelIndex& index, ScrollHint hint) {
    if (!index.isValid())
        return;
    int inWindow = index.row();
    if (!m_syncing) {
        const int row = topRow() + index.row();
        scrollToRow(row, hint);
        inWindow = row - topRow();
    }
    // The window's rows are all in view; the columns scroll as in any table.
    if (inWindow >= 0 && inWindow < m_model->rowCount())
        QTableView::scrollTo(m_model->index(inWindow, index.column()), hint);
}

void SessionGrid::setTop(int top) {
    top = std::clamp(top, 0, std::max(tableRows() - m_wholeRows, 0));
    {
        const QScopedValueRollback quiet(m_syncing, true);
        m_model->setWindow(top, m_shownRows);
    }
    if (m_bar->value() != top) {
        const QSignalBlocker quiet(m_bar);
        m_bar->setValue(top);
    }
    showChosen();
}

void SessionGrid::fit() {
    const int rowHeight = std::max(verticalHeader()->defaultSectionSize(), 1);
    const int height = viewport()->height();
    m_wholeRows = std::max(height / rowHeight, 1);
    m_shownRows = std::max((height + rowHeight - 1) / rowHeight, 1);
    {
        const QSignalBlocker quiet(m_bar);
        m_bar->setPageStep(m_wholeRows);
        m_bar->setRange(0, std::max(tableRows() - m_wholeRows, 0));
    }
    setTop(m_bar->value());
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
    QTableView::updateGeometries();
    // The view never scrolls its rows itself: the window moves instead.
    verticalScrollBar()->setRange(0, 0);
}

} // namespace ostrel
