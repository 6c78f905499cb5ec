#pragma once
// The movement of a window's needle: from the angle on screen to a new one
// through ten positions in quick succession (kStepMs apart), moved by a timer
// (never by waiting on the window thread), the last one being the new angle.
// The window's frame tick moves it: no faster than the screen shows pictures,
// each tick going on to the position due by then, passing those in between. A
// step repaints only where the needle was and where it goes, and only when the
// needle, drawn on whole pixels, moves.

#include <QElapsedTimer>
#include <QImage>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QWidget>

#include <functional>
#include <map>
#include <utility>
#include <vector>

class QPainter;

namespace ostrel {

class NeedleSweep : public QObject {
  public:
    // Milliseconds between two positions of a sweep.
    static constexpr int kStepMs = 2;

    // The needle of owner, of length pixels from the point pivot() gives,
    // now at angle. wantFrames asks the owner's frame tick for ticks; the
    // owner calls advance() at each tick until it returns false.
    NeedleSweep(QWidget* owner, double angle, int length, std::function<QPoint()> pivot,
                std::function<void()> wantFrames);

    // Sweep from the angle on screen to angle. A sweep under way turns
    // toward the new angle from the position due by now.
    void moveTo(double angle);
    // The frame tick's step: on to the position due by now. True while the
    // sweep has positions left.
    bool advance();

    // The angle of the needle on screen.
    double shown() const { return m_shown; }
    bool isMoving() const { return m_next < m_positions.size(); }
    // The positions the latest sweep passed so far (also those a tick went
    // past without showing them).
    const std::vector<double>& trail() const { return m_trail; }

    // Draw the needle, in black, where it stands now.
    void paint(QPainter& painter);

  private:
    // The needle's antialiased stroke from the pivot to an end, as drawn on
    // the window. Drawing the stroke (its outline, then its coverage) costs
    // many times more than copying its pixels: each end is stroked once into
    // a transparent picture of the needle's rectangle, which is then blended
    // over the window in its place, with the very pixels the stroke would
    // give there. Kept for the ends seen lately; only while the painter maps
    // to the window's pixels one to one (a scaled screen strokes anew).
    void strokeNeedle(QPainter& painter, const QPoint& pivot, const QPoint& end) const;
    const QImage& needlePicture(const QPoint& pivot, const QPoint& end);

    void step();
    // How many positions of the sweep under way are due by now (at least
    // those already shown).
    std::size_t dueIndex() const;
    // The part of the owner a needle at angle covers, with room for its pen;
    // needles with the same rectangle are drawn alike (their ends are whole
    // pixels).
    QRect rect(double angle) const;

    QWidget* m_owner;
    int m_length;
    std::function<QPoint()> m_pivot;
    std::function<void()> m_wantFrames;
    QElapsedTimer m_clock; // since the sweep began
    double m_shown;
    std::vector<double> m_positions;
    std::size_t m_next = 0;
    std::vector<double> m_trail;
    // The needle's pictures by pivot and end (see needlePicture).
    std::map<std::pair<std::pair<int, int>, std::pair<int, int>>, QImage> m_pictures;
};

} // namespace ostrel
