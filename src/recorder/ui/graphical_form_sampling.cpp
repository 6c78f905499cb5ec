// TGraphicalForm: Start, Stop, sampling, the interval option, Clear, Import,
// and the temporary files (their write errors, and the leftovers of an
// earlier run).

#include "recorder/ui/graphical_form.h"

#include "base/string_table.h"
#include "base/ui/message_box.h"
#include "base/ui/message_dialogs.h"
#include "base/ui/user_settings.h"
#include "base/ui/window_messages.h"
#include "displays/ui/data_list_form.h"
#include "graph/ui/graph_adapter.h"
#include "graph/ui/graph_window_texts.h"
#include "recorder/recorder_view.h"
#include "recorder/sample_conversion.h"
#include "recorder/sampling.h"
#include "recorder/ui/interval_dialog.h"
#include "recorder/ui/leftover_dialog.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QToolButton>

#include <chrono>
#include <cstdio>
#include <utility>

namespace ostrel {
namespace {

constexpr int kNotLinkedText = 9002;
constexpr int kNoTemporaryFileText = 9003;
constexpr int kLowBatteryText = 8000;
constexpr int kWillContinueText = 7009;
constexpr int kTemporaryCopyStoppedText = 8021;
constexpr int kDeleteLeftoversText = 8049;

} // namespace

bool TGraphicalForm::checkLinked() {
    if (m_state.isLinked())
        return true;
    say(kErrorCaption, kNotLinkedText, QText(kNotLinkedText), MessageIcon::Stop);
    sbtnRecordStop->setChecked(true);
    return false;
}

void TGraphicalForm::sbtnRecordStartClick() {
    // Every Start makes the next temporary file; a Start while recording
    // closes the file so far (it keeps what it holds) and goes on in the next.
    if (!checkLinked()) {
        refreshEnables();
        return;
    }
    TimerLogger->setInterval(m_engine.interval());
    const bool wasRecording = m_recording;
    if (sbtnRecordStart->isChecked())
        TimerLogger->start();
    m_recording = TimerLogger->isActive();
    if (m_recording && !m_tempFiles->startNext()) {
        ShowNumberedMessage(this, kErrorCaption, kNoTemporaryFileText);
        sbtnRecordStop->setChecked(true);
        sbtnRecordStopClick();
    }
    if (m_recording && !wasRecording) {
        m_watchGaps = LinkAgainChosen();
        m_gaps = GapWatch{};
        m_gapPending = false;
        armTrigger();
    }
    refreshEnables();
    refreshStatusBar();
}

void TGraphicalForm::sbtnRecordStopClick() {
    m_tempFiles->close();
    if (sbtnRecordStop->isChecked())
        TimerLogger->stop();
    const bool was = m_recording;
    m_recording = TimerLogger->isActive();
    if (!m_recording) {
        cancelTrigger();
        m_watchGaps = false;
    }
    refreshEnables();
    refreshStatusBar();
    if (was && !m_recording)
        emit recordingStopped();
}

void TGraphicalForm::sbtnManualLoggingClick() {
    if (checkLinked())
        takeSample();
    refreshEnables();
}

void TGraphicalForm::TimerLoggerTimer() {
    if (m_state.isLinkAlive())
        takeSample();
    else if (m_watchGaps)
        m_gaps.linkLost(WallClock::now());
}

bool TGraphicalForm::lowBatteryMayContinue() {
    TAutoMsgForm* dialog = m_with.autoMsg;
    if (!dialog)
        return true;
    dialog->setMessage(QNumberedCaption(kWarningCaption, kLowBatteryText), QText(kLowBatteryText),
                       QText(kWillContinueText));
    const bool wasRunning = TimerLogger->isActive();
    TimerLogger->stop();
    const int result = dialog->showModal();
    if (result == TAutoMsgForm::ResultAbort) {
        sbtnRecordStop->setChecked(true);
        sbtnRecordStopClick();
        return false;
    }
    // An unlink while the dialog showed may have stopped the recording.
    if (wasRunning && m_recording && !m_engine.manual())
        TimerLogger->start();
    return true;
}

void TGraphicalForm::takeSample() {
    // Manual samples go to a temporary file as they are taken, as recorded
    // ones do: the first one of a manual series starts the file.
    if (m_engine.manual() && !m_tempFiles->isOpen() && !m_manualFileRefused) {
        if (!m_tempFiles->startNext()) {
            m_manualFileRefused = true; // said once; the samples stay in memory
            ShowNumberedMessage(this, kErrorCaption, kNoTemporaryFileText);
        }
    }
    if (m_engine.viewedPage() != m_engine.lastPage()) {
        m_engine.showLastPage();
        drawPage();
    }
    const WallClock::time_point now = WallClock::now();
    const std::string time = SampleTimeText(now);
    const MeterReading snapshot = TakeRecorderSnapshot(m_state);
    if (snapshot.lowBattery && !lowBatteryMayContinue())
        return;
    const std::optional<RecordPair> pair = SampleOf(snapshot, time);
    if (!pair)
        return; // refused: nothing is stored and nothing changes
    if (m_watchGaps && m_gaps.sampleTaken(now))
        m_gapPending = true;
    if (m_trigger && !m_engine.manual())
        offerToTrigger(*pair, now);
    else
        recordSample(*pair);
}

void TGraphicalForm::recordSample(const RecordPair& pair) {
    m_engine.addSample(pair);
    if (m_tempFiles->append(pair) == TemporaryFiles::Append::FailedNow)
        tellTemporaryCopyStopped();
    refreshExtremes();

    PEGraph->appendPoint(QString::fromLatin1(FieldView(pair.main.timeText)), pair.main.value);
    if (std::exchange(m_gapPending, false)) {
        m_engine.markGapBefore(m_engine.count() - 1);
        PEGraph->setBreakBefore(PEGraph->pointCount() - 1, true);
    }
    PEGraph->setManualMaxY(m_engine.yRange().max);
    PEGraph->setManualMinY(m_engine.yRange().min);
    PEGraph->rebuild();
    PEGraph->setCursorPoint(PEGraph->pointCount() - 1);
    refreshReadout();
    refreshStatistics();

    if (m_with.dataList)
        PostWindowMessage(m_with.dataList, new AppendSampleEvent(m_engine.count() - 1));
    stepProgress(1);
    refreshStatusBar();
    refreshEnables();
}

void TGraphicalForm::tellTemporaryCopyStopped() {
    // Told once per recording, after this sample is complete, so that the
    // message box never opens in the middle of a sample.
    QTimer::singleShot(0, this, [this] {
        say(kWarningCaption, kTemporaryCopyStoppedText, QText(kTemporaryCopyStoppedText),
            MessageIcon::Warning);
    });
}

void TGraphicalForm::sbtnOptionClick() {
    TDialogOption* dialog = m_with.option;
    if (!dialog)
        return;
    dialog->manual = m_engine.manual();
    dialog->seconds = SecondsForInterval(m_engine.interval());
    if (runDialog(*dialog) == QDialog::Accepted) {
        const bool wasManual = m_engine.manual();
        m_engine.setIntervalOption(dialog->manual, dialog->seconds);
        TimerLogger->setInterval(m_engine.interval());
        if (wasManual && !m_engine.manual())
            endManualFile();
    }
    refreshEnables();
    refreshStatusBar();
}

void TGraphicalForm::endManualFile() {
    // The series is complete: its file stays until the end of the run.
    if (!m_recording)
        m_tempFiles->close();
    m_manualFileRefused = false;
}

void TGraphicalForm::resetRecorder() {
    // Samples after a clear start a file of their own.
    if (m_engine.manual())
        endManualFile();
    m_openedLeftover.clear();
    m_recording = false;
    m_engine.reset();
    TimerLogger->setInterval(m_engine.interval());
    ProgressBar->setRange(0, m_engine.pointsPerPage());
    ProgressBar->setValue(0);
}

void TGraphicalForm::sbtnClearClick() {
    if (m_engine.empty())
        return;
    if (m_engine.modified()) {
        if (say(kWarningCaption, kClearQuestionText, QText(kClearQuestionText),
                MessageIcon::Question, QMessageBox::Ok | QMessageBox::Cancel,
                QMessageBox::Cancel) != QMessageBox::Ok)
            return;
    }
    resetRecorder();
    drawEmptyPage();
    SendWindowMessage(m_with.dataList, kMsgClearList);
    refreshExtremes();
    refreshStatusBar();
    refreshEnables();
}

void TGraphicalForm::sbtnImportClick() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (m_with.mainWindow && m_state.isLinked())
        SendWindowMessage(m_with.mainWindow, kMsgUnlinkRequest);
    QApplication::restoreOverrideCursor();
    if (m_with.importWindow)
        runDialog(*m_with.importWindow);
    refreshEnables();
}

std::vector<LeftoverFile> TGraphicalForm::offerableLeftovers() const {
    std::vector<LeftoverFile> offered;
    const auto& own = m_tempFiles->ownFiles();
    // Files another program is writing and files of this run are no
    // leftovers, and an empty one holds nothing to recover. Newest first.
    for (LeftoverFile& file : FindLeftoverFiles(m_tempFiles->directory()))
        if (!file.inUse && file.entries > 0 &&
            std::find(own.begin(), own.end(), file.path) == own.end())
            offered.insert(offered.begin(), std::move(file));
    return offered;
}

void TGraphicalForm::offerLeftoverFiles() {
    // One question for all of them; after a delete the rest are offered again.
    for (;;) {
        const std::vector<LeftoverFile> files = offerableLeftovers();
        if (files.empty() || !m_engine.empty() || m_recording)
            return;
        TLeftoverDialog dialog(this);
        dialog.setFiles(files);
        runDialog(dialog);
        const std::vector<LeftoverFile> chosen = dialog.chosen();
        if (chosen.empty() || dialog.choice() == TLeftoverDialog::Choice::Keep)
            return;
        if (dialog.choice() == TLeftoverDialog::Choice::Open) {
            openFile(QString::fromStdString(chosen.front().path));
            return;
        }
        const QString question = QString::fromLocal8Bit(
            FormatText(kDeleteLeftoversText, {std::to_string(chosen.size())}));
        if (say(kWarningCaption, kDeleteLeftoversText, question, MessageIcon::Question,
                QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes)
            continue;
        for (const LeftoverFile& file : chosen)
            QFile::remove(QString::fromStdString(file.path));
    }
}

} // namespace ostrel
