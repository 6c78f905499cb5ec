// The graphical recorder window through its handlers: sampling and what it
// refuses, pages and readout, the interval, the temporary files, Clear, the
// low-battery question, files, the exit question and recovery.

#include "../recorder/file_size_limit.h"
#include "recorder_test_rig.h"
#include "ui_wait.h"

#include "base/busy_flag.h"
#include "base/ui/shell_geometry.h"
#include "recorder/record_file.h"

#include <QAction>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QListView>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include <QFileInfo>

#include <gtest/gtest.h>

namespace ostrel {
namespace {

using testing::Child;
using testing::Reading;
using testing::RecorderRig;

class GraphicalFormTest : public ::testing::Test {
  protected:
    void SetUp() override { rig.link(); }
    void startRecording() {
        Child<QToolButton>(*rig.form, "sbtnRecordStart")->setChecked(true);
        rig.form->sbtnRecordStartClick();
        ASSERT_TRUE(rig.form->recording());
        // The tests take the samples themselves: on a slow run (sanitizers,
        // a loaded machine) the real 500 ms tick must not add one of its own.
        Child<QTimer>(*rig.form, "TimerLogger")->setInterval(24 * 3600 * 1000);
    }
    void flushPosted() { QCoreApplication::processEvents(); }
    TGraphicalForm& form() { return *rig.form; }

    ScopedMessageAnswerer answers{QMessageBox::Ok};
    RecorderRig rig;
};

TEST_F(GraphicalFormTest, ARefusedReadingChangesNothing) {
    startRecording();
    rig.sample(".");
    flushPosted();
    EXPECT_EQ(form().engine().count(), 0);
    EXPECT_TRUE(form().engine().empty());
    EXPECT_EQ(rig.status(1), "Data in buffer : 0");
    EXPECT_EQ(rig.graph()->yData(199), GraphAdapter::kNullValue);
    EXPECT_EQ(rig.dataList.sheet(0)->count(), 0);
    EXPECT_EQ(Child<QProgressBar>(form(), "ProgressBar")->value(), 0);

    rig.sample("1.500");
    flushPosted();
    EXPECT_EQ(form().engine().count(), 1);
    EXPECT_EQ(rig.status(0), "Data Logging ...");
    EXPECT_EQ(rig.status(1), "Data in buffer : 1");
    EXPECT_EQ(rig.graph()->yData(199), 1.5);
    EXPECT_EQ(Child<QProgressBar>(form(), "ProgressBar")->value(), 1);
    ASSERT_EQ(rig.dataList.sheet(0)->count(), 1);
    EXPECT_TRUE(rig.dataList.lineText(0, 0).startsWith("1,"));
    EXPECT_EQ(Child<QLabel>(form(), "ReadingDataPanel")->text(), "1.500");
    EXPECT_EQ(rig.graph()->yAxisLabel(), "Reading(V)");
}

TEST_F(GraphicalFormTest, TheTwoHundredAndFirstSampleTurnsThePage) {
    startRecording();
    for (int i = 1; i <= 200; ++i)
        rig.sample(std::to_string(i) + ".0");
    EXPECT_EQ(rig.status(2), "Page : 1 of 1");
    rig.sample("201.0");
    EXPECT_EQ(rig.status(2), "Page : 2 of 2");
    EXPECT_EQ(rig.status(1), "Data in buffer : 201");
    // The graph shows samples 2 … 201.
    EXPECT_EQ(rig.graph()->yData(0), 2.0);
    EXPECT_EQ(rig.graph()->yData(199), 201.0);
    EXPECT_EQ(rig.graph()->cursorPoint(), 199);
    EXPECT_EQ(Child<QLabel>(form(), "ReadingDataPanel")->text(), "201.0");
    // Paging waits until the recording stops.
    EXPECT_FALSE(Child<QToolButton>(form(), "sbtnPageUp")->isEnabled());
    Child<QToolButton>(form(), "sbtnRecordStop")->click();
    EXPECT_TRUE(Child<QToolButton>(form(), "sbtnPageUp")->isEnabled());
    EXPECT_TRUE(Child<QToolButton>(form(), "sbtnFitView")->isEnabled());
    EXPECT_FALSE(Child<QToolButton>(form(), "sbtnPageDown")->isEnabled());
}

TEST_F(GraphicalFormTest, ExtremesAndYRangeFollowTheSamples) {
    startRecording();
    rig.sample("0.0");
    EXPECT_EQ(rig.graph()->manualMaxY(), 1.0);
    EXPECT_EQ(rig.graph()->manualMinY(), -1.0);
    EXPECT_EQ(Child<QLabel>(form(), "MaxDataPanel")->text(), ""); // from the second sample on

    rig.sample("5.00");
    rig.sample("5.000");
    // The equal newer sample takes the maximum; the minimum stays on the first.
    EXPECT_EQ(Child<QLabel>(form(), "MaxDataPanel")->text(), "5.000");
    EXPECT_EQ(Child<QLabel>(form(), "MinDataPanel")->text(), "0.0");
    EXPECT_EQ(Child<QLabel>(form(), "MaxFuncPanel")->text(), "V");

    rig.sample("-2.0", 0x80); // resistance: the function panel draws "W" as the ohm sign
    rig.publish(Reading("1.0", 0x80, "W"));
    form().TimerLoggerTimer();
    EXPECT_EQ(Child<QLabel>(form(), "MinDataPanel")->text(), "-2.0");
    EXPECT_EQ(Child<QLabel>(form(), "ReadingFuncPanel")->text(), QString::fromUtf8("Ω"));
    EXPECT_EQ(rig.graph()->yAxisLabel(), "Reading(Ohm)");
    rig.sample("3.0", 0x1000);
    EXPECT_EQ(rig.graph()->yAxisLabel(), "Reading(nS)");
}

TEST_F(GraphicalFormTest, IntervalOptionSetsTheTimerAndTheStatus) {
    form().setDialogRunner([](QDialog& d) {
        auto& option = static_cast<TDialogOption&>(d);
        EXPECT_EQ(option.seconds, 0);
        EXPECT_FALSE(option.manual);
        option.seconds = 3;
        return int(QDialog::Accepted);
    });
    form().sbtnOptionClick();
    EXPECT_EQ(Child<QTimer>(form(), "TimerLogger")->interval(), 3000);
    EXPECT_EQ(rig.status(3), "Interval in second(s):3S");

    form().setDialogRunner([](QDialog& d) {
        auto& option = static_cast<TDialogOption&>(d);
        EXPECT_EQ(option.seconds, 3);
        option.seconds = 0;
        return int(QDialog::Rejected); // Cancel takes nothing back
    });
    form().sbtnOptionClick();
    EXPECT_EQ(Child<QTimer>(form(), "TimerLogger")->interval(), 3000);

    form().setDialogRunner([](QDialog& d) {
        static_cast<TDialogOption&>(d).seconds = 0;
        return int(QDialog::Accepted);
    });
    form().sbtnOptionClick();
    EXPECT_EQ(Child<QTimer>(form(), "TimerLogger")->interval(), 500);
    EXPECT_EQ(rig.status(3), "Full Speed");
}

TEST_F(GraphicalFormTest, ManualSamplesGoToATemporaryFileAsTheyAreTaken) {
    rig.setManual(true);
    EXPECT_EQ(rig.status(3), "Manual");
    EXPECT_FALSE(Child<QToolButton>(form(), "sbtnRecordStart")->isEnabled());
    EXPECT_TRUE(Child<QToolButton>(form(), "sbtnManualLogging")->isEnabled());
    rig.publish(Reading("2.0"));
    Child<QToolButton>(form(), "sbtnManualLogging")->click();
    Child<QToolButton>(form(), "sbtnManualLogging")->click();
    EXPECT_EQ(form().engine().count(), 2);
    // On the disk at once, so that a crash loses none.
    ASSERT_EQ(rig.temporaryFiles(), QStringList{"~QDMDL1.TMP"});
    EXPECT_EQ(QFileInfo(QDir(rig.dir).filePath("~QDMDL1.TMP")).size(), 2 * 169);
    // A manual series after a clear (answered OK) has a file of its own.
    form().sbtnClearClick();
    Child<QToolButton>(form(), "sbtnManualLogging")->click();
    EXPECT_EQ(rig.temporaryFiles(), QStringList({"~QDMDL1.TMP", "~QDMDL2.TMP"}));
    EXPECT_EQ(QFileInfo(QDir(rig.dir).filePath("~QDMDL2.TMP")).size(), 169);

    rig.state.setLinked(false);
    Child<QToolButton>(form(), "sbtnManualLogging")->click();
    EXPECT_EQ(form().engine().count(), 1);
    ASSERT_EQ(answers.count(), 2);
    EXPECT_EQ(answers.requests()[1].caption, "Error[E9002]");
    EXPECT_EQ(answers.requests()[1].text,
              "You must link to the DMM by clicking the link button before starting data "
              "logging.");
}

TEST_F(GraphicalFormTest, StartWhileUnlinkedShowsTheErrorAndPutsStopDown) {
    rig.state.setLinked(false);
    Child<QToolButton>(form(), "sbtnRecordStart")->click();
    EXPECT_FALSE(form().recording());
    EXPECT_TRUE(Child<QToolButton>(form(), "sbtnRecordStop")->isChecked());
    EXPECT_EQ(answers.count(), 1);
    EXPECT_TRUE(rig.temporaryFiles().isEmpty());
}

TEST(GraphicalFormPlace, RightOfTheLiveWindowsBelowTheMainWindow) {
    ShellGeometry& shell = CurrentShellGeometry();
    const ShellGeometry before = shell;
    shell = ShellGeometry{60, 40};
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    {
        AcquisitionState state;
        TGraphicalForm form(state);
        form.show();
        const QRect frame = form.frameGeometry();
        EXPECT_EQ(frame.topLeft(), QPoint(screen.width() / 4, 60));
        EXPECT_EQ(form.width(), screen.width() - screen.width() / 4);
        EXPECT_EQ(form.minimumWidth(), screen.width() - screen.width() / 4);
        EXPECT_EQ(form.maximumWidth(), screen.width());
        EXPECT_EQ(form.maximumHeight(), screen.height() - 60 - 40);
    }
    shell = before;
}

TEST(GraphicalFormFiles, AStartWithoutATemporaryFileStopsAtOnce) {
    ScopedMessageAnswerer answers;
    RecorderRig rig(QStringLiteral("/nonexistent/start-up/directory"));
    rig.link();
    Child<QToolButton>(*rig.form, "sbtnRecordStart")->click();
    EXPECT_FALSE(rig.form->recording());
    EXPECT_FALSE(Child<QTimer>(*rig.form, "TimerLogger")->isActive());
    EXPECT_TRUE(Child<QToolButton>(*rig.form, "sbtnRecordStop")->isChecked());
    EXPECT_EQ(rig.status(0), "");
    ASSERT_EQ(answers.count(), 1);
    EXPECT_EQ(answers.requests()[0].caption, "Error[E9003]");
    EXPECT_EQ(answers.requests()[0].text,
              "Unable to create file for real time temporary storage in hard disk.");
}

TEST(GraphicalFormFiles, TheThirdStartWritesFileThreeAndTheEndRemovesOnlyThisRunsFiles) {
    ScopedMessageAnswerer answers;
    QTemporaryDir dir;
    {
        RecorderRig rig(dir.path());
        rig.link();
        for (int start = 1; start <= 3; ++start) {
            Child<QToolButton>(*rig.form, "sbtnRecordStart")->click();
            rig.sample("1.0");
            Child<QToolButton>(*rig.form, "sbtnRecordStop")->click();
        }
        EXPECT_EQ(rig.temporaryFiles(), QStringList({"~QDMDL1.TMP", "~QDMDL2.TMP", "~QDMDL3.TMP"}));
        EXPECT_EQ(QFile(dir.filePath("~QDMDL3.TMP")).size(), qint64(kEntrySize));
        // A Start while recording goes on in the next file; the one before
        // keeps its samples.
        Child<QToolButton>(*rig.form, "sbtnRecordStart")->click();
        rig.sample("2.0");
        Child<QToolButton>(*rig.form, "sbtnRecordStart")->click();
        EXPECT_TRUE(rig.form->recording());
        rig.sample("3.0");
        rig.sample("4.0");
        EXPECT_EQ(QFile(dir.filePath("~QDMDL4.TMP")).size(), qint64(kEntrySize));
        EXPECT_EQ(QFile(dir.filePath("~QDMDL5.TMP")).size(), qint64(2 * kEntrySize));
        EXPECT_EQ(rig.form->engine().count(), 6);
    }
    EXPECT_TRUE(QDir(dir.path()).entryList({"~QDMDL*"}, QDir::Files).isEmpty());

    // A file an earlier run left is neither reused nor removed.
    QFile left(dir.filePath("~QDMDL1.TMP"));
    ASSERT_TRUE(left.open(QIODevice::WriteOnly));
    left.write(QByteArray(int(kEntrySize), 'x'));
    left.close();
    {
        RecorderRig rig(dir.path());
        rig.link();
        Child<QToolButton>(*rig.form, "sbtnRecordStart")->click();
        rig.sample("1.0");
        EXPECT_EQ(rig.temporaryFiles(), QStringList({"~QDMDL1.TMP", "~QDMDL2.TMP"}));
    }
    EXPECT_EQ(QDir(dir.path()).entryList({"~QDMDL*"}, QDir::Files), QStringList({"~QDMDL1.TMP"}));
    ASSERT_TRUE(left.open(QIODevice::ReadOnly));
    EXPECT_EQ(left.readAll(), QByteArray(int(kEntrySize), 'x'));
}

TEST_F(GraphicalFormTest, PagingTwoHundredAndFiftySamples) {
    startRecording();
    for (int i = 0; i < 250; ++i)
        rig.sample(std::to_string(i) + ".0");
    Child<QToolButton>(form(), "sbtnRecordStop")->click();
    EXPECT_EQ(rig.graph()->yData(0), 50.0);

    QTest::keyClick(rig.graph()->focusProxy(),
                    Qt::Key_PageUp); // the key acts as the button
    EXPECT_EQ(rig.status(2), "Page : 1 of 2");
    EXPECT_EQ(rig.graph()->yData(149), GraphAdapter::kNullValue);
    EXPECT_EQ(rig.graph()->pointLabel(149), " ");
    EXPECT_EQ(rig.graph()->yData(150), 0.0);
    EXPECT_EQ(rig.graph()->yData(199), 49.0);
    EXPECT_FALSE(Child<QToolButton>(form(), "sbtnPageUp")->isEnabled());
    EXPECT_TRUE(Child<QToolButton>(form(), "sbtnPageDown")->isEnabled());
    EXPECT_TRUE(Child<QAction>(form(), "miLastPage")->isEnabled());

    rig.graph()->setCursorPoint(10);
    form().PEGraphCursorMoved();
    EXPECT_EQ(Child<QLabel>(form(), "TimePanel")->text(), "");
    EXPECT_EQ(Child<QLabel>(form(), "ReadingDataPanel")->text(), "");
    EXPECT_EQ(rig.graph()->yAxisLabel(), "Reading");

    form().sbtnPageUpClick();
    EXPECT_EQ(rig.status(2), "Page : 1 of 2");
    ASSERT_EQ(answers.count(), 1);
    EXPECT_EQ(answers.requests()[0].text, "First page.");
    EXPECT_EQ(answers.requests()[0].caption, "Warning[W8008]");

    form().sbtnLastPageClick();
    form().sbtnPageDownClick();
    ASSERT_EQ(answers.count(), 2);
    EXPECT_EQ(answers.requests()[1].text, "Last page.");
    EXPECT_EQ(rig.status(2), "Page : 2 of 2");

    form().sbtnFirstPageClick();
    // A new sample goes back to the last page.
    Child<QToolButton>(form(), "sbtnRecordStart")->click();
    rig.sample("250.0");
    EXPECT_EQ(rig.status(2), "Page : 2 of 2");
    EXPECT_EQ(rig.graph()->yData(199), 250.0);
    EXPECT_EQ(rig.graph()->yData(0), 51.0);
}

TEST_F(GraphicalFormTest, ClearAsksWhenUnsavedAndEmptiesEverything) {
    startRecording();
    for (int i = 0; i < 3; ++i)
        rig.sample("1.0");
    Child<QToolButton>(form(), "sbtnRecordStop")->click();
    flushPosted();
    ASSERT_EQ(rig.dataList.sheet(0)->count(), 3);

    {
        ScopedMessageAnswerer cancel(QMessageBox::Cancel);
        Child<QToolButton>(form(), "sbtnClear")->click();
        ASSERT_EQ(cancel.count(), 1);
        EXPECT_EQ(cancel.requests()[0].caption, "Warning[W8002]");
        EXPECT_EQ(cancel.requests()[0].defaultButton, QMessageBox::Cancel);
    }
    EXPECT_EQ(form().engine().count(), 3);
    Child<QToolButton>(form(), "sbtnClear")->click();
    EXPECT_EQ(form().engine().count(), 0);
    EXPECT_EQ(rig.dataList.sheet(0)->count(), 0);
    EXPECT_EQ(rig.graph()->yData(199), GraphAdapter::kNullValue);
    EXPECT_EQ(rig.graph()->manualMaxY(), 100.0);
    EXPECT_EQ(Child<QLabel>(form(), "MaxDataPanel")->text(), "");
    EXPECT_EQ(rig.status(1), "Data in buffer : 0");
    EXPECT_FALSE(Child<QToolButton>(form(), "sbtnClear")->isEnabled());
    EXPECT_FALSE(Child<QToolButton>(form(), "sbtnSaveFile")->isEnabled());
}

TEST_F(GraphicalFormTest, UndoZoomingFollowsTheZoomThroughAClear) {
    rig.setManual(true);
    rig.publish(Reading("1.0"));
    Child<QToolButton>(form(), "sbtnManualLogging")->click();
    form().PEGraphZoomIn();
    EXPECT_TRUE(Child<QToolButton>(form(), "sbtnUndoZoom")->isEnabled());
    EXPECT_TRUE(Child<QAction>(form(), "miUndoZoom")->isEnabled());
    form().sbtnClearClick(); // the empty page starts unzoomed
    EXPECT_FALSE(rig.graph()->isZoomed());
    EXPECT_FALSE(Child<QToolButton>(form(), "sbtnUndoZoom")->isEnabled());
    EXPECT_FALSE(Child<QAction>(form(), "miUndoZoom")->isEnabled());
}

TEST_F(GraphicalFormTest, UnlinkStopsTheRecordingAndKeepsTheBuffer) {
    startRecording();
    rig.sample("1.0");
    rig.sample("2.0");
    QEvent stop(QEvent::Type(1029));
    QCoreApplication::sendEvent(rig.form.get(), &stop);
    EXPECT_FALSE(form().recording());
    EXPECT_FALSE(Child<QTimer>(form(), "TimerLogger")->isActive());
    EXPECT_TRUE(Child<QToolButton>(form(), "sbtnRecordStop")->isChecked());
    EXPECT_EQ(form().engine().count(), 2);
    EXPECT_EQ(rig.status(0), "");
    // A tick that was already due takes nothing more once the link is gone.
    rig.state.setLinkAlive(false);
    form().TimerLoggerTimer();
    EXPECT_EQ(form().engine().count(), 2);
}

TEST_F(GraphicalFormTest, LowBatteryAbortStopsAndDropsTheSampleContinueKeepsIt) {
    startRecording();
    rig.publish(Reading("1.0", 6, "V", /*lowBattery=*/true));
    {
        ScopedMessageAnswerer carryOn(TAutoMsgForm::ResultTimeOut);
        form().TimerLoggerTimer();
        ASSERT_EQ(carryOn.count(), 1);
        EXPECT_EQ(carryOn.requests()[0].caption, "Warning[W8000]");
        EXPECT_EQ(carryOn.requests()[0].text,
                  "The battery power of the DMM is low.\n(Will continue "
                  "automatically in 3 seconds.)");
    }
    EXPECT_EQ(form().engine().count(), 1);
    EXPECT_TRUE(Child<QTimer>(form(), "TimerLogger")->isActive());
    {
        ScopedMessageAnswerer abort(TAutoMsgForm::ResultAbort);
        form().TimerLoggerTimer();
    }
    EXPECT_EQ(form().engine().count(), 1);
    EXPECT_FALSE(form().recording());
    EXPECT_TRUE(Child<QToolButton>(form(), "sbtnRecordStop")->isChecked());
}

TEST_F(GraphicalFormTest, AFullDiskIsToldOnceAndRecordingGoesOnInMemory) {
    startRecording();
    {
        const test::ScopedFileSizeLimit full(2 * kEntrySize);
        ASSERT_TRUE(full.isSet());
        for (int i = 0; i < 5; ++i)
            rig.sample("1.0");
    }
    flushPosted();
    EXPECT_EQ(form().engine().count(), 5);
    EXPECT_EQ(answers.countText(QText(8021)), 1);
    EXPECT_EQ(answers.requests().back().caption, "Warning[W8021]");
    EXPECT_TRUE(form().recording());
}

TEST_F(GraphicalFormTest, LineColourComesFromTheColourDialog) {
    form().setColorChooser([](const QColor& current) {
        EXPECT_EQ(current, QColor(0xC0, 0xC0, 0xC0));
        return QColor(Qt::red);
    });
    Child<QAction>(form(), "miLineColor")->trigger();
    EXPECT_EQ(rig.graph()->lineColor(), QColor(Qt::red));
    form().setColorChooser([](const QColor&) { return QColor(); }); // cancelled
    Child<QAction>(form(), "miLineColor")->trigger();
    EXPECT_EQ(rig.graph()->lineColor(), QColor(Qt::red));
}

TEST_F(GraphicalFormTest, ImportUnlinksFirstThenShowsTheImportWindow) {
    struct MainWindow : QWidget {
        int unlinks = 0;
        bool event(QEvent* e) override {
            if (e->type() == QEvent::Type(1030))
                ++unlinks;
            return QWidget::event(e);
        }
    } mainWindow;
    QDialog importWindow;
    TGraphicalForm::Collaborators with;
    with.mainWindow = &mainWindow;
    with.importWindow = &importWindow;
    form().setCollaborators(with);
    int shown = 0;
    form().setDialogRunner([&](QDialog& d) {
        EXPECT_EQ(&d, &importWindow);
        EXPECT_EQ(mainWindow.unlinks, 1); // unlinked before it shows
        ++shown;
        return int(QDialog::Accepted);
    });
    Child<QToolButton>(form(), "sbtnImport")->click();
    EXPECT_EQ(shown, 1);
}

} // namespace
} // namespace ostrel
