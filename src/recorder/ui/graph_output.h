#pragma once
// Pictures of a graph: an image of a size in pixels (PNG or BMP), an SVG
// drawing of a size in hundredths of a millimetre, to a file (saved whole, so
// a failed save keeps the previous file) or to the clipboard.

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include <functional>

class QPainter;
class QRect;

namespace ostrel {

// Draws the graph as it stands, laid out to fill rect of the painter at the
// resolution of the painter's device.
using PaintGraph = std::function<void(QPainter& painter, const QRect& rect)>;

// The layout resolution of SVG drawings and of their clipboard images.
inline constexpr int kSvgDotsPerInch = 96;

// The graph as an image of the given pixels on white.
QImage GraphImage(const PaintGraph& paint, QSize pixels);

// The graph as an SVG document of width × height hundredths of a millimetre
// (its width and height attributes give them exactly, in mm), laid out at
// 96 dots per inch; title names the drawing.
QByteArray GraphSvg(const PaintGraph& paint, double width, double height, const QString& title);

// The pixels at 96 dots per inch of width × height hundredths of a millimetre
// (each at least 1).
QSize SvgPixels(double width, double height);

// Write an image: BMP when the name ends in ".bmp" (any case), else PNG.
// False when the file could not be written; the previous file then stays.
bool SaveGraphImage(const QImage& image, const QString& path);
// Write bytes as the whole file; false (previous file kept) on failure.
bool SaveGraphFile(const QByteArray& bytes, const QString& path);

// The clipboard gets the image; with svg also the SVG drawing.
void CopyGraphToClipboard(const QImage& image, const QByteArray& svg = {});

} // namespace ostrel
