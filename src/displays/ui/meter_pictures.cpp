#include "displays/ui/meter_pictures.h"

#include "displays/analog_meter.h"
#include "displays/comparator_gauge.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

namespace ostrel {
namespace {

constexpr double kPi = 3.14159265358979323846;

// Where the needles turn, in the pictures' own coordinates.
const QPointF kAnalogFacePivot(99.0, 132.0); // the needle's origin on face 11
const QPointF kScalePivot(90.0, 104.0);      // the same point on a scale (drawn at 9, 28)
const QPointF kComparatorPivot(100.5, 99.0); // the needle's origin on face 12
const QPointF kOverlayPivot(84.0, 77.0);     // the same point on overlay 16 (drawn at 16, 22)

const QColor kPanelLight(0xec, 0xea, 0xe4);
const QColor kPanelDark(0xc4, 0xc0, 0xb6);
const QColor kPanelEdge(0x4e, 0x4b, 0x44);
const QColor kInk(0x1c, 0x1c, 0x1c);
const QColor kGaugeBlue(0x1e, 0x50, 0xd8);
const QColor kGaugeGreen(0x18, 0x9a, 0x34);
const QColor kGaugeRed(0xd8, 0x22, 0x22);

QPointF Polar(const QPointF& pivot, double angleDegrees, double radius) {
    const double t = angleDegrees * kPi / 180.0;
    return {pivot.x() + radius * std::cos(t), pivot.y() - radius * std::sin(t)};
}

QFont PixelFont(int pixels, bool bold) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

// A raised panel with a title at its top and a white window below it.
void PaintFace(QPainter& p, QSizeF size, const QString& title, const QRectF& window,
               const QPointF& pivot) {
    const QRectF outer(0.5, 0.5, size.width() - 1.0, size.height() - 1.0);
    QLinearGradient shade(0, 0, 0, size.height());
    shade.setColorAt(0.0, kPanelLight);
    shade.setColorAt(1.0, kPanelDark);
    p.setPen(QPen(kPanelEdge, 1.0));
    p.setBrush(shade);
    p.drawRoundedRect(outer, 5, 5);
    p.setPen(QPen(QColor(255, 255, 255, 170), 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(outer.adjusted(1.5, 1.5, -1.5, -1.5), 4, 4);

    p.setPen(kInk);
    p.setFont(PixelFont(10, true));
    p.drawText(QRectF(0, 4, size.width(), 14), Qt::AlignCenter, title);

    p.setPen(QPen(QColor(0x8c, 0x88, 0x7e), 1.0));
    p.setBrush(Qt::white);
    p.drawRoundedRect(window, 3, 3);

    // The pivot's cap.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x3a, 0x3a, 0x3a));
    p.drawEllipse(pivot, 5.0, 5.0);
    p.setBrush(QColor(0x9a, 0x9a, 0x9a));
    p.drawEllipse(pivot + QPointF(-1.2, -1.2), 1.6, 1.6);
}

void PaintAnalogFace(QPainter& p) {
    PaintFace(p, QSizeF(198, 178), QStringLiteral("ANALOG METER"), QRectF(6.5, 22.5, 185, 121),
              kAnalogFacePivot);
}

void PaintComparatorFace(QPainter& p) {
    PaintFace(p, QSizeF(201, 122), QStringLiteral("COMPARATOR"), QRectF(6.5, 19.5, 188, 96),
              kComparatorPivot);
}

// The arc from 150 to 30 degrees with its marks, numbers above it.
void PaintScale(QPainter& p, int picture) {
    constexpr double kArcRadius = 90.0;
    constexpr double kMajorEnd = 96.0;
    constexpr double kMinorEnd = 93.5;
    constexpr double kNumberRadius = 102.0;
    const QSizeF size = MeterPictureSize(picture);

    p.setPen(QPen(kInk, 1.2, Qt::SolidLine, Qt::FlatCap));
    p.setBrush(Qt::NoBrush);
    const QRectF circle(kScalePivot.x() - kArcRadius, kScalePivot.y() - kArcRadius, 2 * kArcRadius,
                        2 * kArcRadius);
    p.drawArc(circle, 30 * 16, 120 * 16);

    p.setFont(PixelFont(8, false));
    const QFontMetricsF metrics(p.font());
    for (const ScaleMark& mark : ScaleGraduation(picture)) {
        p.setPen(QPen(kInk, mark.major ? 1.2 : 0.8, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(Polar(kScalePivot, mark.angle, kArcRadius - 0.6),
                   Polar(kScalePivot, mark.angle, mark.major ? kMajorEnd : kMinorEnd));
        if (!mark.major)
            continue;
        // Numbers sit outside the arc; those at its ends stand on their marks,
        // inside the picture.
        const QString text = QString::number(mark.label);
        const double w = metrics.horizontalAdvance(text);
        const double h = metrics.ascent();
        const bool end = mark.angle <= kNeedleFullScaleAngle || mark.angle >= kNeedleRestAngle;
        QPointF c = end ? Polar(kScalePivot, mark.angle, kMajorEnd) - QPointF(0, h / 2 + 3.5)
                        : Polar(kScalePivot, mark.angle, kNumberRadius);
        c.setX(std::clamp(c.x(), w / 2 + 0.5, size.width() - w / 2 - 0.5));
        c.setY(std::max(c.y(), h / 2 + 0.5));
        p.drawText(QPointF(c.x() - w / 2, c.y() + h / 2 - 0.5), text);
    }
}

// The sign mark: a dark square with a white minus or plus.
void PaintSignMark(QPainter& p, bool negative) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x30, 0x30, 0x30));
    p.drawRect(QRectF(0, 0, 11, 11));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(2.5, 4.75, 6, 1.5));
    if (!negative)
        p.drawRect(QRectF(4.75, 2.5, 1.5, 6));
}

// The comparator's arc in three segments (blue below the lower limit, green
// between the limits, red above the upper one) with NG / GO / NG, and three
// boxes of the same colours beneath.
void PaintOverlay(QPainter& p) {
    constexpr double kInner = 53.0;
    constexpr double kOuter = 61.0;
    const auto band = [&](double from, double to, const QColor& colour) {
        QPainterPath path;
        const QRectF outer(kOverlayPivot.x() - kOuter, kOverlayPivot.y() - kOuter, 2 * kOuter,
                           2 * kOuter);
        const QRectF inner(kOverlayPivot.x() - kInner, kOverlayPivot.y() - kInner, 2 * kInner,
                           2 * kInner);
        path.arcMoveTo(outer, to);
        path.arcTo(outer, to, from - to);
        path.arcTo(inner, from, to - from);
        path.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        p.drawPath(path);
    };
    band(kGaugeLowStopAngle, kGaugeLowerLimitAngle, kGaugeBlue);
    band(kGaugeLowerLimitAngle, kGaugeUpperLimitAngle, kGaugeGreen);
    band(kGaugeUpperLimitAngle, kGaugeHighStopAngle, kGaugeRed);
    // The limits' marks across the band.
    p.setPen(QPen(kInk, 1.2, Qt::SolidLine, Qt::FlatCap));
    for (double angle : {kGaugeLowerLimitAngle, kGaugeUpperLimitAngle})
        p.drawLine(Polar(kOverlayPivot, angle, kInner - 3),
                   Polar(kOverlayPivot, angle, kOuter + 3));

    p.setFont(PixelFont(9, true));
    const std::pair<double, QColor> words[] = {
        {120.0, kGaugeBlue}, {90.0, kGaugeGreen}, {60.0, kGaugeRed}};
    for (const auto& [angle, colour] : words) {
        const QPointF c = Polar(kOverlayPivot, angle, kOuter + 6.5);
        p.setPen(colour);
        p.drawText(QRectF(c.x() - 10, std::max(0.0, c.y() - 6), 20, 11), Qt::AlignCenter,
                   angle == 90.0 ? QStringLiteral("GO") : QStringLiteral("NG"));
    }

    const std::pair<double, QColor> boxes[] = {
        {18.0, kGaugeBlue}, {72.0, kGaugeGreen}, {126.0, kGaugeRed}};
    for (const auto& [left, colour] : boxes) {
        p.setPen(QPen(colour.darker(140), 1.0));
        p.setBrush(colour);
        p.drawRect(QRectF(left + 0.5, 61.5, 23, 9));
    }
}

} // namespace

QSize MeterPictureSize(int picture) {
    switch (picture) {
    case kAnalogFacePicture:
        return {198, 178};
    case kComparatorFacePicture:
        return {201, 122};
    case kComparatorOverlayPicture:
        return {168, 77};
    case kNegativeMarkPicture:
    case kPositiveMarkPicture:
        return {11, 11};
    case kScale60:
    case kScale100:
    case kScale200:
        return {180, 60};
    default:
        return {};
    }
}

void PaintMeterPicture(QPainter& painter, int picture) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    switch (picture) {
    case kAnalogFacePicture:
        PaintAnalogFace(painter);
        break;
    case kComparatorFacePicture:
        PaintComparatorFace(painter);
        break;
    case kComparatorOverlayPicture:
        PaintOverlay(painter);
        break;
    case kNegativeMarkPicture:
    case kPositiveMarkPicture:
        PaintSignMark(painter, picture == kNegativeMarkPicture);
        break;
    case kScale60:
    case kScale100:
    case kScale200:
        PaintScale(painter, picture);
        break;
    default:
        break;
    }
    painter.restore();
}

void DrawPixmapInBands(QPainter& painter, const QRegion& part, const QPixmap& pixmap) {
    // The pixmap stands at the painter's origin; its own pixels may be finer.
    const qreal ratio = pixmap.devicePixelRatio();
    for (const QRect& rect : part)
        for (int top = rect.top(); top <= rect.bottom(); top += kBandLines) {
            const QRect band(rect.left(), top, rect.width(),
                             std::min(kBandLines, rect.bottom() + 1 - top));
            painter.drawPixmap(
                band, pixmap, QRectF(QPointF(band.topLeft()) * ratio, QSizeF(band.size()) * ratio));
        }
}

void DrawImageInBands(QPainter& painter, const QPoint& at, const QImage& image) {
    const qreal ratio = image.devicePixelRatio();
    const int lines = static_cast<int>(kBandLines * ratio);
    for (int top = 0; top < image.height(); top += lines) {
        const QRect source(0, top, image.width(), std::min(lines, image.height() - top));
        painter.drawImage(QPointF(at) + QPointF(0, top / ratio), image, source);
    }
}

QPixmap MeterPicture(int picture, qreal devicePixelRatio) {
    static std::map<std::pair<int, qreal>, QPixmap> drawn;
    const auto key = std::make_pair(picture, devicePixelRatio);
    if (auto it = drawn.find(key); it != drawn.end())
        return it->second;
    const QSize size = MeterPictureSize(picture);
    QPixmap pixmap(size * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    if (!size.isEmpty()) {
        QPainter painter(&pixmap);
        PaintMeterPicture(painter, picture);
    }
    drawn.emplace(key, pixmap);
    return pixmap;
}

const QPixmap& MeterBackdrop::of(const QWidget& window, const Placed& pictures) {
    // Enough for the scales, signs and overload a meter shows in turn.
    constexpr std::size_t kKeptBackdrops = 8;
    const qreal ratio = window.devicePixelRatioF();
    const QBrush& brush = window.palette().brush(window.backgroundRole());
    if (m_size != window.size() || m_ratio != ratio || !(m_brush == brush)) {
        m_kept.clear();
        m_size = window.size();
        m_ratio = ratio;
        m_brush = brush;
    }
    const auto found = std::find_if(m_kept.begin(), m_kept.end(),
                                    [&](const Kept& k) { return k.pictures == pictures; });
    if (found != m_kept.end()) {
        std::rotate(found, found + 1, m_kept.end());
        return m_kept.back().pixmap;
    }
    if (m_kept.size() >= kKeptBackdrops)
        m_kept.erase(m_kept.begin());
    QPixmap pixmap(window.size() * ratio);
    pixmap.setDevicePixelRatio(ratio);
    QPainter painter(&pixmap);
    // As the window system's backing store is cleared for a window: its
    // background brush copied in, then the pictures blended over it.
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(window.rect(), brush);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    for (const auto& [picture, at] : pictures)
        painter.drawPixmap(at, MeterPicture(picture, ratio));
    painter.end();
    m_kept.push_back({pictures, std::move(pixmap)});
    return m_kept.back().pixmap;
}

} // namespace ostrel
