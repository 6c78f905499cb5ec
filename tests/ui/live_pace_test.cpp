// How the live windows keep pace with a fast meter: the frame clock slows to
// its steady rate on a run without a pause and ticks at once after one, an
// interrupted needle sweep turns from where it has got to by then, and a fast
// stream ends with its last reading on every window, drawn on screen as the
// window would draw it anew.
#include "displays/analog_meter.h"
#include "displays/ui/frame_pace.h"
#include "displays/ui/needle_sweep.h"
#include "find_child.h"
#include "live_rig.h"
#include "ui_wait.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace ostrel;
using ostrel::testing::Child;
using ostrel::testing::LiveRig;
using ostrel::testing::MainDisplay;
using ostrel::testing::ProcessUntil;
using ostrel::testing::Publish;

TEST(LivePace, ASteadyRunSlowsTheClockAndAPauseEndsTheRun) {
    QWidget owner;
    bool more = true;
    int ticks = 0;
    FrameTick tick(&owner, [&] {
        ++ticks;
        return more;
    });

    // A window with something to draw at every frame: past the first
    // moments, no more than the steady rate (a busy machine only ticks less).
    tick.request();
    QTest::qWait(kSteadyAfter.count() + 50);
    const int before = ticks;
    QTest::qWait(400);
    const int steadyMost = 400 * kSteadyRate / 1000 + 2;
    EXPECT_LE(ticks - before, steadyMost);
    EXPECT_GT(ticks - before, 0);

    // Nothing more to draw: the clock stops.
    more = false;
    ASSERT_TRUE(ProcessUntil([&] { return !tick.isRequested(); }));
    QTest::qWait(100);
    const int stopped = ticks;
    QTest::qWait(100);
    EXPECT_EQ(ticks, stopped);

    // After the pause a request is served at once, ahead of a timer due in
    // less than a steady frame.
    bool late = false;
    QObject lateTimerScope; // the timer must not outlive late
    QTimer::singleShot(20, &lateTimerScope, [&] { late = true; });
    tick.request();
    ASSERT_TRUE(ProcessUntil([&] { return ticks > stopped || late; }));
    EXPECT_GT(ticks, stopped);
}

// A held window is passed over until its hold ends, or dropped once nothing
// it wants is left; meanwhile the clock sleeps through the hold.
TEST(LivePace, AHeldWindowWaitsOutItsHoldOrLetsItGo) {
    QWidget owner;
    bool wanted = true;
    int steps = 0;
    int asked = 0; // ticks that found the window held
    FrameTick* self = nullptr;
    FrameTick tick(&owner, [&] {
        ++steps;
        self->holdFor(std::chrono::milliseconds(150), [&] {
            ++asked;
            return wanted;
        });
        return true;
    });
    self = &tick;

    QElapsedTimer clock;
    clock.start();
    tick.request();
    ASSERT_TRUE(ProcessUntil([&] { return steps == 2; }));
    EXPECT_GE(clock.elapsed(), 145);
    EXPECT_LE(asked, 1); // no tick a frame through the hold

    // Nothing wanted any more: the next tick in the hold lets the request go.
    wanted = false;
    tick.request();
    QTest::qWait(250);
    EXPECT_FALSE(tick.isRequested());
    EXPECT_EQ(steps, 2);
}

TEST(LivePace, AnInterruptedSweepTurnsFromWhereItHasGotToAndASweepEndsAtTheSecondFrame) {
    QWidget owner;
    owner.resize(200, 200);
    NeedleSweep sweep(
        &owner, 0.0, 100, [] { return QPoint(100, 132); }, [] {});
    sweep.moveTo(90.0);
    ASSERT_TRUE(sweep.isMoving());
    EXPECT_DOUBLE_EQ(sweep.shown(), 9.0); // the first of ten positions at once

    // No frame came while the sweep's time ran out: the next sweep starts
    // from its end, not from the one position drawn.
    QThread::msleep(12 * NeedleSweep::kStepMs);
    sweep.moveTo(100.0);
    EXPECT_DOUBLE_EQ(sweep.shown(), 91.0);
    ASSERT_FALSE(sweep.trail().empty());
    EXPECT_DOUBLE_EQ(sweep.trail().back(), 91.0);
    while (sweep.advance()) {
    }
    EXPECT_DOUBLE_EQ(sweep.shown(), 100.0);

    // The same again once the next sweep's time ran out unseen: the needle
    // still has to be drawn at its end, not left where it was drawn last.
    sweep.moveTo(0.0);
    QThread::msleep(12 * NeedleSweep::kStepMs);
    sweep.moveTo(0.0);
    EXPECT_DOUBLE_EQ(sweep.shown(), 0.0);
    ASSERT_FALSE(sweep.trail().empty());
    EXPECT_DOUBLE_EQ(sweep.trail().back(), 0.0);

    // A sweep's ten positions span nine steps: the clock's next frame on a
    // 60 Hz screen (17 ms, in the clock's whole milliseconds) shows the last
    // one, so a reading costs the window two frames, not three.
    sweep.moveTo(90.0);
    ASSERT_TRUE(sweep.isMoving());
    QThread::msleep(17);
    EXPECT_FALSE(sweep.advance());
    EXPECT_DOUBLE_EQ(sweep.shown(), 90.0);
}

// The needle drawn from its kept pictures gives the very pixels of its
// stroke, over any backdrop, at every end a sweep can reach.
TEST(LivePace, AKeptNeedlePictureIsTheStrokeItself) {
    QWidget owner;
    owner.resize(240, 200);
    const QPoint pivot(117, 132);
    NeedleSweep sweep(
        &owner, 90.0, 100, [&] { return pivot; }, [] {});
    for (QImage::Format format : {QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied}) {
        QImage backdrop(owner.size(), format);
        for (int y = 0; y < backdrop.height(); ++y)
            for (int x = 0; x < backdrop.width(); ++x)
                backdrop.setPixel(x, y, qRgb(x * 7 % 256, y * 13 % 256, (x * y) % 256));
        for (double angle = -5.0; angle <= 185.0; angle += 0.37) {
            sweep.moveTo(angle);
            while (sweep.advance()) {
            }
            QImage expected = backdrop;
            {
                QPainter painter(&expected);
                painter.setRenderHint(QPainter::Antialiasing, true);
                painter.setPen(QPen(Qt::black, 1.3, Qt::SolidLine, Qt::RoundCap));
                const NeedleOffset end = NeedleEnd(sweep.shown(), 100);
                painter.drawLine(pivot, pivot + QPoint(end.dx, end.dy));
            }
            // Twice: the picture as first made, then as kept.
            for (int round = 0; round < 2; ++round) {
                QImage drawn = backdrop;
                {
                    QPainter painter(&drawn);
                    sweep.paint(painter);
                }
                ASSERT_EQ(drawn, expected) << "angle " << angle << ", format " << format;
            }
        }
    }
}

// Digits are read, not followed: in a fast stream the readout changes at
// most kReadoutRate times a second and ends on the last reading; a reading
// after a pause is shown at once.
TEST(LivePace, TheReadoutKeepsToItsRateAndShowsAReadingAfterAPauseAtOnce) {
    LiveRig rig;
    ASSERT_TRUE(ProcessUntil([&] { return rig.digital->isVisible(); }));
    const QLabel* data = Child<QLabel>(*rig.digital, "DataPanel");
    QString shown = data->text();
    int changes = 0;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 400; ++i) {
        Publish(rig.state, MainDisplay(std::to_string(1000 + i), 0x6));
        QCoreApplication::processEvents();
        if (data->text() != shown) {
            shown = data->text();
            ++changes;
        }
        QThread::usleep(1000);
    }
    const qint64 streamed = clock.elapsed();
    ASSERT_TRUE(ProcessUntil([&] { return data->text() == "1399"; }));
    EXPECT_GE(changes, 2);
    EXPECT_LE(changes, streamed * kReadoutRate / 1000 + 2);

    QTest::qWait(kReadoutFrame.count() + 50);
    QElapsedTimer sincePublished;
    Publish(rig.state, MainDisplay("2.500", 0x6));
    sincePublished.start();
    ASSERT_TRUE(ProcessUntil([&] {
        return data->text() == "2.500" || sincePublished.elapsed() > kReadoutFrame.count() / 2;
    }));
    EXPECT_EQ(data->text(), "2.500");
}

TEST(LivePace, AFastStreamEndsWithItsLastReadingOnEveryWindowAndScreen) {
    LiveRig rig;
    rig.analog->show();
    rig.comparator->show();
    ASSERT_TRUE(ProcessUntil([&] { return rig.comparator->isShowing(); }));

    // Readings far faster than the screen shows pictures, moving both needles
    // all over their scales; the last one stands out from every other.
    std::vector<MainDisplay> stream;
    for (int i = 0; i < 300; ++i)
        stream.emplace_back(std::to_string(i % 2 == 0 ? 0.1 + i * 0.001 : 2.9 - i * 0.001), 0x6);
    stream.emplace_back("1.555", 0x6);
    for (const MainDisplay& reading : stream) {
        Publish(rig.state, reading);
        QCoreApplication::processEvents();
        QThread::usleep(500);
    }
    const MainDisplay& last = stream.back();
    ASSERT_TRUE(ProcessUntil([&] {
        return Child<QLabel>(*rig.digital, "DataPanel")->text() == "1.555" &&
               rig.analog->state().valueText == last.value && !rig.analog->needleMoving() &&
               rig.comparator->valueText() == last.value && !rig.comparator->needleMoving();
    }));
    EXPECT_DOUBLE_EQ(rig.analog->shownAngle(), rig.analog->state().angle);
    EXPECT_DOUBLE_EQ(rig.comparator->shownAngle(), rig.comparator->angle());

    // Frames skipped on the way leave nothing stale on screen: what the
    // screen shows comes to match a fresh drawing of each window (a repaint
    // already asked for may still be on its way; a stale picture never
    // matches).
    for (QWidget* window :
         {static_cast<QWidget*>(rig.digital.get()), static_cast<QWidget*>(rig.analog.get()),
          static_cast<QWidget*>(rig.comparator.get())}) {
        const auto onScreen = [window] {
            return window->screen()
                ->grabWindow(window->winId())
                .toImage()
                .convertToFormat(QImage::Format_RGB32);
        };
        const auto drawn = [window] {
            return window->grab().toImage().convertToFormat(QImage::Format_RGB32);
        };
        ASSERT_FALSE(onScreen().isNull());
        EXPECT_TRUE(ProcessUntil([&] { return onScreen() == drawn(); }))
            << window->objectName().toStdString();
    }
}
