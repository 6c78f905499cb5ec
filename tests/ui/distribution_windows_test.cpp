// The reading's road from the acquisition state through the digital meter's
// thread to the analog meter and the comparator, the windows' reset messages,
// and the end of the update threads at shutdown.
#include "base/ui/message_box.h"
#include "base/ui/window_messages.h"
#include "displays/ui/analog_meter_form.h"
#include "displays/ui/comparator_form.h"
#include "displays/ui/data_list_form.h"
#include "displays/ui/digital_meter_form.h"
#include "displays/ui/hi_low_dialog.h"
#include "displays/ui/live_windows.h"
#include "find_child.h"
#include "live_rig.h"
#include "ui_wait.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>

#include <gtest/gtest.h>

using namespace ostrel;
using ostrel::testing::Child;
using ostrel::testing::LiveRig;
using ostrel::testing::ProcessUntil;
using ostrel::testing::Publish;

TEST(DistributionWindows, ShownFollowersGetTheReadingAfterTheDigitalMeter) {
    LiveRig rig;
    rig.analog->show();
    Publish(rig.state, {"-0.500", 0x6, true});
    // The followers are woken before the digital meter's own window step is
    // queued, so either window may show it first.
    ASSERT_TRUE(ProcessUntil([&] {
        return rig.analog->state().valueText == "-0.500" &&
               Child<QLabel>(*rig.digital, "DataPanel")->text() == "-0.500";
    }));
    EXPECT_TRUE(rig.analog->state().negative);
    EXPECT_EQ(rig.analog->state().secondLabel, "V");
    EXPECT_EQ(rig.analog->state().function, 0x6);
    // The hidden comparator consumed its wake-up without taking the reading.
    EXPECT_EQ(rig.comparator->function(), 0);

    rig.comparator->show();
    Publish(rig.state, {"1.500", 0x8});
    ASSERT_TRUE(ProcessUntil([&] { return rig.comparator->function() == 0x8; }));
    EXPECT_TRUE(ProcessUntil([&] { return rig.analog->state().function == 0x8; }));
}

TEST(DistributionWindows, ResetMessagesRestTheMeters) {
    LiveRig rig;
    rig.analog->show();
    QCoreApplication::postEvent(rig.analog.get(), new QEvent(EventType(kMsgReset)));
    QCoreApplication::postEvent(rig.comparator.get(), new QEvent(EventType(kMsgReset)));
    QCoreApplication::processEvents();
    EXPECT_EQ(rig.analog->state().fullScale, 2000);
    EXPECT_EQ(rig.analog->state().rangeExponent, 2);
    EXPECT_EQ(rig.analog->state().count, 0);
    EXPECT_DOUBLE_EQ(rig.analog->state().angle, 150.0);
    EXPECT_FLOAT_EQ(rig.comparator->value(), 1.5f);
    EXPECT_DOUBLE_EQ(rig.comparator->fHiLimit(), 2.0);
    EXPECT_DOUBLE_EQ(rig.comparator->fLowLimit(), 1.0);
}

TEST(DistributionWindows, StopEndsThreadsBlockedInTheirWaitsAndHandOvers) {
    LiveRig rig;
    rig.analog->show();
    rig.comparator->show();
    // A reading arrives while the window thread is busy (no events processed):
    // the digital meter's thread and the followers block in their hand-overs.
    Publish(rig.state, {"1.000", 0x6});
    QThread::msleep(30);
    rig.digital->stopUpdateThread();
    rig.analog->stopUpdateThread();
    rig.comparator->stopUpdateThread();
    // The held calls may still run; the windows are alive and take them.
    QCoreApplication::processEvents();
    rig.digital->stopUpdateThread(); // idempotent
}

TEST(DistributionWindows, ShutDownEventsReleaseTheThreadsToo) {
    LiveRig rig;
    rig.state.shutdownEvents();
    rig.digital->stopUpdateThread();
    rig.analog->stopUpdateThread();
    rig.comparator->stopUpdateThread();
}

TEST(DistributionWindows, WindowsStackBelowTheMainWindow) {
    // As at start-up: every window is created before any is shown.
    LiveRig rig(/*showDigital=*/false);
    TDataStringGridForm list(nullptr, rig.above());
    EXPECT_EQ(rig.digital->pos(), QPoint(0, 60));
    EXPECT_EQ(rig.analog->pos(), QPoint(0, 60 + rig.digital->height()));
    EXPECT_EQ(list.pos(), QPoint(0, rig.analog->y() + rig.analog->height()));
    EXPECT_EQ(list.width(), rig.digital->width());
    EXPECT_EQ(rig.analog->windowTitle(), "Analog Meter");
    EXPECT_EQ(rig.comparator->windowTitle(), "Comparator");
    EXPECT_EQ(list.windowTitle(), "Data list");
    EXPECT_FALSE(rig.analog->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_FALSE(DisplayIcon(2).isNull());
    EXPECT_FALSE(DisplayIcon(8).isNull());
}

TEST(DistributionWindows, LimitEntriesAreCheckedBeforeTheyAreTaken) {
    double upper = 7;
    double lower = 3;
    EXPECT_EQ(CheckLimitEntries("abc", "1", upper, lower), 9007);
    EXPECT_EQ(CheckLimitEntries("2", "", upper, lower), 9007);
    EXPECT_EQ(CheckLimitEntries("5", "5", upper, lower), 9008);
    EXPECT_EQ(CheckLimitEntries("1e999", "0", upper, lower), 9007);
    // Numbers that the configuration file's 15 digits would round past the
    // largest double: refused, as they would reset every setting.
    EXPECT_EQ(CheckLimitEntries("1.7976931348623157e308", "0", upper, lower), 9030);
    EXPECT_EQ(CheckLimitEntries("0", "-1.7976931348623157E308", upper, lower), 9030);
    EXPECT_EQ(upper, 7); // nothing taken on failure
    EXPECT_EQ(CheckLimitEntries("1.79769313486231E308", "-1.79769313486231E308", upper, lower), 0);
    EXPECT_EQ(CheckLimitEntries(" 2.5 ", "-1E-3", upper, lower), 0);
    EXPECT_DOUBLE_EQ(upper, 2.5);
    EXPECT_DOUBLE_EQ(lower, -0.001);
}

TEST(DistributionWindows, LimitDialogKeepsItsLimitsUntilTheEntriesAreSound) {
    TDlgHiLowForm dialog;
    dialog.hiLimit = 2;
    dialog.lowLimit = 1;
    dialog.function = 0x80;
    dialog.unitLabel = "W";
    dialog.show();
    EXPECT_EQ(Child<QLineEdit>(dialog, "mkeHiLimit")->text(), "2");
    EXPECT_EQ(Child<QLabel>(dialog, "stxtHiFunc")->text(), QString::fromUtf8("Ω"));
    ScopedMessageAnswerer answers;
    Child<QLineEdit>(dialog, "mkeHiLimit")->setText("abc");
    Child<QPushButton>(dialog, "bbtnOk")->click();
    ASSERT_EQ(answers.count(), 1);
    EXPECT_EQ(answers.requests()[0].caption, "Error[E9007]");
    EXPECT_EQ(answers.requests()[0].text, "Not a valid floating point value !");
    EXPECT_TRUE(dialog.isVisible());
    Child<QLineEdit>(dialog, "mkeHiLimit")->setText("5");
    Child<QLineEdit>(dialog, "mkeLowLimit")->setText("5");
    Child<QPushButton>(dialog, "bbtnOk")->click();
    ASSERT_EQ(answers.count(), 2);
    EXPECT_EQ(answers.requests()[1].text, "Limit setting is unacceptable.");
    Child<QLineEdit>(dialog, "mkeLowLimit")->setText("-0.5");
    Child<QPushButton>(dialog, "bbtnOk")->click();
    EXPECT_EQ(answers.count(), 2);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_DOUBLE_EQ(dialog.hiLimit, 5.0);
    EXPECT_DOUBLE_EQ(dialog.lowLimit, -0.5);
}
