// GraphAdapter's chart: the line that leaves no dot at a gap, the x ticker,
// and the adapter's construction (fonts, axes, cursor, rubber band).
#include "graph/ui/graph_adapter.h"

#include "graph/ui/graph_adapter_chart.h"

#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace ostrel {

using namespace graph_chart;

// A line graph whose null points leave no dot. The chart places the dot of a
// null (NaN) value at pixel (0, 0), outside the axes, where the screen clips
// it but a picture (SVG above all) would show it: only dots inside the axes
// are drawn.
class GraphAdapter::Line : public QCPGraph {
  public:
    using QCPGraph::QCPGraph;

  protected:
    void drawScatterPlot(QCPPainter* painter, const QVector<QPointF>& scatters,
                         const QCPScatterStyle& style) const override {
        const double room = style.size();
        const QRectF area =
            QRectF(keyAxis()->axisRect()->rect()).adjusted(-room, -room, room, room);
        QVector<QPointF> shown;
        shown.reserve(scatters.size());
        for (const QPointF& point : scatters)
            if (area.contains(point))
                shown.append(point);
        QCPGraph::drawScatterPlot(painter, shown, style);
    }
};

void GraphAdapter::Ticker::generate(const QCPRange& range, const QLocale& locale, QChar formatChar,
                                    int precision, QVector<double>& ticks,
                                    QVector<double>* subTicks, QVector<QString>* tickLabels) {
    QCPAxisTicker::generate(range, locale, formatChar, precision, ticks, subTicks, tickLabels);
    m_shown.clear();
    if (tickLabels)
        for (const QString& label : *tickLabels)
            m_shown << label;
}

double GraphAdapter::Ticker::getTickStep(const QCPRange& range) {
    const QFontMetrics metrics(m_axis->tickLabelFont());
    const int labelWidth = metrics.horizontalAdvance(m_widest) + kLabelSpacing;
    // Ticks are made before the layout of a new size: take the new width
    // less the margins of the last layout.
    const QCPAxisRect* rect = m_axis->axisRect();
    const int margins = rect->outerRect().width() - rect->width();
    const int width = m_axis->parentPlot()->viewport().width() - margins;
    const int room = std::max(1, width / std::max(1, labelWidth));
    const double wanted = range.size() / room;
    double step = 1.0;
    // 1, 2, 5, 10, 20, 50, …
    for (int i = 0; step < wanted && i < 60; ++i)
        step *= (i % 3 == 1) ? 2.5 : 2.0;
    return step;
}

QVector<double> GraphAdapter::Ticker::createTickVector(double step, const QCPRange& range) {
    QVector<double> ticks;
    const int count = m_owner.pointCount();
    if (count == 0)
        return ticks;
    const double first = std::max(range.lower, m_owner.m_firstKey);
    const double last = std::min(range.upper, m_owner.m_firstKey + count - 1);
    const double anchor = m_owner.m_tickAnchor;
    for (double key = anchor + std::ceil((first - anchor) / step) * step; key <= last; key += step)
        ticks << key;
    return ticks;
}

QString GraphAdapter::Ticker::getTickLabel(double tick, const QLocale&, QChar, int) {
    const auto point = static_cast<int>(std::llround(tick - m_owner.m_firstKey));
    const QString label = m_owner.pointLabel(point);
    return IsBlankLabel(label) ? QString() : label;
}

GraphAdapter::GraphAdapter(QWidget* parent)
    : QWidget(parent), m_plot(std::make_unique<Plot>(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_plot.get());
    setFocusProxy(m_plot.get());
    m_plot->setFocusPolicy(Qt::StrongFocus);
    m_desk = palette().color(QPalette::Button);

    QCustomPlot& p = *m_plot;
    new Line(p.xAxis, p.yAxis); // the chart owns it, as graph(0)
    p.graph(0)->setLineStyle(QCPGraph::lsLine);
    // Fonts sized in pixels: a picture of the graph drawn on a printer or into
    // SVG keeps the proportions of the screen, whatever the device resolution.
    QFont text = font();
    text.setPixelSize(kTextPixels);
    QFont title = text;
    title.setPixelSize(kTitlePixels);
    p.plotLayout()->insertRow(0);
    p.plotLayout()->addElement(0, 0, new QCPTextElement(&p, QString(), title));
    p.legend->setFont(text);
    m_ticker = new Ticker(*this, p.xAxis);
    p.xAxis->setTicker(QSharedPointer<QCPAxisTicker>(m_ticker));
    p.yAxis->setNumberFormat(QStringLiteral("f"));
    p.yAxis->setNumberPrecision(3); // three decimals
    for (QCPAxis* axis : {p.xAxis, p.yAxis}) {
        axis->setTickLabelFont(text);
        axis->setLabelFont(text);
        axis->grid()->setVisible(true);
        axis->setSubTicks(false);
    }
    p.legend->setVisible(false);

    auto* cursor = new QCPItemStraightLine(&p);
    cursor->setObjectName(QStringLiteral("cursor"));
    cursor->setSelectable(false);

    p.setSelectionRectMode(QCP::srmCustom);
    connect(p.selectionRect(), &QCPSelectionRect::accepted, this,
            [this](const QRect& rect, QMouseEvent*) { zoomTo(rect); });

    applyColours();
    reserveLabelRoom();
    setPointCount(0);
}

GraphAdapter::~GraphAdapter() {
    // The ticker refers to this adapter: let the chart drop it first.
    m_plot.reset();
}

} // namespace ostrel
