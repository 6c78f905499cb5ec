#pragma once
// The movement of a window's needle: from the angle on screen to a new one
// through ten positions shown in quick succession by a timer (never by
// waiting on the window thread), the last one being the new angle. A step
// repaints only where the needle was and where it goes, and only when the
// needle, drawn on whole pixels, moves.

#include <QObject>
#include <QRect>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <vector>

namespace ostrel {

class NeedleSweep : public QObject {
  public:
    // Milliseconds between two positions of a sweep.
    static constexpr int kStepMs = 3;

    // needleRect: the part of owner a needle at an angle covers; needles with
    // the same rectangle are drawn alike.
    NeedleSweep(QWidget* owner, double angle, std::function<QRect(double angle)> needleRect);

    // Sweep from the angle on screen to angle. A sweep under way turns
    // toward the new angle from where it stands.
    void moveTo(double angle);

    // The angle of the needle on screen.
    double shown() const { return m_shown; }
    bool isMoving() const { return m_timer.isActive(); }
    // The positions the latest sweep passed so far.
    const std::vector<double>& trail() const { return m_trail; }

  private:
    void step();

    QWidget* m_owner;
    std::function<QRect(double)> m_needleRect;
    QTimer m_timer;
    double m_shown;
    std::vector<double> m_positions;
    std::size_t m_next = 0;
    std::vector<double> m_trail;
};

} // namespace ostrel
