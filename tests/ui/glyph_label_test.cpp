#include "displays/ui/glyph_label.h"
#include "ui_wait.h"

#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QRandomGenerator>
#include <QScreen>

#include <gtest/gtest.h>

using namespace ostrel;
using ostrel::testing::ProcessUntil;

namespace {

// The meters' lime on black, in plain text.
void DressLikeAMeter(QLabel& label) {
    label.setTextFormat(Qt::PlainText);
    label.setAutoFillBackground(true);
    QPalette palette = label.palette();
    palette.setColor(QPalette::Window, Qt::black);
    palette.setColor(QPalette::WindowText, QColor(0, 255, 0));
    label.setPalette(palette);
}

// How a label is framed: not at all, in a sunken panel as the recorder's
// status bar has, or in one with an indent of its own.
enum class Framing { None, Panel, IndentedPanel };

// Both labels dressed alike.
template <class Label>
QImage Render(const QString& text, const QFont& font, Qt::Alignment align, QSize size,
              const QString& styleSheet = QString(), Framing framing = Framing::None) {
    Label label;
    label.setStyleSheet(styleSheet);
    DressLikeAMeter(label);
    if (framing != Framing::None) {
        label.setFrameShape(QFrame::Panel);
        label.setFrameShadow(QFrame::Sunken);
    }
    if (framing == Framing::IndentedPanel)
        label.setIndent(7);
    label.setFont(font);
    label.setAlignment(align);
    label.resize(size);
    label.setText(text);
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    label.render(&image);
    return image;
}

// The texts the meters show, each font size and alignment they use: the
// label that draws from looked-up glyphs paints the same pixels as QLabel,
// texts it leaves to QLabel included.
TEST(GlyphLabel, PaintsWhatQLabelPaints) {
    const QString texts[] = {
        QStringLiteral("1.234"),   QStringLiteral("-0.012"),     QStringLiteral(" 0L "),
        QStringLiteral("12.50mV"), QStringLiteral("OL"),         QStringLiteral("k"),
        QStringLiteral("DC"),      QString::fromUtf8("\u00b5A"), QString::fromUtf8("M\u03a9"),
        QStringLiteral("LB"),      QStringLiteral("1e+308"),     QString::fromUtf8("\u2126"),
        QStringLiteral("a\tb"),    QStringLiteral("two\nlines")};
    const Qt::Alignment aligns[] = {Qt::AlignCenter, Qt::AlignRight | Qt::AlignVCenter,
                                    Qt::AlignLeft | Qt::AlignVCenter, Qt::AlignLeft | Qt::AlignTop,
                                    Qt::AlignHCenter | Qt::AlignBottom};
    for (int points : {8, 12, 30, 72}) {
        QFont font(QStringLiteral("Arial"));
        font.setPointSize(points);
        for (const QString& text : texts)
            for (Qt::Alignment align : aligns)
                for (QSize size : {QSize(149, 120), QSize(31, 18)}) {
                    const QImage expected = Render<QLabel>(text, font, align, size);
                    const QImage drawn = Render<GlyphLabel>(text, font, align, size);
                    EXPECT_EQ(drawn, expected)
                        << text.toStdString() << " at " << points << " points, alignment "
                        << align.toInt() << ", " << size.width() << "x" << size.height();
                }
    }
    // Inside a frame, with QLabel's indent or one of the label's own.
    for (Framing framing : {Framing::Panel, Framing::IndentedPanel})
        for (int points : {9, 30})
            for (const QString& text : texts)
                for (Qt::Alignment align : aligns) {
                    QFont font(QStringLiteral("Arial"));
                    font.setPointSize(points);
                    const QSize size(149, 60);
                    EXPECT_EQ((Render<GlyphLabel>(text, font, align, size, {}, framing)),
                              (Render<QLabel>(text, font, align, size, {}, framing)))
                        << text.toStdString() << " framed, at " << points << " points, alignment "
                        << align.toInt();
                }
    // A style sheet's colours and font are QLabel's to apply.
    const QString styled = QStringLiteral(
        "color: red; border: 3px solid white; padding: 5px 0 0 9px; font-size: 20px");
    for (const QString& text : texts)
        EXPECT_EQ((Render<GlyphLabel>(text, QFont(), Qt::AlignCenter, QSize(149, 120), styled)),
                  (Render<QLabel>(text, QFont(), Qt::AlignCenter, QSize(149, 120), styled)))
            << text.toStdString() << " with a style sheet";
}

// The region of every paint a label received.
class PaintLog : public QObject {
  public:
    QRegion painted;
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            painted += static_cast<QPaintEvent*>(event)->region();
            ++paints;
        }
        return false;
    }
};

// A stream of meter texts on the digital meter's largest panel: whatever
// each new text repaints (or leaves), the screen ends up with what the label
// draws anew; the same text repaints nothing, and a new last digit repaints
// far less than the whole label.
TEST(GlyphLabel, ANewTextRepaintsOnlyWhatItChanges) {
    GlyphLabel label;
    DressLikeAMeter(label);
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(40);
    label.setFont(font);
    label.setAlignment(Qt::AlignCenter);
    label.resize(320, 90);
    label.showText(QStringLiteral("1.234"));
    label.show();
    PaintLog log;
    label.installEventFilter(&log);
    ASSERT_TRUE(ProcessUntil([&] { return log.paints > 0; }));
    const auto onScreen = [&] {
        return label.screen()
            ->grabWindow(label.winId())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    };
    const auto settle = [&] {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    };

    QRandomGenerator random(18);
    const QString alphabet = QStringLiteral("0123456789.-");
    QStringList texts = {QStringLiteral("1.235"),  QStringLiteral("1.235"),
                         QStringLiteral(""),       QStringLiteral("0L"),
                         QStringLiteral("-0.500"), QString::fromUtf8("\u00b5A"),
                         QStringLiteral("23.4C")};
    for (int i = 0; i < 60; ++i) {
        QString text;
        for (int n = 4 + random.bounded(3); n > 0; --n)
            text += alphabet[random.bounded(alphabet.size())];
        texts << text;
    }
    for (const QString& text : texts) {
        settle();
        log.painted = QRegion();
        log.paints = 0;
        const bool same = text == label.text();
        label.showText(text);
        settle();
        EXPECT_EQ(label.text(), text);
        if (same) {
            EXPECT_EQ(log.paints, 0) << text.toStdString();
        }
        const QImage drawn = label.grab().toImage().convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(onScreen(), drawn) << "after " << text.toStdString();
    }

    settle();
    label.showText(QStringLiteral("1.234"));
    settle();
    log.painted = QRegion();
    label.showText(QStringLiteral("1.237"));
    settle();
    EXPECT_FALSE(log.painted.isEmpty());
    EXPECT_LT(log.painted.boundingRect().width(), label.width() / 3);
}

} // namespace
