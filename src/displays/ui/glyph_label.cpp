#include "displays/ui/glyph_label.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPainter>

#include <cmath>

namespace ostrel {
namespace {

// Characters drawn alike on their own and in any text: no line breaks, tabs,
// combining marks or right-to-left scripts, only Latin and Greek letters,
// digits and signs.
bool DrawnAlone(char16_t c) {
    return (c >= 0x20 && c < 0x7F) || (c >= 0xA0 && c < 0x2B0) || (c >= 0x370 && c < 0x400);
}

} // namespace

void GlyphLabel::paintEvent(QPaintEvent* event) {
    if (!paintGlyphs())
        QLabel::paintEvent(event);
}

GlyphLabel::Glyph GlyphLabel::glyph(char16_t c) {
    const auto found = m_glyphs.find(c);
    if (found != m_glyphs.end())
        return found->second;
    Glyph g;
    const QList<quint32> indexes = m_rawFont.glyphIndexesForString(QString(QChar(c)));
    if (indexes.size() == 1 && indexes.front() != 0) {
        const QList<QPointF> advances = m_rawFont.advancesForGlyphIndexes(indexes);
        if (advances.size() == 1) {
            g.index = indexes.front();
            g.advance = advances.front().x();
        }
    }
    m_glyphs.emplace(c, g);
    return g;
}

bool GlyphLabel::paintGlyphs() {
    const QString shown = text();
    if (shown.isEmpty() || textFormat() != Qt::PlainText || wordWrap() || margin() != 0 ||
        frameWidth() != 0 || layoutDirection() != Qt::LeftToRight || !isEnabled() ||
        testAttribute(Qt::WA_StyleSheet))
        return false;
    // The font as painting on this widget resolves it (its screen's dpi).
    const QFont font(QWidget::font(), this);
    const int dpi = logicalDpiY(); // fonts compare equal across screens
    if (!m_rawFont.isValid() || !(font == m_font) || dpi != m_dpi) {
        m_font = font;
        m_dpi = dpi;
        m_rawFont = QRawFont::fromFont(font);
        m_glyphs.clear();
        const QFontMetricsF metrics(font, this);
        m_ascent = metrics.ascent();
        m_descent = metrics.descent();
        if (!m_rawFont.isValid())
            return false;
    }

    QList<quint32> indexes;
    QList<QPointF> positions;
    indexes.reserve(shown.size());
    positions.reserve(shown.size());
    qreal width = 0;
    for (const QChar c : shown) {
        if (!DrawnAlone(c.unicode()))
            return false;
        const Glyph g = glyph(c.unicode());
        if (g.index == 0)
            return false; // the font lacks it: QLabel finds a font that has it
        indexes.push_back(g.index);
        positions.emplace_back(width, 0);
        width += g.advance;
    }

    // Placed in the contents as QLabel places one line: the line is as high
    // as the font's ascent and descent, and as wide as its advances.
    const QRectF room = contentsRect();
    const qreal height = m_ascent + m_descent;
    const Qt::Alignment align = alignment();
    qreal left = room.left();
    if (align & Qt::AlignRight)
        left += room.width() - width;
    else if (align & Qt::AlignHCenter)
        left += (room.width() - width) / 2;
    qreal top = room.top();
    if (align & Qt::AlignBottom)
        top += room.height() - height;
    else if (align & Qt::AlignVCenter)
        top += (room.height() - height) / 2;

    // Text layout keeps positions in 64ths of a pixel, cut toward zero.
    left = std::trunc(left * 64) / 64;
    top = std::trunc(top * 64) / 64;
    QGlyphRun run;
    run.setRawFont(m_rawFont);
    run.setGlyphIndexes(indexes);
    run.setPositions(positions);
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    painter.drawGlyphRun(QPointF(left, top + m_ascent), run);
    return true;
}

} // namespace ostrel
