// Link, unlink and the off-line watcher, driven through the main window's
// handlers with a scripted meter link.
#include "fake_meter.h"
#include "find_child.h"

#include "app/ui/display_windows.h"
#include "app/ui/main_form.h"
#include "app/ui/start_up.h"
#include "base/busy_flag.h"
#include "base/ui/app_windows.h"
#include "base/ui/message_box.h"
#include "base/ui/message_dialogs.h"
#include "base/ui/shell_geometry.h"
#include "base/ui/window_messages.h"
#include "displays/ui/comparator_form.h"
#include "displays/ui/hi_low_dialog.h"
#include "import/ui/import_form.h"
#include "recorder/record_file.h"
#include "recorder/ui/graphical_form.h"

#include <QAction>
#include <QFrame>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

namespace ostrel {
namespace {

using testing::Child;

using test::FakeMeterAccess;
using test::FakeRunScript;

// Counts the events of one type that reach an object.
class EventCounter : public QObject {
  public:
    EventCounter(QObject* target, int type) : m_type(type) { target->installEventFilter(this); }
    int count = 0;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == m_type)
            ++count;
        return false;
    }

  private:
    int m_type;
};

class ShellLinkTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    void start() {
        session = std::make_unique<ShellSession>(access, dir.path());
        session->showWindows();
    }
    void TearDown() override { session.reset(); }

    TFormMain& main() { return session->main(); }
    const AppWindows& w() { return session->windows(); }
    void clickLink() {
        Child<QToolButton>(main(), "sbtnLink")
            ->click(); // flips the toggle, then runs sbtnLinkClick
    }
    QString digitalCaption() { return w().digitalMeter->windowTitle(); }

    QTemporaryDir dir;
    FakeMeterAccess access;
    std::unique_ptr<ShellSession> session;
};

TEST_F(ShellLinkTest, LinkWithoutCableShowsTheErrorOnceAndStaysUnlinked) {
    access.cablePresent = false;
    start();
    ScopedMessageAnswerer answers;
    clickLink();

    ASSERT_EQ(answers.count(), 1);
    EXPECT_EQ(answers.requests()[0].caption, "Error[E9015]");
    EXPECT_EQ(answers.requests()[0].text, "USB adapter cable not found.");
    EXPECT_EQ(answers.requests()[0].icon, MessageIcon::Stop);
    EXPECT_FALSE(Child<QToolButton>(main(), "sbtnLink")->isChecked());
    EXPECT_EQ(Child<QAction>(main(), "miLink")->text(), "&Link");
    EXPECT_EQ(Child<QToolButton>(main(), "sbtnLink")->toolTip(), "Link to DMM");
    EXPECT_FALSE(main().acquisitionState().isLinked());
    EXPECT_EQ(access.starts, 0);
    EXPECT_TRUE(digitalCaption().endsWith(" : No Device"));
}

TEST_F(ShellLinkTest, CableClosedToThisUserSaysHowToOpenIt) {
    access.cablePresent = false;
    access.permissionDenied = true;
    start();
    ScopedMessageAnswerer answers;
    clickLink();
    ASSERT_EQ(answers.count(), 1);
    EXPECT_TRUE(answers.requests()[0].text.startsWith("USB adapter cable not found."));
    EXPECT_EQ(answers.requests()[0].caption, "Error[E9015]");
    EXPECT_FALSE(Child<QToolButton>(main(), "sbtnLink")->isChecked());
}

TEST_F(ShellLinkTest, LinkAndUnlinkFollowTheButton) {
    start();
    ScopedMessageAnswerer answers;
    EventCounter stops(w().graphical, kMsgStopRecording);

    clickLink();
    EXPECT_TRUE(main().acquisitionState().isLinked());
    EXPECT_EQ(digitalCaption(), "Digital Meter : USB Device");
    EXPECT_EQ(Child<QAction>(main(), "miLink")->text(), "Un&link");
    EXPECT_EQ(Child<QToolButton>(main(), "sbtnLink")->toolTip(), "Unlink DMM");

    clickLink();
    EXPECT_EQ(access.stopRequests, 1);
    EXPECT_FALSE(main().acquisitionState().isLinked());
    EXPECT_EQ(digitalCaption(), "Digital Meter : No Device");
    EXPECT_EQ(stops.count, 1);
    EXPECT_EQ(answers.count(), 0);
    EXPECT_EQ(Child<QAction>(main(), "miLink")->text(), "&Link");

    // The menu item flips the button and runs the same handler.
    Child<QAction>(main(), "miLink")->trigger();
    EXPECT_TRUE(Child<QToolButton>(main(), "sbtnLink")->isChecked());
    EXPECT_TRUE(main().acquisitionState().isLinked());
    Child<QAction>(main(), "miLink")->trigger();
    EXPECT_FALSE(main().acquisitionState().isLinked());
}

TEST_F(ShellLinkTest, UnlinkResetsOnlyVisibleUnminimisedMeters) {
    start();
    ScopedMessageAnswerer answers;
    EventCounter analogResets(w().analogMeter, kMsgReset);
    EventCounter comparatorResets(w().comparator, kMsgReset);
    ASSERT_TRUE(w().analogMeter->isVisible());
    ASSERT_FALSE(w().comparator->isVisible()); // hidden after start-up

    clickLink();
    clickLink();
    QCoreApplication::processEvents();
    EXPECT_EQ(analogResets.count, 1);
    EXPECT_EQ(comparatorResets.count, 0);

    w().comparator->show();
    w().analogMeter->showMinimized();
    clickLink();
    clickLink();
    QCoreApplication::processEvents();
    EXPECT_EQ(comparatorResets.count, 1);
    EXPECT_EQ(analogResets.count, 1);
}

TEST_F(ShellLinkTest, CableLostShowsTheErrorOnceAndUnlinksEverything) {
    access.script = FakeRunScript::CableLostAfterStart;
    start();
    ScopedMessageAnswerer answers;
    EventCounter stops(w().graphical, kMsgStopRecording);

    clickLink();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !Child<QToolButton>(main(), "sbtnLink")->isChecked(); }, 5000));
    QTest::qWait(50); // nothing else follows

    EXPECT_EQ(answers.countText("USB adapter cable not found."), 1);
    EXPECT_EQ(answers.count(), 1);
    EXPECT_FALSE(main().acquisitionState().isLinked());
    EXPECT_EQ(digitalCaption(), "Digital Meter : No Device");
    EXPECT_EQ(Child<QAction>(main(), "miLink")->text(), "&Link");
    EXPECT_TRUE(Child<QToolButton>(main(), "sbtnAbout")->isEnabled());
    EXPECT_EQ(stops.count, 1);
}

TEST_F(ShellLinkTest, UnlinkAfterTheThreadEndedByItselfDoesNotAskOrWait) {
    access.script = FakeRunScript::EndsByItselfQuietly;
    start();
    ScopedMessageAnswerer answers;
    clickLink();
    ASSERT_TRUE(QTest::qWaitFor([&] { return access.finishedRuns == 1; }, 5000));

    clickLink();
    EXPECT_EQ(access.stopRequests, 0);
    EXPECT_FALSE(main().acquisitionState().isLinked());
    EXPECT_EQ(answers.count(), 0);
}

TEST_F(ShellLinkTest, SilentMeterShowsNoDataThenCableNotFoundAndUnlinks) {
    access.script = FakeRunScript::NoDataPending;
    start();
    ScopedMessageAnswerer answers;
    clickLink();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !Child<QToolButton>(main(), "sbtnLink")->isChecked(); }, 5000));
    QTest::qWait(30);
    ASSERT_EQ(answers.count(), 2);
    EXPECT_EQ(answers.requests()[0].text, "No data received.");
    EXPECT_EQ(answers.requests()[0].caption, "Error[E9015]");
    EXPECT_EQ(answers.requests()[1].text, "USB adapter cable not found.");
    EXPECT_FALSE(main().acquisitionState().isLinked());
}

TEST_F(ShellLinkTest, UnlinkWhileNoDataMessageIsPendingDoesNotDeadlock) {
    access.script = FakeRunScript::NoDataPending;
    start();
    ScopedMessageAnswerer answers;
    clickLink();
    // The thread queues its message and waits for the reply; this thread
    // unlinks before it ever shows the box.
    clickLink();
    EXPECT_FALSE(main().acquisitionState().isLinked());
    QTest::qWait(30);
    EXPECT_EQ(answers.countText("No data received."), 1);
    EXPECT_EQ(answers.countText("USB adapter cable not found."), 0);
}

TEST_F(ShellLinkTest, LinkButtonTakesNoClickWhileItsMessageIsOpen) {
    access.cablePresent = false;
    start();
    ScopedMessageAnswerer answers([&](const MessageRequest&) {
        Child<QToolButton>(main(), "sbtnLink")->click();
        Child<QAction>(main(), "miLink")->trigger();
        return int(QMessageBox::Ok);
    });
    clickLink();
    EXPECT_EQ(answers.count(), 1);
    EXPECT_FALSE(Child<QToolButton>(main(), "sbtnLink")->isChecked());
    EXPECT_TRUE(Child<QToolButton>(main(), "sbtnLink")->isEnabled());
}

TEST_F(ShellLinkTest, UnlinkRequestMessageUnlinks) {
    start();
    ScopedMessageAnswerer answers;
    clickLink();
    QEvent request(EventType(kMsgUnlinkRequest));
    QCoreApplication::sendEvent(&main(), &request);
    EXPECT_FALSE(Child<QToolButton>(main(), "sbtnLink")->isChecked());
    EXPECT_FALSE(main().acquisitionState().isLinked());
}

TEST_F(ShellLinkTest, EnableRulesWhileLinkedAndWhileBusy) {
    start();
    ScopedMessageAnswerer answers;
    auto state = [&] {
        return std::vector<bool>{Child<QAction>(main(), "miLink")->isEnabled(),
                                 Child<QToolButton>(main(), "sbtnLink")->isEnabled(),
                                 Child<QMenu>(main(), "mnuPort")->menuAction()->isEnabled(),
                                 Child<QMenu>(main(), "mnuHelp")->menuAction()->isEnabled(),
                                 Child<QToolButton>(main(), "sbtnAbout")->isEnabled()};
    };
    EXPECT_EQ(state(), (std::vector<bool>{true, true, true, true, true}));
    EXPECT_FALSE(Child<QToolButton>(main(), "sbtnPort")->isEnabled());
    EXPECT_FALSE(Child<QAction>(main(), "miComPort")->isEnabled());
    EXPECT_TRUE(Child<QAction>(main(), "miUsbPort")->isChecked());

    clickLink();
    EXPECT_EQ(state(), (std::vector<bool>{true, true, false, false, false}));

    main().busyFlag().set(true);
    main().refreshLinkControls();
    EXPECT_EQ(state(), (std::vector<bool>{false, false, false, false, false}));

    clickLink(); // a disabled button takes no click
    EXPECT_TRUE(Child<QToolButton>(main(), "sbtnLink")->isChecked());
    EXPECT_TRUE(main().acquisitionState().isLinked());

    main().busyFlag().set(false);
    main().refreshLinkControls();
    clickLink();
    EXPECT_EQ(state(), (std::vector<bool>{true, true, true, true, true}));
    EXPECT_FALSE(Child<QToolButton>(main(), "sbtnPort")->isEnabled());
}

// One busy flag for the program: a recorder file load started in the shell
// holds the link controls and the import window still, and the shared
// progress dialog's Abort ends it for all of them.
TEST_F(ShellLinkTest, AFileLoadIsBusyForEveryWindowUntilItsAbort) {
    start();
    const QString path = dir.filePath("big.g53");
    ASSERT_TRUE(SaveRecordFile(path.toStdString(), SampleBuffer(5000)));
    ScopedMessageAnswerer answers;
    std::vector<bool> whileLoading;
    QTimer::singleShot(0, w().msg, [&] {
        whileLoading = {main().busyFlag().isSet(), w().import->engine().busy(),
                        Child<QToolButton>(main(), "sbtnLink")->isEnabled()};
        Child<QPushButton>(w().msg, "bbtnAbort")->click();
    });
    EXPECT_FALSE(w().graphical->openFile(path));
    EXPECT_EQ(whileLoading, (std::vector<bool>{true, true, false}));
    EXPECT_FALSE(main().busyFlag().isSet());
    EXPECT_FALSE(w().import->engine().busy());
    EXPECT_TRUE(Child<QToolButton>(main(), "sbtnLink")->isEnabled());
    EXPECT_EQ(w().graphical->engine().count(), 0);
    EXPECT_EQ(answers.count(), 0);
}

TEST_F(ShellLinkTest, StartUpShowsTheLiveWindowsAndHidesTheRest) {
    start();
    EXPECT_TRUE(main().isVisible());
    EXPECT_TRUE(w().digitalMeter->isVisible());
    EXPECT_TRUE(w().analogMeter->isVisible());
    EXPECT_TRUE(w().graphical->isVisible());
    EXPECT_TRUE(w().dataList->isVisible());
    EXPECT_FALSE(w().comparator->isVisible());
    for (QWidget* dialog : std::initializer_list<QWidget*>{
             reinterpret_cast<QWidget*>(w().about), reinterpret_cast<QWidget*>(w().autoMsg),
             reinterpret_cast<QWidget*>(w().hiLow), reinterpret_cast<QWidget*>(w().import)})
        EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(main().windowTitle(), "Tarvix Ostrel");
    EXPECT_EQ(main().frameGeometry().topLeft(), QPoint(0, 0));
    EXPECT_EQ(main().frameGeometry().width(), main().screen()->geometry().width());
    EXPECT_EQ(Child<QToolButton>(main(), "sbtnLink")->geometry(), QRect(5, 5, 23, 22));
    EXPECT_EQ(Child<QToolButton>(main(), "sbtnAbout")->geometry(), QRect(232, 5, 23, 22));
    EXPECT_FALSE(Child<QFrame>(main(), "Panel1")->isVisible());
    EXPECT_EQ(w().main, &main());
}

TEST_F(ShellLinkTest, ShowingALiveWindowRestoresItAndShowsItWhenHidden) {
    start();
    w().comparator->hide();
    main().sbtnComparatorClick();
    EXPECT_TRUE(w().comparator->isVisible());
    w().graphical->showMinimized();
    main().sbtnGraphicalClick();
    EXPECT_FALSE(w().graphical->isMinimized());
}

TEST_F(ShellLinkTest, TilePlacesTheVisibleWindowsAndLeavesHiddenOnesAlone) {
    start();
    w().comparator->hide();
    w().comparator->move(333, 222);
    w().digitalMeter->move(500, 500);
    main().sbtnWinTileClick();

    const QRect screen = main().screen()->geometry();
    const int mainHeight = CurrentShellGeometry().mainWindowHeight;
    EXPECT_EQ(w().digitalMeter->frameGeometry().topLeft(), QPoint(0, mainHeight));
    // At least its slot; a window whose limits ask for more pushes the others down.
    EXPECT_GE(w().digitalMeter->frameGeometry().height(), (screen.height() - mainHeight) / 4);
    EXPECT_GE(w().digitalMeter->frameGeometry().width(), screen.width() / 4);
    EXPECT_EQ(w().graphical->frameGeometry().topLeft(), QPoint(screen.width() / 4, mainHeight));
    const int digitalHeight = w().digitalMeter->frameGeometry().height();
    EXPECT_EQ(w().analogMeter->frameGeometry().top(), mainHeight + digitalHeight);
    EXPECT_EQ(w().dataList->frameGeometry().top(),
              mainHeight + digitalHeight + w().analogMeter->frameGeometry().height());
    EXPECT_EQ(w().comparator->pos(), QPoint(333, 222));
    EXPECT_FALSE(w().comparator->isVisible());
}

TEST_F(ShellLinkTest, TiledComparatorShowsBothLimitRows) {
    start();
    w().comparator->show();
    main().sbtnWinTileClick();
    // The height the tile gives counts both buttons, which stand one above the
    // other; the limit rows beside the lower one must not be cut off.
    const auto* comparator = w().comparator;
    EXPECT_LE(Child<QWidget>(comparator, "Panel2")->geometry().bottom(),
              comparator->rect().bottom());
    EXPECT_LE(Child<QPushButton>(comparator, "bbtnHiLowLimit")->geometry().bottom(),
              comparator->rect().bottom());
}

TEST_F(ShellLinkTest, ConfigurationIsWrittenAtExit) {
    {
        QFile file(dir.filePath("QVRDL.ini"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("iPort=7\r\nfHiLimit=1.5\r\nfLowLimit=0.25\r\n");
    }
    start();
    EXPECT_EQ(main().configuration().iPort, 7);
    EXPECT_DOUBLE_EQ(w().comparator->fHiLimit(), 1.5);
    EXPECT_DOUBLE_EQ(w().comparator->fLowLimit(), 0.25);
    QFile::remove(dir.filePath("QVRDL.ini"));

    EXPECT_TRUE(main().close());
    QFile file(dir.filePath("QVRDL.ini"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().toStdString(), "iPort=7\r\nfHiLimit=1.5\r\nfLowLimit=0.25\r\n");
}

TEST_F(ShellLinkTest, TheDefaultLimitsPassTheLimitDialog) {
    // No configuration file: the defaults, upper above lower, which the limit
    // dialog takes as they are.
    start();
    EXPECT_DOUBLE_EQ(w().comparator->fHiLimit(), 300.0);
    EXPECT_DOUBLE_EQ(w().comparator->fLowLimit(), 100.0);
    w().comparator->show();
    ScopedMessageAnswerer answers;
    QTimer::singleShot(0, w().hiLow, [this] {
        Child<QPushButton>(w().hiLow, "bbtnOk")->click();
        if (w().hiLow->isVisible())
            w().hiLow->reject(); // refused: end the modal loop all the same
    });
    Child<QPushButton>(w().comparator, "bbtnHiLowLimit")->click();
    EXPECT_EQ(answers.count(), 0) << answers.requests()[0].text.toStdString();
    EXPECT_EQ(w().hiLow->lastMessage(), 0);
    EXPECT_DOUBLE_EQ(w().comparator->fHiLimit(), 300.0);
    EXPECT_DOUBLE_EQ(w().comparator->fLowLimit(), 100.0);
}

TEST_F(ShellLinkTest, ExitWhileLinkedToASilentMeterIsPrompt) {
    // The thread stays blocked in the device after the stop request; the
    // shutdown must neither wait for it nor free what it still uses.
    static auto* leaked = new FakeMeterAccess; // outlives the blocked thread
    leaked->script = FakeRunScript::IgnoresStopFor2Seconds;
    session = std::make_unique<ShellSession>(*leaked, dir.path());
    ScopedMessageAnswerer answers;
    Child<QToolButton>(main(), "sbtnLink")->click();
    EXPECT_TRUE(session->shutdown());
    EXPECT_EQ(leaked->finishedRuns, 0); // shutdown did not wait for it
    session.reset();
}

TEST_F(ShellLinkTest, ExitWhileLinkedEndsEveryThread) {
    start();
    ScopedMessageAnswerer answers;
    clickLink();
    EXPECT_FALSE(session->shutdown());
    EXPECT_EQ(access.stopRequests, 1);
}

} // namespace
} // namespace ostrel
