#pragma once
// The pictures of the analog meter and the comparator, drawn by code at their
// sizes in logical pixels, so that they are sharp at any device pixel ratio:
// meter face 11, scales 60, 100 and 200, sign marks 17 and 18, comparator
// face 12 and its scale overlay 16.

#include <QPixmap>
#include <QSize>

class QPainter;

namespace ostrel {

inline constexpr int kAnalogFacePicture = 11;
inline constexpr int kComparatorFacePicture = 12;
inline constexpr int kComparatorOverlayPicture = 16;
inline constexpr int kNegativeMarkPicture = 17;
inline constexpr int kPositiveMarkPicture = 18;
// The scale pictures carry the numbers 60, 100 and 200 (displays/analog_meter.h).

// Size in logical pixels of a picture; empty for an unknown number.
QSize MeterPictureSize(int picture);

// Draw a picture with its top left corner at the painter's origin.
void PaintMeterPicture(QPainter& painter, int picture);

// The picture as a pixmap for a device pixel ratio (kept once drawn).
// Window thread only.
QPixmap MeterPicture(int picture, qreal devicePixelRatio);

} // namespace ostrel
