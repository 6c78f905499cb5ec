// GraphAdapter's zoom and inspection: the rubber band and the zoom to a span
// of points (the statistics' span), undo, and where points stand in pixels.
#include "graph/ui/graph_adapter.h"

#include "graph/ui/graph_adapter_chart.h"

#include <algorithm>
#include <cmath>

namespace ostrel {

using namespace graph_chart;

void GraphAdapter::setZoomEnabled(bool enabled) {
    m_zoomEnabled = enabled;
    m_plot->setSelectionRectMode(enabled ? QCP::srmCustom : QCP::srmNone);
}

bool GraphAdapter::zoomEnabled() const {
    return m_zoomEnabled;
}

bool GraphAdapter::isZoomed() const {
    return m_zoomed;
}

void GraphAdapter::zoomTo(const QRect& pixels) {
    const QRect area = pixels.intersected(m_plot->axisRect()->rect());
    if (!m_zoomEnabled || area.width() < kClickSlack || area.height() < kClickSlack)
        return;
    m_plot->axisRect()->zoom(QRectF(area));
    m_zoomed = true;
    m_plot->replot(QCustomPlot::rpQueuedReplot);
    emit zoomed();
}

std::pair<int, int> GraphAdapter::shownPoints() const {
    const int count = pointCount();
    if (!m_zoomed)
        return {0, count - 1};
    // A point within half a pixel of the edge counts as shown.
    const QCPRange range = m_plot->xAxis->range();
    const double slack = 0.5 * range.size() / std::max(1, m_plot->axisRect()->width());
    const auto clamped = [count](double point) {
        return static_cast<int>(std::clamp(point, -1.0, static_cast<double>(count)));
    };
    return {std::max(0, clamped(std::ceil(range.lower - slack - m_firstKey))),
            std::min(count - 1, clamped(std::floor(range.upper + slack - m_firstKey)))};
}

void GraphAdapter::zoomToPoints(int first, int last) {
    if (!m_zoomEnabled || first > last)
        return;
    m_plot->xAxis->setRange(keyOf(first) - 0.5, keyOf(last) + 0.5);
    m_zoomed = true;
    placeCursor();
    m_plot->replot(QCustomPlot::rpQueuedReplot);
    emit zoomed();
}

void GraphAdapter::undoZoom() {
    m_zoomed = false;
    applyXRange();
    applyYRange();
    m_plot->replot(QCustomPlot::rpQueuedReplot);
}

// --- inspection ---------------------------------------------------------------------

QPoint GraphAdapter::pointPixel(int point) const {
    if (point < 0 || point >= pointCount())
        return QPoint(-1, -1);
    const double value = yData(point);
    const double x = m_plot->xAxis->coordToPixel(keyOf(point));
    const double y =
        value == kNullValue ? m_plot->axisRect()->bottom() : m_plot->yAxis->coordToPixel(value);
    return m_plot->mapTo(
        this, QPoint(static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y))));
}

int GraphAdapter::pointAtPixel(int x) const {
    const int count = pointCount();
    if (count == 0)
        return -1;
    const int plotX = m_plot->mapFrom(this, QPoint(x, 0)).x();
    const double key = m_plot->xAxis->pixelToCoord(plotX);
    const auto point = static_cast<long long>(std::llround(key - m_firstKey));
    return static_cast<int>(std::clamp<long long>(point, 0, count - 1));
}

QRect GraphAdapter::plotArea() const {
    const QRect area = m_plot->axisRect()->rect();
    return QRect(m_plot->mapTo(this, area.topLeft()), area.size());
}

QStringList GraphAdapter::shownTickLabels() const {
    return m_ticker->shown();
}

} // namespace ostrel
