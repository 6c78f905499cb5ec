#include "graph/ui/graph_adapter.h"

#include "base/atomic_file.h"

#include <qcustomplot.h>

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPicture>
#include <QPrinter>
#include <QSvgGenerator>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <limits>

namespace ostrel {
namespace {

constexpr int kClickSlack = 3;      // pixels a click may move and still be a click
constexpr int kLabelSpacing = 14;   // pixels between two x labels
constexpr int kMarkerLimit = 400;   // points drawn as dots up to this many visible points
constexpr double kScreenDpi = 96.0; // the resolution on-screen proportions refer to
constexpr int kTextPixels = 12;
constexpr int kTitlePixels = 16;

double PlotValue(double value) {
    return value == GraphAdapter::kNullValue ? std::numeric_limits<double>::quiet_NaN() : value;
}

// A colour that stands out on the given background (the cursor line).
QColor Contrast(const QColor& back) {
    return back.lightness() < 128 ? QColor(Qt::white) : QColor(Qt::black);
}

// "" or blanks: a point without a label.
bool IsBlankLabel(const QString& label) {
    return label.trimmed().isEmpty();
}

bool WriteAtomically(const QString& path, const QByteArray& bytes) {
    AtomicFile file;
    return file.open(path.toStdString()) && file.write(bytes.constData(), bytes.size()) &&
           file.commit();
}

} // namespace

// The chart widget: forwards clicks, keys and the rubber band to the adapter.
class GraphAdapter::Plot : public QCustomPlot {
  public:
    explicit Plot(GraphAdapter* owner) : QCustomPlot(owner), m_owner(owner) {}
    void relayout() { updateLayout(); }

  protected:
    void mousePressEvent(QMouseEvent* event) override {
        m_pressPos = event->position().toPoint();
        QCustomPlot::mousePressEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        const QPoint pos = event->position().toPoint();
        const bool click = (pos - m_pressPos).manhattanLength() <= kClickSlack;
        QCustomPlot::mouseReleaseEvent(event);
        if (click && event->button() == Qt::LeftButton)
            m_owner->clickAt(pos);
    }
    void wheelEvent(QWheelEvent* event) override { event->ignore(); }
    void keyPressEvent(QKeyEvent* event) override {
        m_owner->keyDown(event->key(), event->modifiers());
        event->accept();
    }

  private:
    GraphAdapter* m_owner;
    QPoint m_pressPos;
};

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

// x ticks on points, labelled with the points' labels; as many as fit side by
// side without overlapping, a round step apart, counted from the oldest
// labelled point (the tick anchor), so that a recording shorter than the
// graph has labels too and a label travels with its point while points are
// appended.
class GraphAdapter::Ticker : public QCPAxisTicker {
  public:
    Ticker(const GraphAdapter& owner, QCPAxis* axis) : m_owner(owner), m_axis(axis) {}

    void setWidestLabel(const QString& label) { m_widest = label; }
    const QString& widestLabel() const { return m_widest; }
    const QStringList& shown() const { return m_shown; }

    void generate(const QCPRange& range, const QLocale& locale, QChar formatChar, int precision,
                  QVector<double>& ticks, QVector<double>* subTicks,
                  QVector<QString>* tickLabels) override {
        QCPAxisTicker::generate(range, locale, formatChar, precision, ticks, subTicks, tickLabels);
        m_shown.clear();
        if (tickLabels)
            for (const QString& label : *tickLabels)
                m_shown << label;
    }

  protected:
    double getTickStep(const QCPRange& range) override {
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
    int getSubTickCount(double) override { return 0; }
    QVector<double> createTickVector(double step, const QCPRange& range) override {
        QVector<double> ticks;
        const int count = m_owner.pointCount();
        if (count == 0)
            return ticks;
        const double first = std::max(range.lower, m_owner.m_firstKey);
        const double last = std::min(range.upper, m_owner.m_firstKey + count - 1);
        const double anchor = m_owner.m_tickAnchor;
        for (double key = anchor + std::ceil((first - anchor) / step) * step; key <= last;
             key += step)
            ticks << key;
        return ticks;
    }
    QString getTickLabel(double tick, const QLocale&, QChar, int) override {
        const auto point = static_cast<int>(std::llround(tick - m_owner.m_firstKey));
        const QString label = m_owner.pointLabel(point);
        return IsBlankLabel(label) ? QString() : label;
    }

  private:
    const GraphAdapter& m_owner;
    QCPAxis* m_axis;
    QString m_widest = QStringLiteral("00:00:00.000");
    QStringList m_shown;
};

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

// --- points -------------------------------------------------------------------

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

// --- titles and colours ---------------------------------------------------------------

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

// --- zoom -------------------------------------------------------------------------

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

// --- images and printing ------------------------------------------------------------

void GraphAdapter::setViewingStyle(ViewingStyle style) {
    m_style = style;
    applyColours();
}

GraphAdapter::ViewingStyle GraphAdapter::viewingStyle() const {
    return m_style;
}

QImage GraphAdapter::toImage(QSize size) const {
    if (size.isEmpty())
        size = m_plot->size();
    if (size.isEmpty())
        return QImage();
    auto* cursor = m_plot->item(0);
    const bool cursorShown = cursor->visible();
    cursor->setVisible(false); // the cursor belongs to the screen, not to pictures
    const QImage image = m_plot->toPixmap(size.width(), size.height()).toImage();
    cursor->setVisible(cursorShown);
    m_plot->relayout(); // back to the widget's own size
    return image;
}

bool GraphAdapter::saveBitmap(const QString& path, QSize size) const {
    const QImage image = toImage(size);
    if (image.isNull())
        return false;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const char* format = path.endsWith(QStringLiteral(".bmp"), Qt::CaseInsensitive) ? "BMP" : "PNG";
    return image.save(&buffer, format) && WriteAtomically(path, bytes);
}

void GraphAdapter::copyBitmapToClipboard(QSize size) const {
    const QImage image = toImage(size);
    if (!image.isNull())
        QApplication::clipboard()->setImage(image);
}

QByteArray GraphAdapter::toSvg(QSize size, double dotsPerInch) const {
    if (size.isEmpty())
        return QByteArray();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(size);
    generator.setViewBox(QRect(QPoint(0, 0), size));
    generator.setResolution(std::max(1, static_cast<int>(std::lround(dotsPerInch))));
    generator.setTitle(m_title);
    {
        QPainter painter(&generator);
        paintOn(painter, QRectF(QPointF(0, 0), size));
    }
    return bytes;
}

bool GraphAdapter::saveSvg(const QString& path, QSize size, double dotsPerInch) const {
    const QByteArray svg = toSvg(size, dotsPerInch);
    return !svg.isEmpty() && WriteAtomically(path, svg);
}

void GraphAdapter::copySvgToClipboard(QSize size, double dotsPerInch) const {
    const QByteArray svg = toSvg(size, dotsPerInch);
    if (svg.isEmpty())
        return;
    auto* data = new QMimeData;
    data->setData(QStringLiteral("image/svg+xml"), svg);
    data->setImageData(toImage(size));
    QApplication::clipboard()->setMimeData(data);
}

void GraphAdapter::paintOn(QPainter& painter, const QRectF& target) const {
    if (!painter.isActive() || target.isEmpty())
        return;
    // Lay the graph out at the size it would have on a screen of the same
    // physical size, then scale it onto the target.
    const double dpi = painter.device() ? painter.device()->logicalDpiX() : kScreenDpi;
    const double scale = std::max(0.01, dpi / kScreenDpi);
    const int width = std::max(1, static_cast<int>(target.width() / scale));
    const int height = std::max(1, static_cast<int>(target.height() / scale));

    auto* cursor = m_plot->item(0);
    const bool cursorShown = cursor->visible();
    cursor->setVisible(false);
    QPicture picture;
    {
        QCPPainter recorder(&picture);
        m_plot->toPainter(&recorder, width, height);
    }
    cursor->setVisible(cursorShown);
    m_plot->relayout();

    // Playing a picture scales it by the device's resolution over the
    // picture's own already; the scale here is what remains.
    const double playedX =
        painter.device() ? double(painter.device()->logicalDpiX()) / picture.logicalDpiX() : 1.0;
    const double playedY =
        painter.device() ? double(painter.device()->logicalDpiY()) / picture.logicalDpiY() : 1.0;
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(target.width() / width / playedX, target.height() / height / playedY);
    painter.drawPicture(0, 0, picture);
    painter.restore();
}

bool GraphAdapter::print(QPrinter& printer) const {
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    paintOn(painter, QRectF(painter.viewport()));
    return painter.end();
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
