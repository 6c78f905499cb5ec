#include "displays/ui/needle_sweep.h"

#include "displays/analog_meter.h"
#include "displays/ui/meter_pictures.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace ostrel {
namespace {

// The part of the window a needle from pivot to end covers, with room for its
// pen and round caps.
QRect NeedleRoom(const QPoint& pivot, const QPoint& end) {
    return QRect(pivot, end).normalized().adjusted(-3, -3, 3, 3);
}

} // namespace

NeedleSweep::NeedleSweep(QWidget* owner, double angle, int length, std::function<QPoint()> pivot,
                         std::function<void()> wantFrames)
    : QObject(owner), m_owner(owner), m_length(length), m_pivot(std::move(pivot)),
      m_wantFrames(std::move(wantFrames)), m_shown(angle) {}

void NeedleSweep::moveTo(double angle) {
    // A sweep under way turns from the position it has reached by now, drawn
    // or not: how fast the needle follows a stream of readings does not
    // depend on how many frames the screen shows of it.
    const double from = isMoving() ? m_positions[dueIndex() - 1] : m_shown;
    m_positions = SweepAngles(from, angle);
    // The sweep under way was due at angle already, but the screen may still
    // show an earlier position: that one step is left to draw.
    if (m_positions.empty() && m_shown != angle)
        m_positions.push_back(angle);
    m_next = 0;
    m_trail.clear();
    // A needle drawn on whole pixels often stays where it is over a small
    // move: the sweep then has nothing to show and needs no frames.
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
    step(); // the first position at once, the others at the next frames
    if (isMoving())
        m_wantFrames();
}

bool NeedleSweep::advance() {
    step();
    return isMoving();
}

QRect NeedleSweep::rect(double angle) const {
    const QPoint pivot = m_pivot();
    const NeedleOffset end = NeedleEnd(angle, m_length);
    return NeedleRoom(pivot, pivot + QPoint(end.dx, end.dy));
}

void NeedleSweep::strokeNeedle(QPainter& painter, const QPoint& pivot, const QPoint& end) const {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(Qt::black, 1.3, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(pivot, end);
    painter.restore();
}

const QImage& NeedleSweep::needlePicture(const QPoint& pivot, const QPoint& end) {
    // A needle's ends are whole pixels, so a sweep passes a few hundred
    // pictures at most; a small set is enough to keep a meter that hovers
    // around a value from stroking again.
    constexpr std::size_t kKeptPictures = 64;
    const auto key =
        std::make_pair(std::make_pair(pivot.x(), pivot.y()), std::make_pair(end.x(), end.y()));
    if (const auto found = m_pictures.find(key); found != m_pictures.end())
        return found->second;
    if (m_pictures.size() >= kKeptPictures)
        m_pictures.clear();
    const QRect room = NeedleRoom(pivot, end);
    QImage picture(room.size(), QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    {
        // Stroked from the same points as on the window, moved by whole
        // pixels: the outline and its coverage are the same.
        QPainter painter(&picture);
        painter.translate(-room.topLeft());
        strokeNeedle(painter, pivot, end);
    }
    return m_pictures.emplace(key, std::move(picture)).first->second;
}

void NeedleSweep::paint(QPainter& painter) {
    const QPoint pivot = m_pivot();
    const NeedleOffset offset = NeedleEnd(m_shown, m_length);
    const QPoint end = pivot + QPoint(offset.dx, offset.dy);
    const QTransform& toDevice = painter.deviceTransform();
    const bool wholePixels = toDevice.type() <= QTransform::TxTranslate &&
                             toDevice.dx() == std::round(toDevice.dx()) &&
                             toDevice.dy() == std::round(toDevice.dy());
    if (!wholePixels || painter.compositionMode() != QPainter::CompositionMode_SourceOver ||
        painter.opacity() != 1.0) {
        strokeNeedle(painter, pivot, end);
        return;
    }
    // Black over the backdrop with the stroke's coverage as alpha: the same
    // blend the stroke makes.
    DrawImageInBands(painter, NeedleRoom(pivot, end).topLeft(), needlePicture(pivot, end));
}

std::size_t NeedleSweep::dueIndex() const {
    // One position per kStepMs since the sweep began, the nearest one: a
    // frame stays on the screen for a while, so a position due within half
    // a step is shown now rather than a frame later (a sweep then ends at
    // the screen's second frame, not its third). Never behind the screen.
    const auto byNow = 1 + static_cast<std::size_t>((m_clock.elapsed() + kStepMs / 2) / kStepMs);
    return std::min(std::max(byNow, m_next), m_positions.size());
}

void NeedleSweep::step() {
    if (!isMoving())
        return;
    // The position due by now, at least the next one.
    const std::size_t due = std::max(dueIndex(), m_next + 1);
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
}

} // namespace ostrel
