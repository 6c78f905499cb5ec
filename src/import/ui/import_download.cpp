// TFormImport: "Import data from DMM". The check of the meter and the
// download with its decoding run through a LongWork, so the window stays
// responsive for the whole download and its Abort button works. The busy
// flag is set and cleared here, on the window thread.
#include "base/string_table.h"
#include "base/ui/message_box.h"
#include "base/ui/message_dialogs.h"
#include "import/logger_download.h"
#include "import/ui/import_form.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimerEvent>

#include <climits>

namespace ostrel {
namespace {

constexpr int kTranslatingText = 7121; // "Translating..."
constexpr int kDestroyQuestionText = 8010;
constexpr int kAcquiringText = 8012;     // "Acquiring  data from DMM ... please wait ..."
constexpr int kProcessingText = 8013;    // "Processing data ... please wait ..."
constexpr int kCableNotFoundText = 9015; // "USB adapter cable not found."

constexpr unsigned kBlocksPerTell = 8;

int ToInt(std::size_t n) {
    return static_cast<int>(std::min<std::size_t>(n, INT_MAX));
}

} // namespace

void TFormImport::sbtnImportClick() {
    if (m_engine.busy() || importRunning())
        return;
    if (!m_services.backend) {
        ShowNumberedMessage(this, kErrorCaption, kCableNotFoundText);
        return;
    }
    // Nothing else may start while the meter is asked.
    setBusy(true);
    setCursor(Qt::WaitCursor);
    startRun(LoggerImportStage::Check);
}

void TFormImport::startRun(LoggerImportStage stage) {
    m_stage = stage;
    m_reported.imageSize = 0;
    m_reported.position = 0;
    m_reported.length = 0;
    m_reported.decoding = false;
    m_run = std::make_unique<LoggerImportRun>(*m_services.backend);
    LoggerImportRun* run = m_run.get();
    m_download.start(
        [this, run, stage](WorkProgress& progress) { run->run(stage, runCallbacks(progress)); },
        [this] { runEnded(); });
}

LoggerImportRun::Callbacks TFormImport::runCallbacks(WorkProgress& progress) {
    // Called on the worker thread: the values go into atomics, the window
    // hears of them through the runner's paced notices.
    LoggerImportRun::Callbacks cb;
    cb.started = [this, &progress](std::size_t size) {
        m_reported.imageSize = size;
        m_reported.position = 24;
        progress.tell(true);
    };
    cb.blockRead = [this, &progress, blocks = 0u](std::size_t position,
                                                  std::uint32_t length) mutable {
        m_reported.position.store(position, std::memory_order_relaxed);
        m_reported.length.store(length, std::memory_order_relaxed);
        // The window hears at most every 20 ms; a cable answers a block in a
        // few milliseconds, and asking the clock after each one costs more
        // than the block itself when the meter answers at once.
        if (++blocks % kBlocksPerTell == 0)
            progress.tell();
    };
    cb.decodeProgress = [this, &progress](std::size_t, std::size_t, std::size_t done,
                                          std::size_t total) {
        m_reported.decoding = true;
        progress.report(static_cast<std::int64_t>(done), static_cast<std::int64_t>(total));
    };
    return cb;
}

void TFormImport::runEnded() {
    LoggerImportResult result = m_run->takeResult();
    m_run.reset();
    if (m_stage == LoggerImportStage::Check)
        checked(std::move(result));
    else
        downloaded(std::move(result));
}

void TFormImport::checked(LoggerImportResult result) {
    unsetCursor();
    if (result.outcome == LoggerImportResult::Outcome::Cancelled) {
        setBusy(false);
        return;
    }
    if (result.messageId != 0) {
        setBusy(false);
        ShowNumberedMessage(this, kErrorCaption, result.messageId);
        return;
    }
    // Asked whether the window holds data or not; No changes nothing.
    if (ask(kDestroyQuestionText, QText(kDestroyQuestionText), QMessageBox::Yes | QMessageBox::No,
            QMessageBox::No) != QMessageBox::Yes) {
        setBusy(false);
        return;
    }
    // From here on the old data is gone whatever happens (the busy flag stays set).
    clearWindow();
    setCursor(Qt::WaitCursor);
    startRun(LoggerImportStage::Download);
}

void TFormImport::showDownloadProgress() {
    // Whatever cleared the busy flag (the Abort button, Escape) ends the run.
    if (!m_engine.busy()) {
        abortRun();
        return;
    }
    // The download reports far more often than anyone reads a progress
    // dialog, and each drawing of it costs more than the blocks it reports:
    // the dialog follows at most every kProgressPaceMs, the newest state last.
    if (m_progressPace.isActive()) {
        m_progressPending = true;
        return;
    }
    m_progressPending = false;
    m_progressPace.start(kProgressPaceMs, this);
    TMsgForm* dialog = m_services.progress;
    if (!dialog)
        return;
    if (!m_progressShown && m_reported.imageSize > 0)
        showDownloadStart(*dialog);
    if (!m_progressShown)
        return;
    if (m_reported.decoding) {
        if (!m_decoding) {
            m_decoding = true;
            dialog->setMessage(QNumberedLine(kWarningCaption, kProcessingText));
            dialog->setCounter(QText(kTranslatingText));
        }
        const WorkProgress* progress = m_download.progress();
        if (progress)
            dialog->setBar(ToInt(progress->done()), std::max(ToInt(progress->total()), 1));
        return;
    }
    const std::size_t position = m_reported.position;
    dialog->setBarValue(ToInt(position));
    if (position > 24)
        dialog->setCounter(QString::fromStdString(LoggerProgressLine(position, m_reported.length)));
}

void TFormImport::timerEvent(QTimerEvent* event) {
    if (event->timerId() != m_progressPace.timerId()) {
        QDialog::timerEvent(event);
        return;
    }
    m_progressPace.stop();
    if (m_progressPending && importRunning())
        showDownloadProgress();
}

void TFormImport::showDownloadStart(TMsgForm& dialog) {
    dialog.setMessage(QNumberedLine(kWarningCaption, kAcquiringText));
    // The download can be aborted at any time: it runs on its own thread.
    connect(&dialog, &TMsgForm::aborted, this, &TFormImport::abortRun, Qt::UniqueConnection);
    dialog.startProgress(this, ToInt(m_reported.imageSize));
    m_progressShown = true;
}

void TFormImport::abortRun() {
    if (m_run)
        m_run->abort();
    m_download.cancel();
}

void TFormImport::closeProgress() {
    TMsgForm* dialog = m_services.progress;
    if (!dialog || !m_progressShown)
        return;
    disconnect(dialog, &TMsgForm::aborted, this, &TFormImport::abortRun);
    dialog->finishProgress();
    m_progressPace.stop();
    m_progressPending = false;
    m_progressShown = false;
    m_decoding = false;
}

void TFormImport::downloaded(LoggerImportResult result) {
    if (result.outcome != LoggerImportResult::Outcome::Done) {
        // Nothing of a failed or aborted download stays: the window is empty again.
        closeProgress();
        unsetCursor();
        sendReset();
        if (result.outcome == LoggerImportResult::Outcome::Failed)
            ShowNumberedMessage(this, kErrorCaption, result.messageId);
        return;
    }
    addPages(std::move(result.decoded.table), false);
    setBusy(false);
    closeProgress();
    unsetCursor();
    // What could not be read is said, once the sessions are shown.
    for (int id : result.decoded.notices) {
        MessageRequest notice;
        notice.owner = this;
        notice.caption = QNumberedCaption(kWarningCaption, id);
        notice.text = QText(id);
        notice.icon = MessageIcon::Warning;
        ShowMessage(notice);
    }
}

} // namespace ostrel
