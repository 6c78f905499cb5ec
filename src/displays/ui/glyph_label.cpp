#include "displays/ui/glyph_label.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>

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

void GlyphLabel::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange)
        m_fontChanged = true;
    QLabel::changeEvent(event);
}

void GlyphLabel::paintEvent(QPaintEvent* event) {
    if (!paintGlyphs(event->region()))
        QLabel::paintEvent(event);
}

void GlyphLabel::showText(const QString& text) {
    if (text == this->text())
        return;
    std::optional<Line> before;
    std::optional<Line> after;
    if (isVisible()) {
        before = lineOf(this->text());
        if (before)
            after = lineOf(text);
    }
    if (!after) {
        setText(text);
        return;
    }
    // QLabel repaints all its contents for a new text; the glyphs that stay
    // where they were need no repaint. The flag only holds back that repaint
    // (a label has no children it would reach); the size hint is updated as
    // for any new text.
    const QRect changed = changedBetween(*before, *after);
    const bool held = testAttribute(Qt::WA_UpdatesDisabled);
    setAttribute(Qt::WA_UpdatesDisabled, true);
    setText(text);
    setAttribute(Qt::WA_UpdatesDisabled, held);
    if (!changed.isEmpty())
        update(changed);
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
            g.ink = m_rawFont.boundingRect(g.index);
        }
    }
    m_glyphs.emplace(c, g);
    return g;
}

bool GlyphLabel::fontReady() {
    const int dpi = logicalDpiY(); // fonts compare equal across screens
    if (m_fontChanged || !m_rawFont.isValid() || dpi != m_dpi) {
        m_fontChanged = false;
        m_line.reset();
        // The font as painting on this widget resolves it (its screen's dpi).
        const QFont font(QWidget::font(), this);
        if (!m_rawFont.isValid() || !(font == m_font) || dpi != m_dpi) {
            m_font = font;
            m_dpi = dpi;
            m_rawFont = QRawFont::fromFont(font);
            m_glyphs.clear();
            const QFontMetricsF metrics(font, this);
            m_ascent = metrics.ascent();
            m_descent = metrics.descent();
        }
    }
    return m_rawFont.isValid();
}

std::optional<GlyphLabel::Line> GlyphLabel::lineOf(const QString& text) {
    if (textFormat() != Qt::PlainText || wordWrap() || margin() != 0 ||
        layoutDirection() != Qt::LeftToRight || !isEnabled() || testAttribute(Qt::WA_StyleSheet) ||
        !fontReady())
        return std::nullopt;

    const QRect room = textRoom();
    if (m_line && text == m_lineText && room == m_lineRoom && alignment() == m_lineAlignment)
        return m_line;

    Line line;
    line.indexes.reserve(text.size());
    line.positions.reserve(text.size());
    line.inks.reserve(text.size());
    qreal width = 0;
    for (const QChar c : text) {
        if (!DrawnAlone(c.unicode()))
            return std::nullopt;
        const Glyph g = glyph(c.unicode());
        if (g.index == 0)
            return std::nullopt; // the font lacks it: QLabel finds a font that has it
        line.indexes.push_back(g.index);
        line.positions.emplace_back(width, 0);
        line.inks.push_back(g.ink);
        width += g.advance;
    }

    // Placed in the contents as QLabel places one line: the line is as high
    // as the font's ascent and descent, and as wide as its advances.
    const qreal height = m_ascent + m_descent;
    const Qt::Alignment align = alignment();
    qreal left = room.left();
    if (align & Qt::AlignRight)
        left += room.width() - width;
    else if (align & Qt::AlignHCenter)
        left += (room.width() - width) / 2.0;
    qreal top = room.top();
    if (align & Qt::AlignBottom)
        top += room.height() - height;
    else if (align & Qt::AlignVCenter)
        top += (room.height() - height) / 2.0;

    // Text layout keeps positions in 64ths of a pixel, cut toward zero.
    left = std::trunc(left * 64) / 64;
    top = std::trunc(top * 64) / 64;
    line.origin = QPointF(left, top + m_ascent);
    line.width = width;
    m_line = line;
    m_lineText = text;
    m_lineRoom = room;
    m_lineAlignment = align;
    return line;
}

QRect GlyphLabel::textRoom() const {
    // As QLabel indents its text: by the indent asked for, or by half an "x"
    // inside a frame, on the sides the text is aligned to.
    QRect room = contentsRect();
    int indent = this->indent();
    if (indent < 0 && frameWidth() != 0)
        indent = fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2;
    if (indent > 0) {
        const Qt::Alignment align = alignment();
        if (align & Qt::AlignLeft)
            room.setLeft(room.left() + indent);
        if (align & Qt::AlignRight)
            room.setRight(room.right() - indent);
        if (align & Qt::AlignTop)
            room.setTop(room.top() + indent);
        if (align & Qt::AlignBottom)
            room.setBottom(room.bottom() - indent);
    }
    return room;
}

QRect GlyphLabel::glyphRoom(const Line& line, qsizetype i) const {
    // Hinting may move an outline's edges by a pixel, antialiasing touches
    // one more.
    constexpr int kMargin = 2;
    const QPointF at = line.origin + line.positions[i];
    const qreal right =
        line.origin.x() + (i + 1 < line.positions.size() ? line.positions[i + 1].x() : line.width);
    const QRectF cell(QPointF(at.x(), at.y() - m_ascent), QPointF(right, at.y() + m_descent));
    const QRectF ink = line.inks[i].translated(at);
    return cell.united(ink).toAlignedRect().adjusted(-kMargin, -kMargin, kMargin, kMargin);
}

QRect GlyphLabel::changedBetween(const Line& before, const Line& after) const {
    QRect changed;
    const qsizetype count = std::max(before.indexes.size(), after.indexes.size());
    for (qsizetype i = 0; i < count; ++i) {
        const bool inBefore = i < before.indexes.size();
        const bool inAfter = i < after.indexes.size();
        if (inBefore && inAfter && before.indexes[i] == after.indexes[i]) {
            // Compared exactly: QPointF's == forgives small differences.
            const QPointF from = before.origin + before.positions[i];
            const QPointF to = after.origin + after.positions[i];
            if (from.x() == to.x() && from.y() == to.y())
                continue;
        }
        if (inBefore)
            changed |= glyphRoom(before, i);
        if (inAfter)
            changed |= glyphRoom(after, i);
    }
    return changed & contentsRect();
}

bool GlyphLabel::paintGlyphs(const QRegion& region) {
    const QString shown = text();
    if (shown.isEmpty())
        return false;
    const std::optional<Line> line = lineOf(shown);
    if (!line)
        return false;
    // Only the glyphs that reach into the region: the painter clips the
    // others anyway, but only after working through their pixels.
    QList<quint32> indexes;
    QList<QPointF> positions;
    indexes.reserve(line->indexes.size());
    positions.reserve(line->indexes.size());
    for (qsizetype i = 0; i < line->indexes.size(); ++i)
        if (region.intersects(glyphRoom(*line, i))) {
            indexes.push_back(line->indexes[i]);
            positions.push_back(line->positions[i]);
        }
    // The frame, where the region reaches beyond the contents.
    const bool frame = frameWidth() != 0 && !(region - contentsRect()).isEmpty();
    if (indexes.isEmpty() && !frame)
        return true; // the label's background, already filled, is all there is
    QPainter painter(this);
    if (frame)
        drawFrame(&painter);
    if (indexes.isEmpty())
        return true;
    // A line that does not fit its room is cut at the room's edges, as
    // QLabel's text is.
    const QRectF box(line->origin.x(), line->origin.y() - m_ascent, line->width,
                     m_ascent + m_descent);
    if (!QRectF(m_lineRoom).contains(box))
        painter.setClipRect(m_lineRoom, Qt::IntersectClip);
    QGlyphRun run;
    run.setRawFont(m_rawFont);
    run.setGlyphIndexes(indexes);
    run.setPositions(positions);
    painter.setPen(palette().color(foregroundRole()));
    painter.drawGlyphRun(line->origin, run);
    return true;
}

} // namespace ostrel
