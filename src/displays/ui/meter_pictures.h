#pragma once
// The pictures of the analog meter and the comparator, drawn by code at their
// sizes in logical pixels, so that they are sharp at any device pixel ratio:
// meter face 11, scales 60, 100 and 200, sign marks 17 and 18, comparator
// face 12 and its scale overlay 16.

#include <QBrush>
#include <QPixmap>
#include <QPoint>
#include <QSize>

#include <utility>
#include <vector>

class QImage;
class QPainter;
class QRegion;
class QWidget;

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

// The raster engine hands a copy of more than about a hundred lines to worker
// threads and waits for them: for the few lines a frame of a meter repaints,
// the threads' wake-ups cost far more than the copy. These draw a pixmap or
// an image in bands few enough lines high to stay on the calling thread, with
// the same pixels. at and the parts are in the painter's (logical) pixels.
inline constexpr int kBandLines = 64;
void DrawPixmapInBands(QPainter& painter, const QRegion& part, const QPixmap& pixmap);
void DrawImageInBands(QPainter& painter, const QPoint& at, const QImage& image);

// What a meter window shows under its needle: its background with pictures
// on it, drawn once into one opaque pixmap and kept while the window's size,
// device pixel ratio and background brush stay the same. A window that paints
// this pixmap first paints every pixel, so it needs no background cleared
// under it, and a frame of a moving needle is one copy and one line. A meter
// going through its functions and signs comes back to the same few sets of
// pictures: the backdrops of the latest sets are kept. Window thread only.
class MeterBackdrop {
  public:
    // A picture number and where its top left corner stands.
    using Placed = std::vector<std::pair<int, QPoint>>;

    // The backdrop of window with the pictures drawn in that order, as the
    // window's own background filled and then those pictures would be.
    const QPixmap& of(const QWidget& window, const Placed& pictures);

  private:
    struct Kept {
        Placed pictures;
        QPixmap pixmap;
    };
    QSize m_size;
    qreal m_ratio = 0;
    QBrush m_brush;
    std::vector<Kept> m_kept; // the latest used last
};

} // namespace ostrel
