#include "displays/ui/digital_meter_form.h"
#include "find_child.h"
#include "ui_wait.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

#include <QTest>

#include <gtest/gtest.h>

using namespace ostrel;
using ostrel::testing::Child;
using ostrel::testing::ProcessUntil;

namespace {

struct DisplaySide {
    std::string value, first, second, coupling;
    int function = 0;
    bool negative = false;
};

MeterReading Reading(const DisplaySide& main, const DisplaySide& sub, bool lowBattery) {
    MeterReading r;
    auto fill = [](DisplayReading& d, const DisplaySide& s) {
        d.valueText = s.value;
        d.negative = s.negative ? 1 : 0;
        d.function = s.function;
        d.rawFunction = s.function;
        d.couplingText = s.coupling;
        SetField(d.valueField, s.value);
        SetField(d.firstLabelField, s.first);
        SetField(d.secondLabelField, s.second);
    };
    fill(r.main, main);
    fill(r.sub, sub);
    r.lowBattery = lowBattery ? 1 : 0;
    if (lowBattery)
        r.main.rawFunction |= static_cast<std::int32_t>(kLowBatteryBit);
    return r;
}

void Publish(LiveState& state, const MeterReading& reading) {
    {
        std::lock_guard lock(state.readingLock);
        state.reading = reading;
    }
    state.newReadingEvent.set();
}

QColor Background(const QLabel* panel) {
    return panel->palette().color(QPalette::Window);
}

class DigitalMeterFormTest : public ::testing::Test {
  protected:
    DigitalMeterFormTest() {
        mainWindow.resize(800, 60);
        state.setLinked(true);
        form = std::make_unique<TDigitalMeterForm>(state, &mainWindow);
        form->show();
    }
    ~DigitalMeterFormTest() override { form->stopUpdateThread(); }

    // Publish a reading once the icon may blink again (it blinks no faster
    // than five times a second) and wait until the window shows it.
    bool showAfterBlink(const MeterReading& r) {
        QTest::qWait(250);
        return showNext(r);
    }

    // Publish a reading and wait until the window shows value.
    bool showNext(const MeterReading& r) {
        Publish(state, r);
        return ProcessUntil([&] {
            return Child<QLabel>(*form, "DataPanel")->text() ==
                   QString::fromStdString(r.main.valueText);
        });
    }

    LiveState state;
    QWidget mainWindow;
    std::unique_ptr<TDigitalMeterForm> form;
};

} // namespace

TEST_F(DigitalMeterFormTest, APublishedReadingReachesEveryPanel) {
    ASSERT_TRUE(showNext(Reading({"1.234", "m", "V", "DC", 0x6}, {"50.00", "", "Hz", "", 0x400},
                                 /*lowBattery=*/true)));
    EXPECT_EQ(Child<QLabel>(*form, "UnitPanel")->text(), "m");
    EXPECT_EQ(Child<QLabel>(*form, "FuncPanel")->text(), "V");
    EXPECT_EQ(Child<QLabel>(*form, "pnlAcDc")->text(), "DC");
    EXPECT_EQ(Child<QLabel>(*form, "SubDataPanel")->text(), "50.00Hz");
    EXPECT_EQ(Child<QLabel>(*form, "pnlSubAcDc")->text(), "");
    EXPECT_EQ(Child<QLabel>(*form, "pnlLB")->text(), "LB");
    EXPECT_EQ(Background(Child<QLabel>(*form, "pnlLB")), QColor(255, 0, 0));
    EXPECT_EQ(form->iconResource(), 2);

    // Resistance in kilo-ohms, battery fine again, sub display not in use.
    ASSERT_TRUE(showAfterBlink(Reading({"10.05", "k", "W", "", 0x80}, {}, false)));
    EXPECT_EQ(Child<QLabel>(*form, "UnitPanel")->text(), "k");
    EXPECT_EQ(Child<QLabel>(*form, "FuncPanel")->text(), QString::fromUtf8("Ω"));
    EXPECT_EQ(Child<QLabel>(*form, "pnlLB")->text(), "");
    EXPECT_EQ(Background(Child<QLabel>(*form, "pnlLB")), QColor(0, 0, 0));
    EXPECT_EQ(Child<QLabel>(*form, "SubDataPanel")->text(), "");
    EXPECT_EQ(form->iconResource(), 8);

    // AC volts with an AC sub display; the icon blinks back.
    ASSERT_TRUE(showAfterBlink(
        Reading({"230.1", "", "V", "AC", 0x5}, {"49.9", "", "Hz", "AC", 0x5}, false)));
    EXPECT_EQ(Child<QLabel>(*form, "FuncPanel")->text(), "V");
    EXPECT_EQ(Child<QLabel>(*form, "pnlSubAcDc")->text(), "AC");
    EXPECT_EQ(form->iconResource(), 2);
    // A reading right after it is shown with the same icon.
    ASSERT_TRUE(showNext(Reading({"230.2", "", "V", "AC", 0x5}, {}, false)));
    EXPECT_EQ(form->iconResource(), 2);
}

TEST_F(DigitalMeterFormTest, TheDecibelOhmReferenceAndContinuityAlsoShowTheOhmSign) {
    ASSERT_TRUE(showNext(Reading({"600.", "", "W", "", 0x2080}, {}, false)));
    EXPECT_EQ(Child<QLabel>(*form, "UnitPanel")->text(), "");
    EXPECT_EQ(Child<QLabel>(*form, "FuncPanel")->text(), QString::fromUtf8("Ω"));
    ASSERT_TRUE(showNext(Reading({"12.3", "", "W", "", 0x180}, {}, false)));
    EXPECT_EQ(Child<QLabel>(*form, "FuncPanel")->text(), QString::fromUtf8("Ω"));
    // A "W" in another function is a plain letter.
    ASSERT_TRUE(showNext(Reading({"-12.3", "d", "W", "", 0x6}, {}, false)));
    EXPECT_EQ(Child<QLabel>(*form, "FuncPanel")->text(), "W");
}

TEST_F(DigitalMeterFormTest, ClearDisplayEmptiesThePanelsAndResetsTheIcon) {
    ASSERT_TRUE(showNext(Reading({"1.000", "m", "V", "DC", 0x6}, {"1.0", "", "V", "", 0x4}, true)));
    ASSERT_TRUE(
        showAfterBlink(Reading({"2.000", "m", "V", "DC", 0x6}, {"1.0", "", "V", "", 0x4}, true)));
    ASSERT_EQ(form->iconResource(), 8);
    form->clearDisplay();
    for (QLabel* panel : {Child<QLabel>(*form, "DataPanel"), Child<QLabel>(*form, "UnitPanel"),
                          Child<QLabel>(*form, "FuncPanel"), Child<QLabel>(*form, "pnlAcDc"),
                          Child<QLabel>(*form, "pnlLB"), Child<QLabel>(*form, "pnlSubAcDc"),
                          Child<QLabel>(*form, "SubDataPanel")})
        EXPECT_EQ(panel->text(), "") << panel->objectName().toStdString();
    EXPECT_EQ(Background(Child<QLabel>(*form, "pnlLB")), QColor(0, 0, 0));
    EXPECT_EQ(form->iconResource(), 2);
}

TEST_F(DigitalMeterFormTest, AReadingHandedOverBeforeAnUnlinkDoesNotShowAfterIt) {
    ASSERT_TRUE(showNext(Reading({"1.000", "m", "V", "DC", 0x6}, {}, false)));
    // The window thread is busy (no events) while the last reading arrives and
    // the unlink runs: the update thread's call waits in the queue.
    Publish(state, Reading({"2.000", "m", "V", "DC", 0x6}, {}, true));
    QThread::msleep(20);
    state.setLinked(false);
    form->clearDisplay();
    QCoreApplication::processEvents(); // runs the waiting call
    EXPECT_EQ(Child<QLabel>(*form, "DataPanel")->text(), "");
    EXPECT_EQ(Child<QLabel>(*form, "pnlLB")->text(), "");
}

TEST_F(DigitalMeterFormTest, PlacedBelowTheMainWindowAndLaidOutOnResize) {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(form->pos(), QPoint(0, 60));
    EXPECT_EQ(form->width(), screen.width() / 4);
    EXPECT_EQ(form->height(), (screen.height() - 60) / 4);
    EXPECT_EQ(form->minimumSize(), QSize(screen.width() / 4, (screen.height() - 60) / 4));
    EXPECT_EQ(form->maximumSize(), QSize(screen.width(), screen.height() - 60));

    form->resize(form->minimumWidth() + 150, form->minimumHeight() + 90);
    const int w = form->width();
    const int h = form->height();
    EXPECT_EQ(Child<QLabel>(*form, "pnlLB")->width(), 2 * w / 15);
    EXPECT_EQ(Child<QLabel>(*form, "pnlLB")->height(), (h / 3) / 2);
    EXPECT_EQ(Child<QWidget>(*form, "pnlSubLcd")->height(), h / 3);
    EXPECT_EQ(Child<QLabel>(*form, "FuncPanel")->width(), w / 5);
    EXPECT_EQ(Child<QLabel>(*form, "pnlAcDc")->width(), w / 6);
    EXPECT_EQ(Child<QLabel>(*form, "DataPanel")->geometry().right() + 1,
              Child<QLabel>(*form, "UnitPanel")->x());
    EXPECT_EQ(Child<QLabel>(*form, "FuncPanel")->font().pointSize(), std::max(1, (w / 5) / 2));
    EXPECT_EQ(Child<QLabel>(*form, "DataPanel")->font().pointSize(),
              form->layoutNow().data.fontPoints);
}

TEST_F(DigitalMeterFormTest, CaptionAndNoCloseButton) {
    EXPECT_EQ(form->windowTitle(), "Digital Meter : No Device");
    EXPECT_EQ(TDigitalMeterForm::caption(true), "Digital Meter : USB Device");
    EXPECT_FALSE(form->windowFlags().testFlag(Qt::WindowCloseButtonHint));
    EXPECT_TRUE(form->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
}

TEST(DigitalMeterFormUnlinked, ClearsWhileNotLinkedAndFollowsALink) {
    LiveState state;
    QWidget mainWindow;
    TDigitalMeterForm form(state, &mainWindow);
    Child<QLabel>(form, "DataPanel")->setText("stale");
    ASSERT_TRUE(ProcessUntil([&] { return Child<QLabel>(form, "DataPanel")->text().isEmpty(); }));
    state.setLinked(true);
    MeterReading r;
    r.main.valueText = "0.000";
    Publish(state, r);
    EXPECT_TRUE(ProcessUntil([&] { return Child<QLabel>(form, "DataPanel")->text() == "0.000"; }));
    form.stopUpdateThread();
}
