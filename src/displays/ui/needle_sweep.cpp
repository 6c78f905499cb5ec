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
    if (m_positions.empty()) {
        m_timer.stop();
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
    const double from = m_shown;
    m_shown = m_positions[m_next++];
    m_trail.push_back(m_shown);
    m_owner->update(m_needleRect(from).united(m_needleRect(m_shown)));
    if (m_next >= m_positions.size())
        m_timer.stop();
}

} // namespace ostrel
