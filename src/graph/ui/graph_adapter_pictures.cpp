// GraphAdapter's pictures: the graph as a bitmap or SVG (to a file, written
// atomically, or to the clipboard), drawn on any painter, and printed.
#include "graph/ui/graph_adapter.h"

#include "graph/ui/graph_adapter_chart.h"

#include "base/atomic_file.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QMimeData>
#include <QPicture>
#include <QPrinter>
#include <QSvgGenerator>

#include <algorithm>
#include <cmath>

namespace ostrel {

using namespace graph_chart;

namespace {

bool WriteAtomically(const QString& path, const QByteArray& bytes) {
    AtomicFile file;
    return file.open(path.toStdString()) && file.write(bytes.constData(), bytes.size()) &&
           file.commit();
}

} // namespace

// --- images and printing ------------------------------------------------------------

void GraphAdapter::setViewingStyle(ViewingStyle style) {
    m_style = style;
    applyColours();
}

GraphAdapter::ViewingStyle GraphAdapter::viewingStyle() const {
    return m_style;
}

QImage GraphAdapter::toImage(QSize size) const {
    if (size.isEmpty())
        size = m_plot->size();
    if (size.isEmpty())
        return QImage();
    auto* cursor = m_plot->item(0);
    const bool cursorShown = cursor->visible();
    cursor->setVisible(false); // the cursor belongs to the screen, not to pictures
    const QImage image = m_plot->toPixmap(size.width(), size.height()).toImage();
    cursor->setVisible(cursorShown);
    m_plot->relayout(); // back to the widget's own size
    return image;
}

bool GraphAdapter::saveBitmap(const QString& path, QSize size) const {
    const QImage image = toImage(size);
    if (image.isNull())
        return false;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const char* format = path.endsWith(QStringLiteral(".bmp"), Qt::CaseInsensitive) ? "BMP" : "PNG";
    return image.save(&buffer, format) && WriteAtomically(path, bytes);
}

void GraphAdapter::copyBitmapToClipboard(QSize size) const {
    const QImage image = toImage(size);
    if (!image.isNull())
        QApplication::clipboard()->setImage(image);
}

QByteArray GraphAdapter::toSvg(QSize size, double dotsPerInch) const {
    if (size.isEmpty())
        return QByteArray();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(size);
    generator.setViewBox(QRect(QPoint(0, 0), size));
    generator.setResolution(std::max(1, static_cast<int>(std::lround(dotsPerInch))));
    generator.setTitle(m_title);
    {
        QPainter painter(&generator);
        paintOn(painter, QRectF(QPointF(0, 0), size));
    }
    return bytes;
}

bool GraphAdapter::saveSvg(const QString& path, QSize size, double dotsPerInch) const {
    const QByteArray svg = toSvg(size, dotsPerInch);
    return !svg.isEmpty() && WriteAtomically(path, svg);
}

void GraphAdapter::copySvgToClipboard(QSize size, double dotsPerInch) const {
    const QByteArray svg = toSvg(size, dotsPerInch);
    if (svg.isEmpty())
        return;
    auto* data = new QMimeData;
    data->setData(QStringLiteral("image/svg+xml"), svg);
    data->setImageData(toImage(size));
    QApplication::clipboard()->setMimeData(data);
}

void GraphAdapter::paintOn(QPainter& painter, const QRectF& target) const {
    if (!painter.isActive() || target.isEmpty())
        return;
    // Lay the graph out at the size it would have on a screen of the same
    // physical size, then scale it onto the target.
    const double dpi = painter.device() ? painter.device()->logicalDpiX() : kScreenDpi;
    const double scale = std::max(0.01, dpi / kScreenDpi);
    const int width = std::max(1, static_cast<int>(target.width() / scale));
    const int height = std::max(1, static_cast<int>(target.height() / scale));

    auto* cursor = m_plot->item(0);
    const bool cursorShown = cursor->visible();
    cursor->setVisible(false);
    QPicture picture;
    {
        QCPPainter recorder(&picture);
        m_plot->toPainter(&recorder, width, height);
    }
    cursor->setVisible(cursorShown);
    m_plot->relayout();

    // Playing a picture scales it by the device's resolution over the
    // picture's own already; the scale here is what remains.
    const double playedX =
        painter.device() ? double(painter.device()->logicalDpiX()) / picture.logicalDpiX() : 1.0;
    const double playedY =
        painter.device() ? double(painter.device()->logicalDpiY()) / picture.logicalDpiY() : 1.0;
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(target.width() / width / playedX, target.height() / height / playedY);
    painter.drawPicture(0, 0, picture);
    painter.restore();
}

bool GraphAdapter::print(QPrinter& printer) const {
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    paintOn(painter, QRectF(painter.viewport()));
    return painter.end();
}

} // namespace ostrel
