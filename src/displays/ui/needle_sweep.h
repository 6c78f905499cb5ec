#pragma once
// The movement of a window's needle: from the angle on screen to a new one
// through ten positions in quick succession (kStepMs apart), moved by a timer
// (never by waiting on the window thread), the last one being the new angle.
// The timer ticks no faster than the screen shows pictures; each tick goes on
// to the position due by then, passing those in between. A step repaints only
// where the needle was and where it goes, and only when the needle, drawn on
// whole pixels, moves.

#include <QElapsedTimer>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <vector>

class QPainter;

namespace ostrel {

class NeedleSweep : public QObject {
  public:
    // Milliseconds between two positions of a sweep.
    static constexpr int kStepMs = 2;

    // The needle of owner, of length pixels from the point pivot() gives,
    // now at angle.
    NeedleSweep(QWidget* owner, double angle, int length, std::function<QPoint()> pivot);

    // Sweep from the angle on screen to angle. A sweep under way turns
    // toward the new angle from where it stands.
    void moveTo(double angle);

    // The angle of the needle on screen.
    double shown() const { return m_shown; }
    bool isMoving() const { return m_timer.isActive(); }
    // The positions the latest sweep passed so far (also those a tick went
    // past without showing them).
    const std::vector<double>& trail() const { return m_trail; }

    // Draw the needle, in black, where it stands now.
    void paint(QPainter& painter) const;

  private:
    void step();
    // The part of the owner a needle at angle covers, with room for its pen;
    // needles with the same rectangle are drawn alike (their ends are whole
    // pixels).
    QRect rect(double angle) const;

    QWidget* m_owner;
    int m_length;
    std::function<QPoint()> m_pivot;
    QTimer m_timer;
    QElapsedTimer m_clock; // since the sweep began
    double m_shown;
    std::vector<double> m_positions;
    std::size_t m_next = 0;
    std::vector<double> m_trail;
};

} // namespace ostrel
