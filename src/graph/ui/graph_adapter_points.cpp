// GraphAdapter's points: values, x labels and gaps kept in a ring so that
// appending drops the oldest point without shifting; the rebuild that hands
// them to the chart; the x and y ranges shown.
#include "graph/ui/graph_adapter.h"

#include "graph/ui/graph_adapter_chart.h"

#include <algorithm>
#include <limits>

namespace ostrel {

using namespace graph_chart;

int GraphAdapter::slot(int point) const {
    return (m_head + point) % pointCount();
}

double GraphAdapter::keyOf(int point) const {
    return m_firstKey + point;
}

void GraphAdapter::setPointCount(int count) {
    count = std::max(0, count);
    m_values.assign(static_cast<std::size_t>(count), kNullValue);
    m_labels.assign(static_cast<std::size_t>(count), QStringLiteral(" "));
    m_breaks.assign(static_cast<std::size_t>(count), false);
    m_head = 0;
    m_firstKey = 0.0;
    m_cursor = 0;
    m_zoomed = false;
    m_dirty = true;
}

int GraphAdapter::pointCount() const {
    return static_cast<int>(m_values.size());
}

void GraphAdapter::setYData(int point, double value) {
    if (point < 0 || point >= pointCount())
        return;
    m_values[static_cast<std::size_t>(slot(point))] = value;
    m_dirty = true;
}

double GraphAdapter::yData(int point) const {
    if (point < 0 || point >= pointCount())
        return kNullValue;
    return m_values[static_cast<std::size_t>(slot(point))];
}

void GraphAdapter::setPointLabel(int point, const QString& label) {
    if (point < 0 || point >= pointCount())
        return;
    m_labels[static_cast<std::size_t>(slot(point))] = label;
    m_dirty = true;
}

void GraphAdapter::setBreakBefore(int point, bool gap) {
    if (point < 0 || point >= pointCount())
        return;
    m_breaks[static_cast<std::size_t>(slot(point))] = gap;
    m_dirty = true;
}

bool GraphAdapter::breakBefore(int point) const {
    return point >= 0 && point < pointCount() && m_breaks[static_cast<std::size_t>(slot(point))];
}

QString GraphAdapter::pointLabel(int point) const {
    if (point < 0 || point >= pointCount())
        return QString();
    return m_labels[static_cast<std::size_t>(slot(point))];
}

void GraphAdapter::appendPoint(const QString& label, double value) {
    const int count = pointCount();
    if (count == 0)
        return;
    const auto oldest = static_cast<std::size_t>(m_head);
    m_values[oldest] = value;
    m_labels[oldest] = label;
    m_breaks[oldest] = false;
    m_head = (m_head + 1) % count;
    m_firstKey += 1.0;
    if (!m_hasTickAnchor && !IsBlankLabel(label)) {
        m_tickAnchor = keyOf(count - 1);
        m_hasTickAnchor = true;
    }
    if (!m_dirty) {
        QSharedPointer<QCPGraphDataContainer> data = m_plot->graph(0)->data();
        data->removeBefore(m_firstKey);
        data->add(QCPGraphData(keyOf(count - 1), PlotValue(value)));
    }
    // The view stays on the same points: the keys under it moved by one.
    QCPAxis* x = m_plot->xAxis;
    x->setRange(x->range().lower + 1.0, x->range().upper + 1.0);
    placeCursor();
    m_plot->replot(QCustomPlot::rpQueuedReplot);
}

void GraphAdapter::syncData() {
    const int count = pointCount();
    QVector<QCPGraphData> data;
    data.reserve(count);
    for (int i = 0; i < count; ++i) {
        // A null value half-way breaks the line without a point of its own.
        if (i > 0 && breakBefore(i))
            data.append(QCPGraphData(keyOf(i) - 0.5, std::numeric_limits<double>::quiet_NaN()));
        data.append(QCPGraphData(keyOf(i), PlotValue(yData(i))));
    }
    m_plot->graph(0)->data()->set(data, true);
    m_dirty = false;
    // Ticks count from the oldest labelled point.
    m_hasTickAnchor = false;
    m_tickAnchor = m_firstKey;
    for (int i = 0; i < count && !m_hasTickAnchor; ++i)
        if (!IsBlankLabel(pointLabel(i))) {
            m_tickAnchor = keyOf(i);
            m_hasTickAnchor = true;
        }
}

void GraphAdapter::rebuild() {
    if (m_dirty)
        syncData();
    if (!m_zoomed) {
        applyXRange();
        applyYRange();
    }
    // Dots for each point while they stay apart.
    const bool markers = pointCount() > 0 && pointCount() <= kMarkerLimit;
    m_plot->graph(0)->setScatterStyle(markers ? QCPScatterStyle(QCPScatterStyle::ssDisc, 4)
                                              : QCPScatterStyle(QCPScatterStyle::ssNone));
    placeCursor();
    m_plot->replot(QCustomPlot::rpQueuedReplot);
}

void GraphAdapter::replotNow() {
    if (m_dirty)
        rebuild();
    m_plot->replot(QCustomPlot::rpImmediateRefresh);
}

void GraphAdapter::applyXRange() {
    const int count = std::max(1, pointCount());
    m_plot->xAxis->setRange(m_firstKey - 0.5, m_firstKey + count - 0.5);
}

void GraphAdapter::applyYRange() {
    double low = m_minY;
    double high = m_maxY;
    if (!(high > low)) // an empty or reversed range still shows something
        high = low + 1.0;
    m_plot->yAxis->setRange(low, high);
}

// --- y range --------------------------------------------------------------------

void GraphAdapter::setManualMaxY(double maximum) {
    m_maxY = maximum;
    if (!m_zoomed)
        applyYRange();
}

void GraphAdapter::setManualMinY(double minimum) {
    m_minY = minimum;
    if (!m_zoomed)
        applyYRange();
}

double GraphAdapter::manualMaxY() const {
    return m_maxY;
}

double GraphAdapter::manualMinY() const {
    return m_minY;
}

} // namespace ostrel
