#include "displays/ui/needle_sweep.h"

#include "displays/analog_meter.h"

namespace ostrel {

NeedleSweep::NeedleSweep(QWidget* owner, double angle,
                         std::function<QRect(double angle)> needleRect)
    : QObject(owner), m_owner(owner), m_needleRect(std::move(needleRect)), m_shown(angle) {
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(kStepMs);
    connect(&m_timer, &QTimer::timeout, this, [this] { step(); });
}

void NeedleSweep::moveTo(double angle) {
    m_positions = SweepAngles(m_shown, angle);
    m_next = 0;
    m_trail.clear();
    m_timer.stop();
    // A needle drawn on whole pixels often stays where it is over a small
    // move: the sweep then has nothing to show and needs no timer.
    const QRect now = m_needleRect(m_shown);
    bool showsAnything = false;
    for (double position : m_positions)
        showsAnything = showsAnything || m_needleRect(position) != now;
    if (!showsAnything) {
        m_trail = m_positions;
        m_positions.clear();
        m_shown = angle;
        return;
    }
    step(); // the first position at once, the others by the timer
    if (m_next < m_positions.size())
        m_timer.start();
}

void NeedleSweep::step() {
    if (m_next >= m_positions.size()) {
        m_timer.stop();
        return;
    }
    const QRect from = m_needleRect(m_shown);
    m_shown = m_positions[m_next++];
    m_trail.push_back(m_shown);
    // Repaint only where the needle was and where it goes, and only when
    // it moves by a pixel.
    const QRect to = m_needleRect(m_shown);
    if (to != from)
        m_owner->update(from.united(to));
    if (m_next >= m_positions.size())
        m_timer.stop();
}

} // namespace ostrel
