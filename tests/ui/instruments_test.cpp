// The analog meter and the comparator as a user sees them: readings through
// the real update threads move the needles, 1026 resets them, the alarm
// sounds only when on, the limit dialog round trip, and the pictures.
#include "app/ui/program_options.h"
#include "base/ui/message_box.h"
#include "base/ui/window_messages.h"
#include "displays/analog_meter.h"
#include "displays/ui/alarm_tones.h"
#include "displays/ui/hi_low_dialog.h"
#include "displays/ui/meter_pictures.h"
#include "find_child.h"
#include "live_rig.h"
#include "ui_wait.h"

#include <QCoreApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>

using namespace ostrel;
using ostrel::testing::Child;
using ostrel::testing::LiveRig;
using ostrel::testing::MainDisplay;
using ostrel::testing::ProcessUntil;
using ostrel::testing::Publish;

namespace {

class RecordingTones : public ToneSink {
  public:
    void playTone(int frequencyHz, int durationMs) override {
        tones.push_back(frequencyHz);
        lastDurationMs = durationMs;
    }
    std::vector<int> tones;
    int lastDurationMs = 0;
};

struct Instruments : LiveRig {
    Instruments() {
        analog->show();
        comparator->show();
        comparator->setToneSink(&tones);
    }
    // Publish and wait until both needles stand at the new reading's angles.
    bool show(const MainDisplay& main) {
        Publish(state, main);
        return ProcessUntil([&] {
            return analog->state().valueText == main.value &&
                   comparator->valueText() == main.value && !analog->needleMoving() &&
                   !comparator->needleMoving() && comparator->shownAngle() == comparator->angle();
        });
    }
    RecordingTones tones;
};

// A needle passes through the 3 × 3 pixels around p.
bool DarkAround(const QImage& image, QPoint p) {
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (qGray(image.pixel(p + QPoint(dx, dy))) < 90)
                return true;
    return false;
}

QPoint Along(QPoint pivot, double angle, double radius) {
    const double t = angle * 3.14159265358979 / 180.0;
    return pivot + QPoint(static_cast<int>(std::lround(radius * std::cos(t))),
                          static_cast<int>(std::lround(-radius * std::sin(t))));
}

} // namespace

TEST(Instruments, AReadingMovesBothNeedlesThroughTheUpdateThreads) {
    Instruments rig;
    ASSERT_TRUE(rig.show({"1.234", 0x6}));
    EXPECT_NEAR(rig.analog->shownAngle(), 135.192, 1e-9);
    EXPECT_EQ(rig.analog->sweepTrail().size(), 10u);
    EXPECT_EQ(Child<QLabel>(*rig.analog, "MultPanel")->text(), "x1");
    EXPECT_EQ(Child<QLabel>(*rig.analog, "UnitPanel")->text(), "");
    EXPECT_EQ(Child<QLabel>(*rig.analog, "FuncPanel")->text(), "V");
    EXPECT_EQ(rig.analog->scalePicture(), kScale100);
    EXPECT_EQ(rig.analog->signMark(), kPositiveMarkPicture);
    EXPECT_FLOAT_EQ(rig.comparator->value(), 1.234f);
    EXPECT_NEAR(rig.comparator->shownAngle(), 130 - (1.234 - 0.5) * 40, 1e-4);
    EXPECT_EQ(Child<QLabel>(*rig.comparator, "HiFuncPanel")->text(), "V");

    // The needle is drawn where it stands, not at rest.
    const QImage analog = rig.analog->grab().toImage();
    const QPoint pivot(rig.analog->width() / 2, kAnalogPivotY);
    EXPECT_TRUE(DarkAround(analog, Along(pivot, 135.192, 60)));
    EXPECT_FALSE(DarkAround(analog, Along(pivot, 150.0, 60)));

    ASSERT_TRUE(rig.show({"-0.500", 0x6, true}));
    EXPECT_EQ(rig.analog->signMark(), kNegativeMarkPicture);
    EXPECT_EQ(rig.analog->state().count, 500);
    EXPECT_DOUBLE_EQ(rig.comparator->shownAngle(), 130.0);

    // A resistance in kilohms: prefix and ohm sign beside the multiplier,
    // the 0…6 scale; the comparator's limits carry the ohm sign too.
    ASSERT_TRUE(rig.show({"4.700", 0x80, false, "3", "k", "W"}));
    EXPECT_EQ(Child<QLabel>(*rig.analog, "UnitPanel")->text(), "k");
    EXPECT_EQ(Child<QLabel>(*rig.analog, "FuncPanel")->text(), QString::fromUtf8("Ω"));
    EXPECT_EQ(rig.analog->scalePicture(), kScale60);
    EXPECT_EQ(Child<QLabel>(*rig.comparator, "HiFuncPanel")->text(), QString::fromUtf8("Ω"));
    EXPECT_EQ(Child<QLabel>(*rig.comparator, "LowFuncPanel")->text(), QString::fromUtf8("Ω"));
}

TEST(Instruments, ResetMessagesBringTheNeedlesBack) {
    Instruments rig;
    ASSERT_TRUE(rig.show({"6.000", 0x80, false, "0", "k", "W"}));
    ASSERT_DOUBLE_EQ(rig.analog->shownAngle(), 30.0);

    rig.analog->resetValues(); // what the unlink writes before it posts 1026
    QCoreApplication::postEvent(rig.analog.get(), new QEvent(EventType(kMsgReset)));
    QCoreApplication::postEvent(rig.comparator.get(), new QEvent(EventType(kMsgReset)));
    ASSERT_TRUE(ProcessUntil(
        [&] { return rig.analog->shownAngle() == 150.0 && rig.comparator->shownAngle() == 90.0; }));
    // Ten needles on the way back, the last one at rest.
    const std::vector<double> trail = rig.analog->sweepTrail();
    ASSERT_EQ(trail.size(), 10u);
    for (std::size_t i = 0; i < trail.size(); ++i)
        EXPECT_NEAR(trail[i], 30.0 + 12.0 * static_cast<double>(i + 1), 1e-9);
    EXPECT_EQ(Child<QLabel>(*rig.analog, "MultPanel")->text(), "x100");
    EXPECT_EQ(Child<QLabel>(*rig.analog, "UnitPanel")->text(), "");
    EXPECT_FLOAT_EQ(rig.comparator->value(), 1.5f);
    EXPECT_EQ(rig.comparator->sweepTrail().size(), 10u);
}

TEST(Instruments, TheAlarmSoundsOnlyWhenOnAndBeyondTheLimits) {
    Instruments rig;
    ASSERT_TRUE(rig.show({"3.000", 0x6}));
    EXPECT_TRUE(rig.tones.tones.empty()); // off

    Child<QPushButton>(*rig.comparator, "bbtnAlart")->click();
    EXPECT_EQ(Child<QPushButton>(*rig.comparator, "bbtnAlart")->text(), "ON");
    ASSERT_TRUE(rig.show({"3.100", 0x6}));
    ASSERT_TRUE(rig.show({"0.500", 0x6}));
    ASSERT_TRUE(rig.show({"1.500", 0x6}));
    ASSERT_TRUE(rig.show({" 0L ", 0x80, false, "6", "M", "W"})); // overload above
    EXPECT_EQ(rig.tones.tones, (std::vector<int>{1047, 523, 1047}));
    EXPECT_EQ(rig.tones.lastDurationMs, 100);

    Child<QPushButton>(*rig.comparator, "bbtnAlart")->click();
    EXPECT_EQ(Child<QPushButton>(*rig.comparator, "bbtnAlart")->text(), "OFF");
    ASSERT_TRUE(rig.show({"9.000", 0x6}));
    EXPECT_EQ(rig.tones.tones.size(), 3u);
}

TEST(Instruments, LimitDialogRoundTrip) {
    Instruments rig;
    ASSERT_TRUE(rig.show({"1.000", 0x8, false, "-6", "u", "F"}));
    TDlgHiLowForm dialog;
    rig.comparator->setLimitDialog(&dialog);
    ScopedMessageAnswerer answers;

    // Letters first (9007), then equal limits (9008), then a sound pair.
    QTimer::singleShot(0, &dialog, [&] {
        EXPECT_EQ(Child<QLineEdit>(dialog, "mkeHiLimit")->text(), "2");
        EXPECT_EQ(Child<QLabel>(dialog, "stxtHiUnit")->text(), "u");
        EXPECT_EQ(Child<QLabel>(dialog, "stxtLowFunc")->text(), "F");
        Child<QLineEdit>(dialog, "mkeHiLimit")->setText("abc");
        Child<QPushButton>(dialog, "bbtnOk")->click();
        Child<QLineEdit>(dialog, "mkeHiLimit")->setText("5");
        Child<QLineEdit>(dialog, "mkeLowLimit")->setText("5");
        Child<QPushButton>(dialog, "bbtnOk")->click();
        Child<QLineEdit>(dialog, "mkeHiLimit")->setText("1.5");
        Child<QLineEdit>(dialog, "mkeLowLimit")->setText("0.25");
        Child<QPushButton>(dialog, "bbtnOk")->click();
    });
    rig.comparator->bbtnHiLowLimitClick();
    ASSERT_EQ(answers.count(), 2);
    EXPECT_EQ(answers.requests()[0].caption, "Error[E9007]");
    EXPECT_EQ(answers.requests()[1].caption, "Error[E9008]");
    EXPECT_DOUBLE_EQ(rig.comparator->fHiLimit(), 1.5);
    EXPECT_DOUBLE_EQ(rig.comparator->fLowLimit(), 0.25);
    EXPECT_EQ(Child<QLabel>(*rig.comparator, "HiLimitPanel")->text(), "1.5");
    EXPECT_EQ(Child<QLabel>(*rig.comparator, "LowLimitPanel")->text(), "0.25");

    // Cancel keeps the limits.
    QTimer::singleShot(0, &dialog, [&] {
        Child<QLineEdit>(dialog, "mkeHiLimit")->setText("9");
        Child<QPushButton>(dialog, "bbtnCancel")->click();
    });
    rig.comparator->bbtnHiLowLimitClick();
    EXPECT_DOUBLE_EQ(rig.comparator->fHiLimit(), 1.5);
    // The needle follows the new limits with the next reading.
    ASSERT_TRUE(rig.show({"0.875", 0x6}));
    EXPECT_NEAR(rig.comparator->shownAngle(), 90.0, 1e-4);
}

TEST(Instruments, PicturesHaveTheirSizesAndColoursAtEveryPixelRatio) {
    const std::pair<int, QSize> sizes[] = {{kAnalogFacePicture, {198, 178}},
                                           {kComparatorFacePicture, {201, 122}},
                                           {kComparatorOverlayPicture, {168, 77}},
                                           {kNegativeMarkPicture, {11, 11}},
                                           {kPositiveMarkPicture, {11, 11}},
                                           {kScale60, {180, 60}},
                                           {kScale100, {180, 60}},
                                           {kScale200, {180, 60}}};
    for (const auto& [picture, size] : sizes) {
        EXPECT_EQ(MeterPictureSize(picture), size) << picture;
        const QPixmap crisp = MeterPicture(picture, 2.0);
        EXPECT_EQ(crisp.size(), size * 2) << picture;
        EXPECT_EQ(crisp.deviceIndependentSize().toSize(), size) << picture;
    }
    EXPECT_NE(MeterPicture(kScale60, 1.0).toImage(), MeterPicture(kScale100, 1.0).toImage());
    EXPECT_NE(MeterPicture(kNegativeMarkPicture, 1.0).toImage(),
              MeterPicture(kPositiveMarkPicture, 1.0).toImage());

    // The overlay's segments change colour at the limits' angles.
    for (qreal ratio : {1.0, 2.0}) {
        const QImage overlay = MeterPicture(kComparatorOverlayPicture, ratio).toImage();
        const auto colourAt = [&](double angle) {
            const double t = angle * 3.14159265358979 / 180.0;
            const QPointF p(84 + 57 * std::cos(t), 77 - 57 * std::sin(t));
            return QColor(overlay.pixel((p * ratio).toPoint()));
        };
        EXPECT_GT(colourAt(112).blue(), 150) << ratio;
        EXPECT_GT(colourAt(108).green(), 120) << ratio;
        EXPECT_GT(colourAt(72).green(), 120) << ratio;
        EXPECT_GT(colourAt(68).red(), 150) << ratio;
        EXPECT_LT(colourAt(68).green(), 100) << ratio;
    }
}

namespace {

// A window painted the plain way: the window system clears it to its
// background, then the pictures are blended over that.
class PlainMeterWindow : public QWidget {
  public:
    explicit PlainMeterWindow(MeterBackdrop::Placed pictures) : m_pictures(std::move(pictures)) {}
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        for (const auto& [picture, at] : m_pictures)
            painter.drawPixmap(at, MeterPicture(picture, devicePixelRatioF()));
    }
    MeterBackdrop::Placed m_pictures;
};

// The same pictures through a backdrop, on an opaque window.
class BackdropWindow : public PlainMeterWindow {
  public:
    using PlainMeterWindow::PlainMeterWindow;
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.drawPixmap(0, 0, m_backdrop.of(*this, m_pictures));
    }
    MeterBackdrop m_backdrop;
};

} // namespace

TEST(Instruments, ABackdropLooksLikeTheWindowPaintedPlainly) {
    const MeterBackdrop::Placed analog = {
        {kAnalogFacePicture, {11, 0}}, {kScale200, {20, 28}}, {kNegativeMarkPicture, {50, 159}}};
    const MeterBackdrop::Placed comparator = {{kComparatorFacePicture, {0, 0}},
                                              {kComparatorOverlayPicture, {16, 22}}};
    for (const auto& pictures : {analog, comparator}) {
        PlainMeterWindow plain(pictures);
        BackdropWindow opaque(pictures);
        opaque.setAttribute(Qt::WA_OpaquePaintEvent);
        for (QSize size : {QSize(220, 180), QSize(300, 260)}) {
            plain.resize(size);
            opaque.resize(size);
            EXPECT_EQ(opaque.grab().toImage(), plain.grab().toImage()) << size.width();
        }
        // A new background is drawn into the next backdrop.
        QPalette palette = opaque.palette();
        palette.setColor(QPalette::Window, QColor(0x20, 0x60, 0x90));
        plain.setPalette(palette);
        opaque.setPalette(palette);
        EXPECT_EQ(opaque.grab().toImage(), plain.grab().toImage());
    }
}

TEST(Instruments, MovingNeedlesLeaveNoTraceOnScreen) {
    // The needles repaint only where they were and where they go: what the
    // screen holds after each move must be the whole window drawn anew.
    Instruments rig;
    const auto onScreen = [](QWidget* window) {
        return window->screen()
            ->grabWindow(window->winId())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    };
    const auto drawnAnew = [](QWidget* window) {
        return window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    };
    for (const MainDisplay& reading :
         {MainDisplay{"1.234", 0x6}, MainDisplay{"0.031", 0x6}, MainDisplay{"-1.876", 0x6, true},
          MainDisplay{"4.700", 0x80, false, "3", "k", "W"}, MainDisplay{"0.612", 0x6}}) {
        ASSERT_TRUE(rig.show(reading));
        QCoreApplication::processEvents(); // the last frame's paint and flush
        for (QWidget* window : {static_cast<QWidget*>(rig.analog.get()),
                                static_cast<QWidget*>(rig.comparator.get())}) {
            const QImage screen = onScreen(window);
            ASSERT_FALSE(screen.isNull());
            EXPECT_EQ(screen, drawnAnew(window))
                << window->objectName().toStdString() << " " << reading.value;
        }
    }
}

TEST(Instruments, NoSoundOptionSilencesTheAlarm) {
    std::string error;
    const auto options = ParseProgramOptions({"ostrel", "--no-sound", "--simulate"}, &error);
    ASSERT_TRUE(options);
    EXPECT_TRUE(options->noSound);
    EXPECT_FALSE(ParseProgramOptions({"ostrel"}, &error)->noSound);

    SetAlarmSoundEnabled(false);
    EXPECT_EQ(MakeAlarmTones(), nullptr);
    SetAlarmSoundEnabled(true);
    EXPECT_NE(MakeAlarmTones(), nullptr);
}
