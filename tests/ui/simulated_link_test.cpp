// The whole program's link against the simulated meter: the real acquisition
// thread, off-line watcher and update threads, driven through the main
// window's handlers.

#include "find_child.h"

#include "app/ui/display_windows.h"
#include "app/ui/main_form.h"
#include "app/ui/meter_access_factory.h"
#include "app/ui/start_up.h"
#include "base/ui/app_windows.h"
#include "base/ui/message_box.h"
#include "base/ui/user_settings.h"
#include "recorder/ui/graphical_form.h"

#include <QAction>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <optional>

namespace ostrel {
namespace {

using testing::Child;

class SimulatedLinkTest : public ::testing::Test {
  protected:
    void start(const std::string& simulate,
               const std::optional<std::string>& device = std::nullopt) {
        std::string error;
        access = MakeMeterAccess(simulate, device, &error);
        ASSERT_TRUE(access) << error;
        session = std::make_unique<ShellSession>(*access, dir.path());
        session->showWindows();
    }
    void TearDown() override {
        session.reset();
        access.reset();
    }
    TFormMain& main() { return session->main(); }
    TDigitalMeterForm& digital() { return *session->windows().digitalMeter; }

    QTemporaryDir dir;
    std::unique_ptr<MeterAccess> access;
    std::unique_ptr<ShellSession> session;
};

TEST_F(SimulatedLinkTest, AbsentCableShowsTheErrorOnce) {
    start("absent");
    ScopedMessageAnswerer answers;
    Child<QToolButton>(main(), "sbtnLink")->click();
    EXPECT_EQ(answers.count(), 1);
    EXPECT_EQ(answers.countText("USB adapter cable not found."), 1);
    EXPECT_FALSE(Child<QToolButton>(main(), "sbtnLink")->isChecked());
    EXPECT_EQ(Child<QAction>(main(), "miLink")->text(), "&Link");
    EXPECT_TRUE(digital().windowTitle().endsWith(" : No Device"));
}

TEST_F(SimulatedLinkTest, ACableClosedToTheUserPointsToTheCableDoctor) {
    start("noaccess");
    ScopedMessageAnswerer answers;
    Child<QToolButton>(main(), "sbtnLink")->click();
    ASSERT_EQ(answers.count(), 1);
    const QString text = answers.requests().front().text;
    EXPECT_TRUE(text.startsWith("USB adapter cable not found.\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("ostrel-cli info")) << text.toStdString();
    EXPECT_FALSE(Child<QToolButton>(main(), "sbtnLink")->isChecked());
}

TEST_F(SimulatedLinkTest, TheChosenCableOfSeveralIsTheOneLinked) {
    // The second cable's meter starts on AC volts where the first shows DC
    // volts; at 50 answers a second the first reading shown is still AC even
    // when a busy machine shows it late.
    start("cables=2,latency=20", "F0DEBC9A78563413");
    ScopedMessageAnswerer answers;
    Child<QToolButton>(main(), "sbtnLink")->click();
    ASSERT_TRUE(main().acquisitionState().isLinked());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !Child<QLabel>(digital(), "DataPanel")->text().isEmpty(); }, 20000));
    EXPECT_EQ(Child<QLabel>(digital(), "pnlAcDc")->text(), "AC");
    EXPECT_EQ(answers.count(), 0);
}

TEST_F(SimulatedLinkTest, ReadingsReachTheDigitalMeter) {
    // Every third answer carries the low-battery mark; the first ones show DC
    // volts on the main display and AC millivolts on the sub display.
    start("default,latency=1,lowbattery=3");
    ScopedMessageAnswerer answers;
    Child<QToolButton>(main(), "sbtnLink")->click();
    ASSERT_TRUE(main().acquisitionState().isLinked());
    EXPECT_EQ(digital().windowTitle(), "Digital Meter : USB Device");

    // The meter moves on to other functions after its first answers, and a
    // busy machine may show the first reading late: wait for a DC volts
    // reading that carries the mark, then check both displays of it.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return Child<QLabel>(digital(), "pnlLB")->text() == "LB" &&
                   Child<QLabel>(digital(), "pnlAcDc")->text() == "DC" &&
                   Child<QLabel>(digital(), "FuncPanel")->text() == "V";
        },
        20000));
    EXPECT_FALSE(Child<QLabel>(digital(), "DataPanel")->text().isEmpty());
    EXPECT_TRUE(Child<QLabel>(digital(), "SubDataPanel")->text().endsWith("mV"));
    EXPECT_EQ(Child<QLabel>(digital(), "pnlSubAcDc")->text(), "AC");

    Child<QToolButton>(main(), "sbtnLink")->click();
    EXPECT_FALSE(main().acquisitionState().isLinked());
    EXPECT_EQ(Child<QLabel>(digital(), "DataPanel")->text(), "");
    EXPECT_EQ(Child<QLabel>(digital(), "pnlLB")->text(), "");
    EXPECT_EQ(answers.count(), 0);
}

TEST_F(SimulatedLinkTest, UnpluggedCableShowsTheErrorOnceAndEverythingReadsUnlinked) {
    start("unplug,after=20,latency=1");
    ScopedMessageAnswerer answers;
    Child<QToolButton>(main(), "sbtnLink")->click();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !Child<QToolButton>(main(), "sbtnLink")->isChecked(); }, 20000));
    QTest::qWait(50);
    EXPECT_EQ(answers.count(), 1);
    EXPECT_EQ(answers.countText("USB adapter cable not found."), 1);
    EXPECT_FALSE(main().acquisitionState().isLinked());
    EXPECT_EQ(digital().windowTitle(), "Digital Meter : No Device");
    EXPECT_EQ(Child<QLabel>(digital(), "DataPanel")->text(), "");
    EXPECT_EQ(Child<QAction>(main(), "miLink")->text(), "&Link");
    EXPECT_TRUE(Child<QToolButton>(main(), "sbtnAbout")->isEnabled());
}

TEST_F(SimulatedLinkTest, SilentMeterReportsNoDataThenTheLostCableAndUnlinks) {
    start("silent,latency=0");
    ScopedMessageAnswerer answers;
    Child<QToolButton>(main(), "sbtnLink")->click();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !Child<QToolButton>(main(), "sbtnLink")->isChecked(); }, 20000));
    QTest::qWait(50);
    ASSERT_EQ(answers.count(), 2);
    EXPECT_EQ(answers.requests()[0].text, "No data received.");
    EXPECT_EQ(answers.requests()[0].caption, "Error[E9015]");
    EXPECT_EQ(answers.requests()[1].text, "USB adapter cable not found.");
    EXPECT_FALSE(main().acquisitionState().isLinked());
    EXPECT_EQ(digital().windowTitle(), "Digital Meter : No Device");
}

TEST_F(SimulatedLinkTest, WithLinkAgainAReplugKeepsTheLinkAndTheRecordingWithAGapInTheGraph) {
    SetLinkAgainChosen(true);
    // About 1.5 s of readings (a few samples), 1.5 s without cable, then more.
    start("replug,after=30,gone=1500,latency=50");
    ScopedMessageAnswerer answers;
    EXPECT_TRUE(Child<QAction>(main(), "miLinkAgain")->isChecked());
    Child<QToolButton>(main(), "sbtnLink")->click();
    TGraphicalForm& recorder = *session->windows().graphical;
    Child<QToolButton>(recorder, "sbtnRecordStart")->click();
    ASSERT_TRUE(recorder.recording());

    // The off-line message of the loss, once; the link stays down meanwhile.
    ASSERT_TRUE(QTest::qWaitFor([&] { return answers.count() == 1; }, 20000));
    EXPECT_EQ(answers.requests()[0].text, "USB adapter cable not found.");
    const std::int64_t before = recorder.engine().count();
    EXPECT_GT(before, 0);
    // The cable comes back: the same recording takes samples again.
    ASSERT_TRUE(QTest::qWaitFor([&] { return recorder.engine().count() >= before + 2; }, 20000));
    EXPECT_TRUE(Child<QToolButton>(main(), "sbtnLink")->isChecked());
    EXPECT_TRUE(recorder.recording());
    EXPECT_EQ(answers.count(), 1);
    bool gap = false;
    for (std::int64_t i = 1; i < recorder.engine().count(); ++i)
        gap = gap || recorder.engine().gapBefore(i);
    EXPECT_TRUE(gap);

    Child<QToolButton>(recorder, "sbtnRecordStop")->click();
    Child<QToolButton>(main(), "sbtnLink")->click();
    EXPECT_FALSE(main().acquisitionState().isLinked());
    SetLinkAgainChosen(false);
}

TEST_F(SimulatedLinkTest, ExitWhileLinkedToASilentMeterEndsEveryThread) {
    start("silent");
    ScopedMessageAnswerer answers;
    Child<QToolButton>(main(), "sbtnLink")->click();
    QTest::qWait(20);
    // The acquisition thread waits for an answer that never comes; the stop
    // interrupts its wait, so nothing is left running.
    EXPECT_FALSE(session->shutdown());
}

} // namespace
} // namespace ostrel
