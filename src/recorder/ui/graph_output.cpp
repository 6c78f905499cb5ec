#include "recorder/ui/graph_output.h"

#include "base/atomic_file.h"
#include "base/number_format.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgGenerator>

#include <algorithm>
#include <cmath>

namespace ostrel {
namespace {

constexpr double kHundredthsPerInch = 2540.0;

QString Millimeters(double hundredths) {
    return QString::fromStdString(FormatGeneral(hundredths / 100.0)) + QStringLiteral("mm");
}

} // namespace

QImage GraphImage(const PaintGraph& paint, QSize pixels) {
    QImage image(pixels.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    paint(painter, image.rect());
    return image;
}

QSize SvgPixels(double width, double height) {
    const auto pixels = [](double hundredths) {
        return std::max(
            1, static_cast<int>(std::lround(hundredths / kHundredthsPerInch * kSvgDotsPerInch)));
    };
    return {pixels(width), pixels(height)};
}

QByteArray GraphSvg(const PaintGraph& paint, double width, double height, const QString& title) {
    const QSize pixels = SvgPixels(width, height);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setResolution(kSvgDotsPerInch);
    svg.setSize(pixels);
    svg.setViewBox(QRect(QPoint(0, 0), pixels));
    svg.setTitle(title);
    {
        QPainter painter(&svg);
        painter.fillRect(QRect(QPoint(0, 0), pixels), Qt::white);
        paint(painter, QRect(QPoint(0, 0), pixels));
    }
    // The generator derives the size in mm from whole pixels; give the size
    // asked for instead.
    QString text = QString::fromUtf8(bytes);
    static const QRegularExpression size(QStringLiteral("width=\"[^\"]*\" height=\"[^\"]*\""));
    const QRegularExpressionMatch found = size.match(text);
    if (found.hasMatch())
        text.replace(found.capturedStart(), found.capturedLength(),
                     QStringLiteral("width=\"%1\" height=\"%2\"")
                         .arg(Millimeters(width), Millimeters(height)));
    return text.toUtf8();
}

bool SaveGraphFile(const QByteArray& bytes, const QString& path) {
    AtomicFile file;
    return file.open(path.toStdString()) &&
           file.write(bytes.constData(), static_cast<std::size_t>(bytes.size())) && file.commit();
}

bool SaveGraphImage(const QImage& image, const QString& path) {
    const char* format = path.endsWith(QStringLiteral(".bmp"), Qt::CaseInsensitive) ? "BMP" : "PNG";
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, format))
        return false;
    return SaveGraphFile(bytes, path);
}

void CopyGraphToClipboard(const QImage& image, const QByteArray& svg) {
    auto* data = new QMimeData;
    data->setImageData(image);
    if (!svg.isEmpty())
        data->setData(QStringLiteral("image/svg+xml"), svg);
    QGuiApplication::clipboard()->setMimeData(data);
}

} // namespace ostrel
