#include "displays/ui/needle_sweep.h"

#include "displays/analog_meter.h"
#include "displays/ui/frame_pace.h"

#include <QPainter>

#include <algorithm>

namespace ostrel {

NeedleSweep::NeedleSweep(QWidget* owner, double angle, int length, std::function<QPoint()> pivot)
    : QObject(owner), m_owner(owner), m_length(length), m_pivot(std::move(pivot)), m_shown(angle) {
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
    const QRect now = rect(m_shown);
    bool showsAnything = false;
    for (double position : m_positions)
        showsAnything = showsAnything || rect(position) != now;
    if (!showsAnything) {
        m_trail = m_positions;
        m_positions.clear();
        m_shown = angle;
        return;
    }
    m_clock.start();
    step(); // the first position at once, the others by the timer
    if (m_next < m_positions.size()) {
        const auto frameMs = static_cast<int>((ScreenFrameInterval(m_owner).count() + 999) / 1000);
        m_timer.start(std::max(kStepMs, frameMs));
    }
}

QRect NeedleSweep::rect(double angle) const {
    const QPoint pivot = m_pivot();
    const NeedleOffset end = NeedleEnd(angle, m_length);
    return QRect(pivot, pivot + QPoint(end.dx, end.dy)).normalized().adjusted(-3, -3, 3, 3);
}

void NeedleSweep::paint(QPainter& painter) const {
    const QPoint pivot = m_pivot();
    const NeedleOffset end = NeedleEnd(m_shown, m_length);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(Qt::black, 1.3, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(pivot, pivot + QPoint(end.dx, end.dy));
    painter.restore();
}

void NeedleSweep::step() {
    if (m_next >= m_positions.size()) {
        m_timer.stop();
        return;
    }
    // The position due by now, one per kStepMs since the sweep began; at
    // least the next one.
    const auto due = std::clamp<std::size_t>(
        1 + static_cast<std::size_t>(m_clock.elapsed() / kStepMs), m_next + 1, m_positions.size());
    const QRect from = rect(m_shown);
    while (m_next < due) {
        m_shown = m_positions[m_next++];
        m_trail.push_back(m_shown);
    }
    // Repaint only where the needle was and where it goes, and only when
    // it moves by a pixel.
    const QRect to = rect(m_shown);
    if (to != from)
        m_owner->update(from.united(to));
    if (m_next >= m_positions.size())
        m_timer.stop();
}

} // namespace ostrel
