// The download in the import window: the checks, the confirmation, the
// progress dialog, the failures that leave the window empty, and Abort.
#include "import_test_rig.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace ostrel {
namespace {

using test::Captions;
using test::DualSession;
using test::ImportRig;
using test::SingleSession;
using testing::Child;

std::vector<LoggerSessionData> TwoSessions() {
    return {DualSession(3), SingleSession(4, [](std::size_t i) { return 100 + i; })};
}

TEST(ImportDownload, NoCableOrNoLoggerIsSaidBeforeAnythingChanges) {
    for (auto [profile, caption, text] :
         {std::tuple{"absent,latency=0", "Error[E9015]", "USB adapter cable not found."},
          std::tuple{"nologger,latency=0", "Error[E9017]",
                     "Your meter is power off, disconnected or without built-in DATA LOGGING "
                     "function."}}) {
        ImportRig rig(profile);
        const auto shown = rig.download();
        ASSERT_EQ(shown.size(), 1u) << profile;
        EXPECT_EQ(shown[0].caption, caption);
        EXPECT_EQ(shown[0].text, text);
        EXPECT_EQ(shown[0].icon, MessageIcon::Stop);
        EXPECT_FALSE(BusyFlag());
        EXPECT_TRUE(Child<QToolButton>(*rig.form, "sbtnImport")->isEnabled());
    }
}

TEST(ImportDownload, ConfirmationNoLeavesTheDataUntouched) {
    ImportRig rig;
    rig.serve(TwoSessions());
    rig.download();
    ASSERT_EQ(rig.form->sessionCount(), 2);
    rig.serve({DualSession(9)});
    const auto shown = rig.download(QMessageBox::No);
    ASSERT_EQ(shown.size(), 1u);
    const MessageRequest& confirm = shown[0];
    EXPECT_EQ(confirm.caption, "Warning[W8010]");
    EXPECT_EQ(confirm.text,
              "All existing data in buffer will be destroyed.\nDo you really want to proceed?");
    EXPECT_EQ(confirm.buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(confirm.defaultButton, QMessageBox::No);
    EXPECT_EQ(confirm.icon, MessageIcon::Question);
    EXPECT_EQ(rig.form->sessionCount(), 2);
    EXPECT_EQ(rig.pages()->count(), 2);
    EXPECT_EQ(rig.form->sessions().session(1).size(), 4u);
    EXPECT_FALSE(rig.form->isEmpty());
}

TEST(ImportDownload, BadChecksumIsAskedAgain) {
    ImportRig rig;
    LoggerFaults faults;
    faults.badChecksums = 3; // three bad answers per block, the fourth good
    rig.serve(TwoSessions(), faults);
    EXPECT_EQ(Captions(rig.download()), std::vector<std::string>{"Warning[W8010]"});
    ASSERT_EQ(rig.form->sessionCount(), 2);
    const SessionList& single = rig.form->sessions().session(1);
    ASSERT_EQ(single.size(), 4u);
    EXPECT_EQ(std::string(FieldView(single[3].main.valueText)), "0.103");
}

TEST(ImportDownload, FailuresLeaveAnEmptyWindow) {
    ImportRig rig;
    rig.serve(TwoSessions());
    rig.download();
    // Three header time-outs: the old data is gone all the same.
    LoggerFaults silent;
    silent.headerTimeouts = 3;
    rig.serve(TwoSessions(), silent);
    auto shown = rig.download();
    ASSERT_EQ(Captions(shown), (std::vector<std::string>{"Warning[W8010]", "Error[E9016]"}));
    EXPECT_EQ(shown[1].text, "Data transmission timeout.\nPlease check meter and cable "
                             "connection as well as meter power.");
    TFormImport& f = *rig.form;
    EXPECT_TRUE(f.isEmpty());
    EXPECT_EQ(f.sessionCount(), 0);
    EXPECT_EQ(rig.pages()->count(), 0);
    EXPECT_EQ(rig.graph()->pointCount(), 200);
    EXPECT_FALSE(BusyFlag());
    EXPECT_TRUE(Child<QToolButton>(f, "sbtnImport")->isEnabled());
    EXPECT_FALSE(Child<QToolButton>(f, "sbtnSave")->isEnabled());

    // Blocks that never pass their checksum, after the progress dialog came up.
    LoggerFaults bad;
    bad.badChecksums = 4;
    rig.serve(TwoSessions(), bad);
    shown = rig.download();
    EXPECT_EQ(Captions(shown), (std::vector<std::string>{"Warning[W8010]", "Error[E9016]"}));
    EXPECT_TRUE(f.isEmpty());
    EXPECT_FALSE(rig.progress.isVisible());
    EXPECT_EQ(rig.pages()->count(), 0);
}

TEST(ImportDownload, EmptyMemoryGivesNoPageButCountsAsUnsaved) {
    ImportRig rig("default,latency=0"); // a logger memory without sessions
    EXPECT_EQ(Captions(rig.download()), std::vector<std::string>{"Warning[W8010]"});
    TFormImport& f = *rig.form;
    EXPECT_EQ(rig.pages()->count(), 0);
    EXPECT_FALSE(f.isEmpty());
    EXPECT_FALSE(f.isSaved());
    EXPECT_TRUE(Child<QToolButton>(f, "sbtnSave")->isEnabled());
    EXPECT_TRUE(Child<QToolButton>(f, "sbtnClear")->isEnabled());
    EXPECT_TRUE(Child<QToolButton>(f, "sbtnExport")->isEnabled());
    ScopedMessageAnswerer answers(QMessageBox::Cancel);
    EXPECT_FALSE(f.FormCloseQuery());
    EXPECT_EQ(answers.count(), 1);
}

TEST(ImportDownload, WhatCouldNotBeReadIsSaid) {
    ImportRig rig;
    auto image = *BuildLoggerImage({DualSession(3)});
    image[4] = 2; // a second session that is not there
    rig.meter->setLoggerResponder(std::make_shared<SimulatedLoggerMemory>(image, LoggerFaults{}));
    const auto shown = rig.download();
    ASSERT_EQ(Captions(shown), (std::vector<std::string>{"Warning[W8010]", "Warning[W7132]"}));
    EXPECT_EQ(rig.form->sessionCount(), 1);
}

TEST(ImportDownload, ProgressDialogAndAbort) {
    ImportRig rig("logger,latency=2");
    rig.serve({SingleSession(20000, [](std::size_t i) { return i % 9000; })});
    rig.form->show();
    ScopedMessageAnswerer answers(QMessageBox::Yes);
    rig.form->sbtnImportClick();
    EXPECT_TRUE(BusyFlag());
    EXPECT_FALSE(Child<QToolButton>(*rig.form, "sbtnOpen")->isEnabled());
    // Some blocks in: the dialog says what it does and lets the user abort.
    ASSERT_TRUE(testing::ProcessUntil([&] {
        return rig.progress.isVisible() &&
               Child<QProgressBar>(rig.progress, "ProgressBar")->value() > 24 * 20;
    }));
    EXPECT_EQ(Child<QLabel>(rig.progress, "MsgPanel")->text(),
              "Warning[W8012]: Acquiring  data from DMM ... please wait ...");
    EXPECT_TRUE(Child<QLabel>(rig.progress, "Label1")->text().startsWith("Read Bytes : "));
    EXPECT_TRUE(Child<QLabel>(rig.progress, "Label1")->text().endsWith(" Of 60020"));
    EXPECT_EQ(Child<QProgressBar>(rig.progress, "ProgressBar")->maximum(), 60024);
    EXPECT_TRUE(Child<QPushButton>(rig.progress, "bbtnAbort")->isEnabled());
    Child<QPushButton>(rig.progress, "bbtnAbort")->click();
    ASSERT_TRUE(testing::ProcessUntil([&] { return rig.idle(); }));
    // Nothing is left, nothing is said.
    EXPECT_EQ(answers.count(), 1);
    EXPECT_FALSE(rig.progress.isVisible());
    EXPECT_TRUE(rig.form->isEmpty());
    EXPECT_EQ(rig.pages()->count(), 0);
    EXPECT_TRUE(Child<QToolButton>(*rig.form, "sbtnImport")->isEnabled());
    rig.form->hide();
}

} // namespace
} // namespace ostrel
