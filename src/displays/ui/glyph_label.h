#pragma once
// A label for a short text that changes many times a second, such as a
// meter's digits. A QLabel lays its text out anew at every paint (itemising
// and shaping it), which costs far more than drawing it; this label looks up
// each character's glyph and advance once and then draws its one-line plain
// text straight from those, placed as QLabel places it. Anything else (a
// character its font lacks, several lines, rich text, a frame, margins or a
// style sheet) it leaves to QLabel.

#include <QFont>
#include <QLabel>
#include <QRawFont>

#include <unordered_map>

namespace ostrel {

class GlyphLabel : public QLabel {
  public:
    using QLabel::QLabel;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    struct Glyph {
        quint32 index = 0;
        qreal advance = 0;
    };
    // Draws the text from looked-up glyphs; false when this label cannot.
    bool paintGlyphs();
    // The glyph of c in the label's font (index 0 when the font lacks it).
    Glyph glyph(char16_t c);

    QFont m_font;  // the font (resolved for this widget) the glyphs belong to
    int m_dpi = 0; // and the dpi of its screen
    QRawFont m_rawFont;
    qreal m_ascent = 0;
    qreal m_descent = 0;
    std::unordered_map<char16_t, Glyph> m_glyphs;
};

} // namespace ostrel
