// The message helpers, the auto-continuing and progress dialogs, the about
// dialog, an exception escaping a handler, and the program's options.
#include "fake_meter.h"
#include "find_child.h"

#include "app/ui/about_dialog.h"
#include "app/ui/program_options.h"
#include "base/build_info.h"
#include "base/busy_flag.h"
#include "base/ui/message_box.h"
#include "base/ui/message_dialogs.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <stdexcept>

namespace ostrel {
namespace {

using testing::Child;

TEST(MessageHelper, NumberedMessageFormsCaptionAndUsesStopIcon) {
    ScopedMessageAnswerer answers(QMessageBox::Ok);
    EXPECT_EQ(ShowNumberedMessage(nullptr, 9999, 9004), QMessageBox::Ok);
    ASSERT_EQ(answers.count(), 1);
    const MessageRequest& r = answers.requests()[0];
    EXPECT_EQ(r.caption, "Error[E9004]");
    EXPECT_EQ(r.text, "File open error.");
    EXPECT_EQ(r.icon, MessageIcon::Stop);
    EXPECT_EQ(r.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
}

TEST(MessageHelper, AnswerersNestAndRestore) {
    ScopedMessageAnswerer outer(QMessageBox::Yes);
    {
        ScopedMessageAnswerer inner(QMessageBox::No);
        EXPECT_EQ(ShowMessage({}), QMessageBox::No);
    }
    EXPECT_EQ(ShowMessage({}), QMessageBox::Yes);
    EXPECT_EQ(outer.count(), 1);
}

TEST(AutoMsgForm, EndsWithResultSixAfterThirtyTicks) {
    TAutoMsgForm form;
    Child<QTimer>(form, "Timer1")->start();
    form.show();
    for (int i = 0; i < 29; ++i)
        form.Timer1Timer();
    EXPECT_EQ(Child<QProgressBar>(form, "ProgressBar")->value(), 29);
    EXPECT_TRUE(Child<QTimer>(form, "Timer1")->isActive());
    EXPECT_TRUE(form.isVisible());
    form.Timer1Timer();
    EXPECT_FALSE(Child<QTimer>(form, "Timer1")->isActive());
    EXPECT_EQ(form.result(), TAutoMsgForm::ResultTimeOut);
    EXPECT_EQ(form.result(), 6);
    EXPECT_FALSE(form.isVisible());

    // Every show starts the countdown again.
    form.show();
    EXPECT_EQ(Child<QProgressBar>(form, "ProgressBar")->value(), 0);
    EXPECT_EQ(Child<QProgressBar>(form, "ProgressBar")->maximum(), 30);
}

TEST(AutoMsgForm, AbortAndContinueResults) {
    TAutoMsgForm form;
    EXPECT_EQ(Child<QPushButton>(form, "bbtnYes")->text(), "&Continue");
    form.show();
    Child<QTimer>(form, "Timer1")->start();
    Child<QPushButton>(form, "bbtnAbort")->click();
    EXPECT_EQ(form.result(), 3);
    EXPECT_FALSE(Child<QTimer>(form, "Timer1")->isActive());
    form.show();
    Child<QPushButton>(form, "bbtnYes")->click();
    EXPECT_EQ(form.result(), 4);
    // Escape does not close it: it has no close button.
    form.show();
    Child<QTimer>(form, "Timer1")->stop();
    form.reject();
    EXPECT_TRUE(form.isVisible());
    form.hide();
}

TEST(AutoMsgForm, ShowModalIsAnsweredThroughTheHelper) {
    TAutoMsgForm form;
    form.setWindowTitle("Warning[W8000]");
    Child<QLabel>(form, "lbMsg1")->setText("The battery power of the DMM is low.");
    Child<QLabel>(form, "lbMsg2")->setText("(Will continue automatically in 3 seconds.)");
    ScopedMessageAnswerer answers(TAutoMsgForm::ResultAbort);
    EXPECT_EQ(form.showModal(), 3);
    ASSERT_EQ(answers.count(), 1);
    EXPECT_EQ(answers.requests()[0].kind, MessageKind::AutoContinue);
    EXPECT_EQ(answers.requests()[0].caption, "Warning[W8000]");
    EXPECT_TRUE(answers.requests()[0].text.startsWith("The battery power of the DMM is low.\n"));
}

TEST(AutoMsgForm, RunsOutByItselfWhenModal) {
    TAutoMsgForm form;
    Child<QTimer>(form, "Timer1")->setInterval(1); // the same 30 ticks, quickly
    Child<QTimer>(form, "Timer1")->start();
    EXPECT_EQ(form.exec(), 6);
}

TEST(MsgForm, AbortClearsTheBusyFlag) {
    TMsgForm form;
    BusyFlag busy;
    form.setBusyFlag(&busy);
    EXPECT_EQ(Child<QProgressBar>(form, "ProgressBar")->maximum(), 100);
    EXPECT_EQ(Child<QProgressBar>(form, "ProgressBar")->value(), 0);
    busy.set(true);
    form.show();
    Child<QPushButton>(form, "bbtnAbort")->click();
    EXPECT_FALSE(busy.isSet());
    EXPECT_TRUE(form.isVisible()); // the caller hides it when done
    form.hide();
}

TEST(AboutTexts, PlatformLineTakesMajorAndMinor) {
    EXPECT_EQ(PlatformLine("Linux", "6.1.0-13-amd64"), "System: Linux 6.1");
    EXPECT_EQ(PlatformLine("Linux", "5.15"), "System: Linux 5.15");
    EXPECT_EQ(PlatformLine("Linux", "4"), "System: Linux 4.0");
    EXPECT_EQ(PlatformLine("", "weird"), "System: Unknown 0.0");
}

TEST(AboutDialog, NineLinesAndCableLinesOnClick) {
    test::FakeMeterAccess access;
    TDlgAboutForm about(access);
    about.show();
    EXPECT_EQ(Child<QPlainTextEdit>(about, "Memo1")->blockCount(), 9);
    EXPECT_EQ(about.line(0), "Tarvix");
    EXPECT_EQ(about.line(1), "Ostrel");
    // This build's version and release date.
    EXPECT_EQ(about.line(2), QStringLiteral("Ver ") + OSTREL_VERSION);
    EXPECT_EQ(about.line(3), QString::fromStdString(ReleaseDateLine(ReleaseDate())));
    EXPECT_TRUE(about.line(6).startsWith("System: "));
    EXPECT_EQ(about.line(7), "");
    EXPECT_TRUE(Child<QPlainTextEdit>(about, "Memo1")->isReadOnly());
    EXPECT_FALSE(Child<QLabel>(about, "ImageLogo")->isVisible());
    // The picture sits centred in the strip left of the memo.
    EXPECT_EQ(
        Child<QLabel>(about, "Image1")->x(),
        (Child<QPlainTextEdit>(about, "Memo1")->x() - Child<QLabel>(about, "Image1")->width()) / 2);
    EXPECT_EQ(Child<QLabel>(about, "Image1")->y(),
              Child<QFrame>(about, "Panel1")->height() / 2 -
                  Child<QLabel>(about, "Image1")->height() / 2);

    QTest::mouseClick(Child<QLabel>(about, "Image1"),
                      Qt::LeftButton); // a click on the picture reads the cable
    EXPECT_EQ(about.line(7), "Cable Firmware ver.:01.02");
    EXPECT_EQ(about.line(8), "Cable SN : 0807060504030201");

    // Shown again: the cable lines are empty until the next click.
    about.hide();
    about.show();
    EXPECT_EQ(about.line(7), "");
    EXPECT_EQ(about.line(8), "");
    EXPECT_EQ(Child<QPlainTextEdit>(about, "Memo1")->blockCount(), 9);

    access.cablePresent = false;
    about.Image1Click();
    EXPECT_EQ(about.line(7), "");
    EXPECT_EQ(about.line(8), "");
}

class ThrowingObject : public QObject {
  protected:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User)
            throw std::runtime_error("disk on fire");
        return QObject::event(e);
    }
};

TEST(Application, ExceptionInAHandlerIsShownAndTheProgramGoesOn) {
    ScopedMessageAnswerer answers;
    ThrowingObject object;
    QEvent event(QEvent::User);
    EXPECT_FALSE(QCoreApplication::sendEvent(&object, &event));
    ASSERT_EQ(answers.count(), 1);
    EXPECT_EQ(answers.requests()[0].text, "disk on fire");
    EXPECT_EQ(answers.requests()[0].icon, MessageIcon::Stop);

    // Posted events too: the loop goes on.
    QCoreApplication::postEvent(&object, new QEvent(QEvent::User));
    QCoreApplication::processEvents();
    EXPECT_EQ(answers.count(), 2);
}

TEST(ProgramOptions, SimulateHelpAndRefusals) {
    std::string error;
    auto o = ParseProgramOptions({"ostrel"}, &error);
    ASSERT_TRUE(o);
    EXPECT_FALSE(o->simulate);
    o = ParseProgramOptions({"ostrel", "--simulate"}, &error);
    ASSERT_TRUE(o && o->simulate);
    EXPECT_EQ(*o->simulate, "");
    o = ParseProgramOptions({"ostrel", "--simulate=unplug,after=5"}, &error);
    ASSERT_TRUE(o && o->simulate);
    EXPECT_EQ(*o->simulate, "unplug,after=5");
    o = ParseProgramOptions({"ostrel", "--help"}, &error);
    ASSERT_TRUE(o);
    EXPECT_TRUE(o->help);
    o = ParseProgramOptions({"ostrel", "--screenshots", "out"}, &error);
    ASSERT_TRUE(o);
    EXPECT_EQ(o->screenshotDirectory, "out");
    EXPECT_FALSE(ParseProgramOptions({"ostrel", "--bogus"}, &error));
    EXPECT_NE(error.find("--bogus"), std::string::npos);
    EXPECT_NE(ProgramHelpText().find("--simulate"), std::string::npos);
}

} // namespace
} // namespace ostrel
