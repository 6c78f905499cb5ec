#pragma once
// GraphAdapter: Ostrel's one line graph, used by the recorder page, the
// graphical viewer and the import window. A graph of N points, each with a y
// value (the null value -99999 leaves a gap) and an x label shown as tick text
// under it; a fixed (manual) y range; a vertical-line cursor standing on one
// point; rubber-band zoom in x and y with undo; appending one point while
// dropping the oldest; images (PNG/BMP, SVG), clipboard and printing.
//
// The chart library stays behind this class: only its own sources include it.
// Data changes (setYData, setPointLabel) show after the next rebuild();
// appendPoint() updates the graph in constant time.

#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <memory>
#include <utility>
#include <vector>

class QPainter;
class QPrinter;

namespace ostrel {

class GraphAdapter : public QWidget {
    Q_OBJECT
  public:
    static constexpr double kNullValue = -99999.0;
    enum class ViewingStyle { Color, Monochrome };

    explicit GraphAdapter(QWidget* parent = nullptr);
    ~GraphAdapter() override;

    // --- points --------------------------------------------------------------
    // Set the number of points; every point becomes blank (null value, label
    // one blank), the cursor goes to point 0 and any zoom is undone.
    void setPointCount(int count);
    int pointCount() const;
    // Value of point i; kNullValue leaves a gap. Out-of-range points are ignored.
    void setYData(int point, double value);
    double yData(int point) const;
    // x label of point i ("" or one blank: no label).
    void setPointLabel(int point, const QString& label);
    QString pointLabel(int point) const;
    // Append a point at the end and drop the oldest one: the graph keeps its
    // point count. Constant time; no rebuild needed.
    void appendPoint(const QString& label, double value);
    // The line breaks between point i - 1 and point i (a time without
    // samples lies between them), as at a null value.
    void setBreakBefore(int point, bool gap);
    bool breakBefore(int point) const;
    // Show every change made since the last rebuild (redraws soon after).
    void rebuild();
    // Redraw at once (the widget's own picture), e.g. before grabbing it.
    void replotNow();

    // --- y range ---------------------------------------------------------------
    void setManualMaxY(double maximum);
    void setManualMinY(double minimum);
    double manualMaxY() const;
    double manualMinY() const;

    // --- titles, labels and colours ----------------------------------------------
    void setMainTitle(const QString& title);
    QString mainTitle() const;
    void setSubTitle(const QString& title);
    QString subTitle() const;
    void setXAxisLabel(const QString& label);
    QString xAxisLabel() const;
    void setYAxisLabel(const QString& label);
    QString yAxisLabel() const;
    // Name of the data line, shown in a legend when not empty.
    void setSubsetLabel(const QString& label);
    QString subsetLabel() const;
    // The widget's background around the graph area.
    void setDeskColor(const QColor& color);
    // The graph area's background.
    void setGraphBackColor(const QColor& color);
    // Axes, grid, ticks, titles and labels.
    void setGraphForeColor(const QColor& color);
    void setLineColor(const QColor& color);
    QColor lineColor() const;
    QColor deskColor() const;
    QColor graphBackColor() const;
    QColor graphForeColor() const;
    // Widest y value text and x label the layout reserves room for.
    void setWidestLabel(const QString& label);

    // --- cursor ------------------------------------------------------------------
    // The cursor stands on a point (clamped to the points there are). Moving
    // it here does not emit cursorMoved; the mouse and the arrow keys do.
    void setCursorPoint(int point);
    int cursorPoint() const;

    // --- zoom --------------------------------------------------------------------
    // Rubber-band zoom with the left mouse button (on by default).
    void setZoomEnabled(bool enabled);
    bool zoomEnabled() const;
    bool isZoomed() const;
    // The first and last point inside the x range shown (all points when not
    // zoomed); first > last when none is.
    std::pair<int, int> shownPoints() const;
    // Back to the whole x range and the manual y range.
    void undoZoom();
    // Zoom in x on points first … last as a rubber band over them would
    // (emits zoomed).
    void zoomToPoints(int first, int last);

    // --- images and printing ------------------------------------------------------
    // Style of images and printouts: colour, or black on white.
    void setViewingStyle(ViewingStyle style);
    ViewingStyle viewingStyle() const;
    // The graph drawn at the given size in pixels (the widget's size when empty).
    QImage toImage(QSize size = QSize()) const;
    // Save the image to a file: BMP when the name ends in ".bmp" (any case),
    // else PNG. The file is replaced only when the whole image was written.
    bool saveBitmap(const QString& path, QSize size) const;
    void copyBitmapToClipboard(QSize size) const;
    // The graph as SVG: size in pixels at dotsPerInch (96: one pixel is
    // 1/96 inch), which gives the drawing its physical size.
    QByteArray toSvg(QSize size, double dotsPerInch = 96.0) const;
    bool saveSvg(const QString& path, QSize size, double dotsPerInch = 96.0) const;
    // SVG data with an image of the same graph for programs that take no SVG.
    void copySvgToClipboard(QSize size, double dotsPerInch = 96.0) const;
    // Draw the graph into target on an active painter (a printer page, a
    // picture); lines and text keep their on-screen proportions.
    void paintOn(QPainter& painter, const QRectF& target) const;
    // Print the graph on one page of the printer, filling its printable area.
    bool print(QPrinter& printer) const;

    // --- inspection --------------------------------------------------------------
    // Widget pixel of point i at its value (the axis' bottom for a null value)
    // after the last redraw.
    QPoint pointPixel(int point) const;
    // The point nearest to widget pixel column x (-1 without points).
    int pointAtPixel(int x) const;
    // The area inside the axes, in widget pixels, after the last redraw.
    QRect plotArea() const;
    // The x labels drawn at the last redraw, left to right.
    QStringList shownTickLabels() const;

  signals:
    // The cursor was moved by a click on the graph or the Left/Right keys.
    void cursorMoved(int point);
    // The user zoomed with the mouse.
    void zoomed();
    // A key the graph does not use itself (PageUp, PageDown, …).
    void keyPressed(int key, Qt::KeyboardModifiers modifiers);

  private:
    class Plot;
    class Line;
    class Ticker;
    friend class Plot;

    void syncData();
    void applyXRange();
    void applyYRange();
    void applyColours();
    void reserveLabelRoom();
    void placeCursor();
    void moveCursorBy(int delta);
    void clickAt(const QPoint& pos);
    void zoomTo(const QRect& pixels);
    void keyDown(int key, Qt::KeyboardModifiers modifiers);
    int slot(int point) const;
    double keyOf(int point) const;

    std::unique_ptr<Plot> m_plot;
    Ticker* m_ticker = nullptr; // owned by the chart's x axis
    // Point i is stored at slot (m_head + i) % count: appending overwrites the
    // oldest slot and moves the head, so nothing is shifted.
    std::vector<double> m_values;
    std::vector<QString> m_labels;
    std::vector<bool> m_breaks; // by slot, as the values
    int m_head = 0;
    // x key of point 0; keys grow with every append so that the chart's data
    // only ever gains a point at the end and loses one at the front.
    double m_firstKey = 0.0;
    // Key of the oldest labelled point at the last full rebuild (or of the
    // first labelled point appended since): x ticks stand a whole step apart
    // from it.
    double m_tickAnchor = 0.0;
    bool m_hasTickAnchor = false;
    bool m_dirty = true;
    int m_cursor = 0;
    double m_maxY = 100.0;
    double m_minY = -100.0;
    bool m_zoomEnabled = true;
    bool m_zoomed = false;
    ViewingStyle m_style = ViewingStyle::Color;
    QColor m_desk;
    QColor m_back = Qt::white;
    QColor m_fore = Qt::black;
    QColor m_line = Qt::blue;
    QString m_title;
    QString m_subTitle;
};

} // namespace ostrel
