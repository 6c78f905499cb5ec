// The recorder's files through its window: Save As and the names it refuses,
// Open with its progress dialog and Abort, the exit question, and recovering
// a recording that an exit without questions kept.

#include "recorder_test_rig.h"

#include "base/busy_flag.h"
#include "recorder/record_file.h"
#include "recorder/ui/leftover_dialog.h"

#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace ostrel {
namespace {

using testing::Child;
using testing::Reading;
using testing::RecorderRig;

class RecorderFilesTest : public ::testing::Test {
  protected:
    void SetUp() override { rig.link(); }
    void record(int samples) {
        Child<QToolButton>(*rig.form, "sbtnRecordStart")->click();
        for (int i = 0; i < samples; ++i)
            rig.sample(std::to_string(i) + ".5");
        Child<QToolButton>(*rig.form, "sbtnRecordStop")->click();
    }
    // Answer the file dialog with these paths in turn ("" cancels).
    void chooseFiles(QStringList paths) {
        rig.form->setFileChooser([this, paths](const TGraphicalForm::FileRequest& request) mutable {
            requests.push_back(request);
            return paths.isEmpty() ? QString() : paths.takeFirst();
        });
    }
    QString path(const QString& name) const { return QDir(rig.dir).filePath(name); }
    TGraphicalForm& form() { return *rig.form; }

    ScopedMessageAnswerer answers{QMessageBox::Ok};
    RecorderRig rig;
    std::vector<TGraphicalForm::FileRequest> requests;
};

TEST_F(RecorderFilesTest, SaveAsWritesTheBufferAndRefusesNamesReadBackAsAnotherLayout) {
    record(3);
    chooseFiles({path("data.g52"), path("data")});
    ASSERT_TRUE(form().sbtnSaveFileClick());
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_TRUE(requests[0].save);
    EXPECT_EQ(requests[0].fileName, "Untitled.g53");
    EXPECT_EQ(requests[0].filters, QStringList({"Data Logger files(*.g53)"}));
    ASSERT_EQ(answers.count(), 1);
    EXPECT_EQ(answers.requests()[0].caption, "Error[E9021]");
    EXPECT_TRUE(answers.requests()[0].text.startsWith("data.g52 would be read back as"));

    EXPECT_FALSE(QFile::exists(path("data.g52")));
    QFile saved(path("data.g53")); // no extension: ".g53" is added
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray bytes = saved.readAll();
    EXPECT_EQ(bytes.size(), 4 + 3 * 169);
    EXPECT_EQ(bytes.left(4), QByteArray("\x03\x00\x00\x00", 4));
    EXPECT_FALSE(form().engine().modified());
    EXPECT_TRUE(form().mayClose()); // nothing unsaved: no question
    EXPECT_EQ(answers.count(), 1);

    // A folder that cannot be written: "File save error.", the flags stay.
    record(1);
    chooseFiles({QStringLiteral("/nonexistent/folder/x.g53")});
    EXPECT_FALSE(form().sbtnSaveFileClick());
    EXPECT_EQ(answers.requests().back().text, "File save error.");
    EXPECT_TRUE(form().engine().modified());
}

TEST_F(RecorderFilesTest, OpenClearsFirstLoadsWithProgressAndShowsTheLastPage) {
    SampleBuffer pairs;
    for (int i = 0; i < 201; ++i) {
        RecordPair p;
        StoreField(p.main.dataText, std::to_string(i));
        StoreField(p.main.timeText, " 10:00:00.0");
        StoreField(p.main.functionText, "V");
        p.main.value = static_cast<float>(i);
        pairs.push_back(p);
    }
    ASSERT_TRUE(SaveRecordFile(path("two-pages.g53").toStdString(), pairs));
    record(2);

    chooseFiles({path("two-pages.g53")});
    form().sbtnOpenFileClick(); // Clear asks first (answered OK)
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_FALSE(requests[0].save);
    EXPECT_EQ(requests[0].filters,
              QStringList({"Data Logger files(*.g53)", "Temporary files(*.TMP)"}));
    EXPECT_EQ(form().engine().count(), 201);
    EXPECT_EQ(rig.status(1), "Data in buffer : 201");
    EXPECT_EQ(rig.status(2), "Page : 2 of 2");
    EXPECT_EQ(rig.graph()->yData(199), 200.0);
    EXPECT_EQ(rig.graph()->cursorPoint(), 199);
    EXPECT_EQ(Child<QLabel>(form(), "ReadingDataPanel")->text(), "200");
    EXPECT_EQ(Child<QLabel>(form(), "MaxDataPanel")->text(), "200");
    EXPECT_EQ(Child<QLabel>(form(), "MinDataPanel")->text(), "0");
    EXPECT_EQ(rig.dataList.sheet(0)->count(), 201);
    EXPECT_TRUE(rig.dataList.lineText(0, 200).startsWith("201, 10:00:00.0,200 V"));
    EXPECT_FALSE(rig.progress.isVisible());
    EXPECT_TRUE(Child<QLabel>(rig.progress, "MsgPanel")
                    ->text()
                    .contains("Warning[W8006]: Adding data into buffer."));
    EXPECT_FALSE(BusyFlag());
    EXPECT_TRUE(Child<QToolButton>(form(), "sbtnOpenFile")->isEnabled());

    // Opened data counts as unsaved: the exit asks.
    ScopedMessageAnswerer cancel(QMessageBox::Cancel);
    EXPECT_FALSE(form().mayClose());
    ASSERT_EQ(cancel.count(), 1);
    EXPECT_EQ(cancel.requests()[0].caption, "Warning[W8003]");
    EXPECT_EQ(cancel.requests()[0].text,
              "Buffer has data.\nDo you want to save the data to a file before exit ?");
    EXPECT_EQ(cancel.requests()[0].defaultButton, QMessageBox::Cancel);
}

TEST_F(RecorderFilesTest, AbortKeepsNothingAndAMissingFileIsAnOpenError) {
    SampleBuffer pairs(5000);
    ASSERT_TRUE(SaveRecordFile(path("big.g53").toStdString(), pairs));
    // Abort as soon as the window takes its first look at events.
    QTimer::singleShot(0, &rig.progress, [this] {
        EXPECT_TRUE(rig.progress.isVisible());
        EXPECT_TRUE(BusyFlag());
        EXPECT_FALSE(Child<QToolButton>(form(), "sbtnOpenFile")->isEnabled());
        Child<QPushButton>(rig.progress, "bbtnAbort")->click();
    });
    EXPECT_FALSE(form().openFile(path("big.g53")));
    EXPECT_EQ(form().engine().count(), 0);
    EXPECT_TRUE(form().engine().empty());
    EXPECT_FALSE(BusyFlag());
    EXPECT_FALSE(rig.progress.isVisible());
    EXPECT_EQ(rig.dataList.sheet(0)->count(), 0);
    EXPECT_EQ(answers.count(), 0);

    EXPECT_FALSE(form().openFile(path("missing.g53")));
    ASSERT_EQ(answers.count(), 1);
    EXPECT_EQ(answers.requests()[0].text, "File open error.");
    EXPECT_TRUE(form().engine().empty());
}

TEST_F(RecorderFilesTest, EightBitTextsOfAFileShowAsStored) {
    // Texts are 8-bit characters: a degree sign stays one in the "Symbol"
    // unit panel of a temperature, and in the y axis label.
    SampleBuffer pairs(2);
    StoreField(pairs[0].main.unitText, "\xB0");
    StoreField(pairs[0].main.functionText, "F");
    pairs[0].main.function = 0x40;
    StoreField(pairs[1].main.unitText, "\xB0");
    StoreField(pairs[1].main.functionText, "\260C");
    pairs[1].main.function = 0x4020;
    ASSERT_TRUE(SaveRecordFile(path("degrees.g53").toStdString(), pairs));
    ASSERT_TRUE(form().openFile(path("degrees.g53")));
    EXPECT_EQ(Child<QLabel>(form(), "ReadingUnitPanel")->text(), QString::fromUtf8("°"));
    EXPECT_EQ(rig.graph()->yAxisLabel(), QString::fromUtf8("Reading(°C)"));
    rig.graph()->setCursorPoint(198);
    form().PEGraphCursorMoved();
    EXPECT_EQ(Child<QLabel>(form(), "ReadingUnitPanel")->font().family(), "Symbol");
    EXPECT_EQ(Child<QLabel>(form(), "ReadingUnitPanel")->text(), QString::fromUtf8("°"));
    EXPECT_EQ(rig.graph()->yAxisLabel(), "Reading(F)");
}

TEST_F(RecorderFilesTest, ExitQuestionPaths) {
    record(2);
    {
        ScopedMessageAnswerer no(QMessageBox::No);
        EXPECT_TRUE(form().mayClose());
    }
    {
        // Yes, then the save dialog is cancelled: the program stays open.
        ScopedMessageAnswerer yes(QMessageBox::Yes);
        chooseFiles({});
        EXPECT_FALSE(form().mayClose());
        EXPECT_EQ(requests.size(), 1u);
    }
    {
        ScopedMessageAnswerer yes(QMessageBox::Yes);
        chooseFiles({path("kept.g53")});
        EXPECT_TRUE(form().mayClose());
        EXPECT_EQ(QFile(path("kept.g53")).size(), 4 + 2 * 169);
    }
}

// Leaves a recording of n samples of text behind, as a killed run would.
void LeaveRecording(const QString& dir, int n, const std::string& text) {
    RecorderRig rig(dir);
    rig.link();
    Child<QToolButton>(*rig.form, "sbtnRecordStart")->click();
    for (int i = 0; i < n; ++i)
        rig.sample(text);
    rig.form->keepRecordingForRecovery(); // a signal ends the program
    EXPECT_FALSE(Child<QTimer>(*rig.form, "TimerLogger")->isActive());
}

// The leftover question answered: the rows chosen, then one of its buttons.
void AnswerLeftovers(RecorderRig& rig, std::vector<int> rows, const char* button,
                     QStringList* listed = nullptr) {
    rig.form->setDialogRunner([=](QDialog& d) {
        auto& dialog = dynamic_cast<TLeftoverDialog&>(d);
        const QTreeWidget* files = Child<QTreeWidget>(dialog, "lvFiles");
        if (listed)
            for (int i = 0; i < files->topLevelItemCount(); ++i)
                listed->append(files->topLevelItem(i)->text(0) + ' ' +
                               files->topLevelItem(i)->text(1));
        dialog.choose(rows);
        Child<QPushButton>(dialog, QLatin1String(button))->click();
        return dialog.result();
    });
}

TEST(RecorderRecovery, LeftoversAreAskedAboutOnceAndEachAnswerDoesWhatItSays) {
    ScopedMessageAnswerer answers(QMessageBox::Ok);
    QTemporaryDir dir;
    LeaveRecording(dir.path(), 7, "4.25");
    LeaveRecording(dir.path(), 3, "1.5");
    const auto leftovers = [&] {
        return QDir(dir.path()).entryList({"~QDMDL*"}, QDir::Files, QDir::Name);
    };
    ASSERT_EQ(leftovers(), QStringList({"~QDMDL1.TMP", "~QDMDL2.TMP"}));

    {
        // Keep for later: one question for both, newest first; nothing changes.
        RecorderRig rig(dir.path());
        QStringList listed;
        AnswerLeftovers(rig, {0, 1}, "bbtnKeep", &listed);
        rig.form->offerLeftoverFiles();
        EXPECT_EQ(listed, QStringList({"~QDMDL2.TMP 3", "~QDMDL1.TMP 7"}));
        EXPECT_EQ(answers.count(), 0);
        EXPECT_EQ(leftovers().size(), 2);
        EXPECT_TRUE(rig.form->engine().empty());
    }
    {
        // Delete, then No to "for good?": nothing is deleted, the question
        // comes again; Yes deletes the chosen one only.
        RecorderRig rig(dir.path());
        ScopedMessageAnswerer no(QMessageBox::No);
        int asked = 0;
        rig.form->setDialogRunner([&](QDialog& d) {
            auto& dialog = dynamic_cast<TLeftoverDialog&>(d);
            if (++asked == 3)
                return Child<QPushButton>(dialog, "bbtnKeep")->click(), dialog.result();
            dialog.choose({0});
            Child<QPushButton>(dialog, "bbtnDelete")->click();
            return dialog.result();
        });
        rig.form->offerLeftoverFiles();
        EXPECT_EQ(no.count(), 2);
        EXPECT_EQ(leftovers().size(), 2);
    }
    {
        RecorderRig rig(dir.path());
        ScopedMessageAnswerer yes(QMessageBox::Yes);
        QStringList listed;
        int asked = 0;
        rig.form->setDialogRunner([&](QDialog& d) {
            auto& dialog = dynamic_cast<TLeftoverDialog&>(d);
            dialog.choose({0});
            Child<QPushButton>(dialog, asked++ == 0 ? "bbtnDelete" : "bbtnOpen")->click();
            listed << Child<QTreeWidget>(dialog, "lvFiles")->topLevelItem(0)->text(0);
            return dialog.result();
        });
        rig.form->offerLeftoverFiles();
        ASSERT_EQ(yes.count(), 1);
        EXPECT_EQ(yes.requests()[0].caption, "Warning[W8049]");
        // The rest is offered again at once, and opened.
        EXPECT_EQ(listed, QStringList({"~QDMDL2.TMP", "~QDMDL1.TMP"}));
        EXPECT_EQ(leftovers(), QStringList({"~QDMDL1.TMP"}));
        EXPECT_EQ(rig.form->engine().count(), 7);
        EXPECT_EQ(Child<QLabel>(*rig.form, "ReadingDataPanel")->text(), "4.25");
        EXPECT_TRUE(rig.form->engine().hasUnsavedSamples());
        // This run's recordings are numbered past those there were at its start.
        rig.link();
        rig.setManual(false);
        Child<QToolButton>(*rig.form, "sbtnRecordStart")->click();
        EXPECT_EQ(rig.temporaryFiles(), QStringList({"~QDMDL1.TMP", "~QDMDL3.TMP"}));
        Child<QToolButton>(*rig.form, "sbtnRecordStop")->click();
        // Saved whole, the leftover has done its work; this run's own file
        // goes at the end of the run as always.
        rig.form->setFileChooser([&](const TGraphicalForm::FileRequest&) {
            return QDir(dir.path()).filePath("kept.g53");
        });
        ASSERT_TRUE(rig.form->sbtnSaveFileClick());
        EXPECT_EQ(rig.temporaryFiles(), QStringList({"~QDMDL3.TMP"}));
    }
    EXPECT_TRUE(leftovers().isEmpty());
}

TEST(RecorderRecovery, WithNothingUnsavedOnlyTheRunningRecordingIsKept) {
    ScopedMessageAnswerer answers(QMessageBox::Ok);
    QTemporaryDir dir;
    {
        RecorderRig rig(dir.path());
        rig.link();
        Child<QToolButton>(*rig.form, "sbtnRecordStart")->click();
        rig.sample("1.0");
        Child<QToolButton>(*rig.form, "sbtnRecordStop")->click();
        rig.form->setFileChooser([&](const TGraphicalForm::FileRequest&) {
            return QDir(dir.path()).filePath("saved.g53");
        });
        ASSERT_TRUE(rig.form->sbtnSaveFileClick());
        rig.form->keepRecordingForRecovery(); // saved and stopped: nothing to keep
    }
    EXPECT_TRUE(QDir(dir.path()).entryList({"~QDMDL*"}, QDir::Files).isEmpty());
}

} // namespace
} // namespace ostrel
