#pragma once
// The chart pieces behind GraphAdapter that its source files share: the chart
// widget (Plot), the x ticker's interface, and the figures and helpers of the
// drawing. Only GraphAdapter's own sources include this file.

#include "graph/ui/graph_adapter.h"

#include <qcustomplot.h>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QString>
#include <QStringList>

#include <limits>

namespace ostrel {
namespace graph_chart {

inline constexpr int kClickSlack = 3;      // pixels a click may move and still be a click
inline constexpr int kLabelSpacing = 14;   // pixels between two x labels
inline constexpr int kMarkerLimit = 400;   // points drawn as dots up to this many visible points
inline constexpr double kScreenDpi = 96.0; // the resolution on-screen proportions refer to
inline constexpr int kTextPixels = 12;
inline constexpr int kTitlePixels = 16;

inline double PlotValue(double value) {
    return value == GraphAdapter::kNullValue ? std::numeric_limits<double>::quiet_NaN() : value;
}

// "" or blanks: a point without a label.
inline bool IsBlankLabel(const QString& label) {
    return label.trimmed().isEmpty();
}

} // namespace graph_chart

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
        const bool click = (pos - m_pressPos).manhattanLength() <= graph_chart::kClickSlack;
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
                  QVector<QString>* tickLabels) override;

  protected:
    double getTickStep(const QCPRange& range) override;
    int getSubTickCount(double) override { return 0; }
    QVector<double> createTickVector(double step, const QCPRange& range) override;
    QString getTickLabel(double tick, const QLocale&, QChar, int) override;

  private:
    const GraphAdapter& m_owner;
    QCPAxis* m_axis;
    QString m_widest = QStringLiteral("00:00:00.000");
    QStringList m_shown;
};

} // namespace ostrel
