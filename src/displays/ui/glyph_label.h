#pragma once
// A label for a short text that changes many times a second, such as a
// meter's digits. A QLabel lays its text out anew at every paint (itemising
// and shaping it), which costs far more than drawing it; this label looks up
// each character's glyph and advance once and then draws its one-line plain
// text straight from those, placed as QLabel places it, inside its frame if
// it has one. Anything else (a character its font lacks, several lines, rich
// text, margins or a style sheet) it leaves to QLabel.
//
// showText() sets a new text as QLabel::setText does, but repaints only
// around the glyphs that changed: a meter's reading mostly changes its last
// digits, and every pixel repainted costs a blend and a copy to the screen.

#include <QFont>
#include <QLabel>
#include <QList>
#include <QPointF>
#include <QRawFont>
#include <QRect>

#include <optional>
#include <unordered_map>

class QRegion;

namespace ostrel {

class GlyphLabel : public QLabel {
  public:
    using QLabel::QLabel;

    // QLabel::setText, repainting only what the new text changes where both
    // texts are drawn from glyphs (nothing for the same text).
    void showText(const QString& text);

  protected:
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    struct Glyph {
        quint32 index = 0;
        qreal advance = 0;
        QRectF ink; // from the glyph's origin on the baseline
    };
    // Where the glyphs of a text stand in the label: their indexes, their
    // positions on the baseline (from its left end, origin) and where the
    // last one's advance ends.
    struct Line {
        QList<quint32> indexes;
        QList<QPointF> positions;
        QList<QRectF> inks;
        QPointF origin;
        qreal width = 0;
    };
    // Draws the glyphs of the text that reach into region from looked-up
    // glyphs; false when this label cannot.
    bool paintGlyphs(const QRegion& region);
    // The glyphs of text as this label would draw them now; none when QLabel
    // draws it. The line of the text shown is kept until the text, the
    // contents' rectangle, the alignment or the font change.
    std::optional<Line> lineOf(const QString& text);
    // Brings the raw font and the looked-up glyphs up to the label's font;
    // false when the font has no raw form.
    bool fontReady();
    // The glyph of c in the label's font (index 0 when the font lacks it).
    Glyph glyph(char16_t c);
    // Where QLabel places its text: the contents, less the indent.
    QRect textRoom() const;
    // Where the glyph at position i of line may paint: its advance and its
    // ink, the line's height, with a margin for hinting and antialiasing.
    QRect glyphRoom(const Line& line, qsizetype i) const;
    // One rectangle around what differs between two lines drawn from glyphs.
    QRect changedBetween(const Line& before, const Line& after) const;

    QFont m_font;              // the font (resolved for this widget) the glyphs belong to
    int m_dpi = 0;             // and the dpi of its screen
    bool m_fontChanged = true; // since the glyphs were looked up
    QRawFont m_rawFont;
    qreal m_ascent = 0;
    qreal m_descent = 0;
    std::unordered_map<char16_t, Glyph> m_glyphs;
    // The line last worked out, and for what.
    std::optional<Line> m_line;
    QString m_lineText;
    QRect m_lineRoom;
    Qt::Alignment m_lineAlignment;
};

} // namespace ostrel
