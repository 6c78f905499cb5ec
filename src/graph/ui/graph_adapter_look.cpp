// GraphAdapter's look and cursor: titles, axis labels, colours (and their
// black-on-white print style), the room kept for the x labels, and the
// cursor that the mouse and the arrow keys move from point to point.
#include "graph/ui/graph_adapter.h"

#include "graph/ui/graph_adapter_chart.h"

#include <algorithm>

namespace ostrel {

using namespace graph_chart;

namespace {

// A colour that stands out on the given background (the cursor line).
QColor Contrast(const QColor& back) {
    return back.lightness() < 128 ? QColor(Qt::white) : QColor(Qt::black);
}

} // namespace

void GraphAdapter::setMainTitle(const QString& title) {
    m_title = title;
    auto* element = static_cast<QCPTextElement*>(m_plot->plotLayout()->element(0, 0));
    element->setText(m_subTitle.isEmpty() ? m_title : m_title + '\n' + m_subTitle);
}

QString GraphAdapter::mainTitle() const {
    return m_title;
}

void GraphAdapter::setSubTitle(const QString& title) {
    m_subTitle = title;
    setMainTitle(m_title);
}

QString GraphAdapter::subTitle() const {
    return m_subTitle;
}

void GraphAdapter::setXAxisLabel(const QString& label) {
    m_plot->xAxis->setLabel(label);
}

QString GraphAdapter::xAxisLabel() const {
    return m_plot->xAxis->label();
}

void GraphAdapter::setYAxisLabel(const QString& label) {
    m_plot->yAxis->setLabel(label);
}

QString GraphAdapter::yAxisLabel() const {
    return m_plot->yAxis->label();
}

void GraphAdapter::setSubsetLabel(const QString& label) {
    m_plot->graph(0)->setName(label);
    m_plot->legend->setVisible(!label.isEmpty());
}

QString GraphAdapter::subsetLabel() const {
    return m_plot->graph(0)->name();
}

void GraphAdapter::setDeskColor(const QColor& color) {
    m_desk = color;
    applyColours();
}

void GraphAdapter::setGraphBackColor(const QColor& color) {
    m_back = color;
    applyColours();
}

void GraphAdapter::setGraphForeColor(const QColor& color) {
    m_fore = color;
    applyColours();
}

void GraphAdapter::setLineColor(const QColor& color) {
    m_line = color;
    applyColours();
}

QColor GraphAdapter::lineColor() const {
    return m_line;
}

QColor GraphAdapter::deskColor() const {
    return m_desk;
}

QColor GraphAdapter::graphBackColor() const {
    return m_back;
}

QColor GraphAdapter::graphForeColor() const {
    return m_fore;
}

void GraphAdapter::setWidestLabel(const QString& label) {
    m_ticker->setWidestLabel(label);
    reserveLabelRoom();
}

void GraphAdapter::reserveLabelRoom() {
    // The chart leaves out an x label that would cross the widget's edge: room
    // for half the widest label right of the axes keeps the label of the last
    // point, which the newest samples of a recording have.
    const QFontMetrics metrics(m_plot->xAxis->tickLabelFont());
    const int half = (metrics.horizontalAdvance(m_ticker->widestLabel()) + 1) / 2;
    QMargins margins = m_plot->axisRect()->minimumMargins();
    margins.setRight(half + kClickSlack);
    m_plot->axisRect()->setMinimumMargins(margins);
}

void GraphAdapter::applyColours() {
    const bool mono = m_style == ViewingStyle::Monochrome;
    const QColor desk = mono ? QColor(Qt::white) : m_desk;
    const QColor back = mono ? QColor(Qt::white) : m_back;
    const QColor fore = mono ? QColor(Qt::black) : m_fore;
    const QColor line = mono ? QColor(Qt::black) : m_line;
    QCustomPlot& p = *m_plot;
    p.setBackground(desk);
    p.axisRect()->setBackground(back);
    for (QCPAxis* axis : {p.xAxis, p.yAxis}) {
        axis->setBasePen(QPen(fore));
        axis->setTickPen(QPen(fore));
        axis->setTickLabelColor(fore);
        axis->setLabelColor(fore);
        axis->grid()->setPen(QPen(fore, 0, Qt::DotLine));
        axis->grid()->setZeroLinePen(QPen(fore, 0, Qt::DotLine));
    }
    static_cast<QCPTextElement*>(p.plotLayout()->element(0, 0))->setTextColor(fore);
    p.graph(0)->setPen(QPen(line, 0));
    p.legend->setTextColor(fore);
    p.legend->setBrush(back);
    p.legend->setBorderPen(QPen(fore));
    auto* cursor = static_cast<QCPItemStraightLine*>(p.item(0));
    cursor->setPen(QPen(Contrast(back), 0, Qt::DashLine));
    p.replot(QCustomPlot::rpQueuedReplot);
}

// --- cursor -------------------------------------------------------------------------

void GraphAdapter::setCursorPoint(int point) {
    m_cursor = std::clamp(point, 0, std::max(0, pointCount() - 1));
    placeCursor();
    m_plot->replot(QCustomPlot::rpQueuedReplot);
}

int GraphAdapter::cursorPoint() const {
    return m_cursor;
}

void GraphAdapter::placeCursor() {
    auto* cursor = static_cast<QCPItemStraightLine*>(m_plot->item(0));
    const double key = keyOf(m_cursor);
    cursor->point1->setCoords(key, 0.0);
    cursor->point2->setCoords(key, 1.0);
    cursor->setVisible(pointCount() > 0);
}

void GraphAdapter::moveCursorBy(int delta) {
    if (pointCount() == 0)
        return;
    const int before = m_cursor;
    setCursorPoint(m_cursor + delta);
    if (m_cursor != before)
        emit cursorMoved(m_cursor);
}

void GraphAdapter::clickAt(const QPoint& pos) {
    if (!m_plot->axisRect()->rect().contains(pos))
        return;
    const int point = pointAtPixel(m_plot->mapTo(this, pos).x());
    if (point < 0)
        return;
    setCursorPoint(point);
    emit cursorMoved(m_cursor);
}

void GraphAdapter::keyDown(int key, Qt::KeyboardModifiers modifiers) {
    if (key == Qt::Key_Left && modifiers == Qt::NoModifier)
        moveCursorBy(-1);
    else if (key == Qt::Key_Right && modifiers == Qt::NoModifier)
        moveCursorBy(1);
    else
        emit keyPressed(key, modifiers);
}

} // namespace ostrel
