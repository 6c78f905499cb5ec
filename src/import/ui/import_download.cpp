// TFormImport: "Import data from DMM". The check of the meter and the
// download with its decoding run on a worker thread (LoggerImportRun); the
// worker's reports arrive here as events, so the window stays responsive for
// the whole download and its Abort button works. The busy flag is set and
// cleared here, on the window thread.
#include "base/busy_flag.h"
#include "base/string_table.h"
#include "base/ui/message_box.h"
#include "base/ui/message_dialogs.h"
#include "import/logger_download.h"
#include "import/ui/import_form.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <chrono>
#include <climits>

namespace ostrel {
namespace {

constexpr int kTranslatingText = 7121; // "Translating..."
constexpr int kDestroyQuestionText = 8010;
constexpr int kAcquiringText = 8012;     // "Acquiring  data from DMM ... please wait ..."
constexpr int kProcessingText = 8013;    // "Processing data ... please wait ..."
constexpr int kCableNotFoundText = 9015; // "USB adapter cable not found."

// What the worker posts: a progress report (at most one waits at a time) or
// the end of the run.
QEvent::Type ProgressEventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}
QEvent::Type FinishedEventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

class RunEvent : public QEvent {
  public:
    RunEvent(QEvent::Type type, int generation) : QEvent(type), generation(generation) {}
    const int generation;
};

// Progress reports reach the window at most this often (steady clock ticks).
constexpr auto kReportEvery =
    std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::milliseconds(20))
        .count();

int ToInt(std::size_t n) {
    return static_cast<int>(std::min<std::size_t>(n, INT_MAX));
}

} // namespace

void TFormImport::sbtnImportClick() {
    if (BusyFlag() || m_run)
        return;
    if (!m_services.backend) {
        ShowNumberedMessage(this, kErrorCaption, kCableNotFoundText);
        return;
    }
    // Nothing else may start while the meter is asked.
    BusyFlag() = true;
    RefreshButtons();
    RefreshMenus();
    setCursor(Qt::WaitCursor);
    startRun(LoggerImportStage::Check);
}

void TFormImport::startRun(LoggerImportStage stage) {
    const int generation = ++m_runGeneration;
    m_stage = stage;
    m_reported = std::make_shared<Reported>();
    std::shared_ptr<Reported> reported = m_reported;
    // Called on the worker thread: values go into the shared record, and an
    // event is posted only when none is waiting and the last one is 20 ms old,
    // so the window thread neither falls behind nor spends its time on
    // reports that nobody could read (a block takes microseconds at latency=0).
    auto post = [this, reported, generation](bool now = false) {
        const auto at = std::chrono::steady_clock::now().time_since_epoch().count();
        if (!now && at - reported->lastPost.load() < kReportEvery)
            return;
        if (!reported->posted.exchange(true)) {
            reported->lastPost = at;
            QCoreApplication::postEvent(this, new RunEvent(ProgressEventType(), generation));
        }
    };
    LoggerImportRun::Callbacks cb;
    cb.started = [reported, post](std::size_t size) {
        reported->imageSize = size;
        reported->position = 24;
        post(true);
    };
    cb.blockRead = [reported, post](std::size_t position, std::uint32_t length) {
        reported->position = position;
        reported->length = length;
        post();
    };
    cb.decodeProgress = [reported, post](std::size_t, std::size_t, std::size_t done,
                                         std::size_t total) {
        reported->total = total;
        reported->done = done;
        reported->decoding = true;
        post();
    };
    cb.finished = [this, generation] {
        QCoreApplication::postEvent(this, new RunEvent(FinishedEventType(), generation));
    };
    m_run = std::make_unique<LoggerImportRun>(*m_services.backend, stage, std::move(cb));
}

void TFormImport::runEvent(QEvent* event) {
    const bool progress = event->type() == ProgressEventType();
    if (!progress && event->type() != FinishedEventType()) {
        event->ignore();
        return;
    }
    event->accept();
    if (static_cast<RunEvent*>(event)->generation != m_runGeneration || !m_run)
        return; // from a run that is over
    if (progress) {
        m_reported->posted = false;
        showDownloadProgress();
        return;
    }
    LoggerImportResult result = m_run->takeResult();
    m_run.reset();
    if (m_stage == LoggerImportStage::Check)
        checked(std::move(result));
    else
        downloaded(std::move(result));
}

void TFormImport::checked(LoggerImportResult result) {
    unsetCursor();
    auto idle = [this] {
        BusyFlag() = false;
        RefreshButtons();
        RefreshMenus();
    };
    if (result.outcome == LoggerImportResult::Outcome::Cancelled) {
        idle();
        return;
    }
    if (result.messageId != 0) {
        idle();
        ShowNumberedMessage(this, kErrorCaption, result.messageId);
        return;
    }
    // Asked whether the window holds data or not; No changes nothing.
    if (ask(kDestroyQuestionText, QText(kDestroyQuestionText), QMessageBox::Yes | QMessageBox::No,
            QMessageBox::No) != QMessageBox::Yes) {
        idle();
        return;
    }
    // From here on the old data is gone whatever happens (the busy flag stays set).
    clearWindow();
    setCursor(Qt::WaitCursor);
    startRun(LoggerImportStage::Download);
}

void TFormImport::showDownloadProgress() {
    // Whatever cleared the busy flag (the Abort button, Escape) ends the run.
    if (!BusyFlag()) {
        abortRun();
        return;
    }
    TMsgForm* dialog = m_services.progress;
    if (!dialog)
        return;
    const Reported& r = *m_reported;
    if (!m_progressShown && r.imageSize > 0) {
        dialog->setMessage(QNumberedLine(kWarningCaption, kAcquiringText));
        // The download can be aborted at any time: it runs on its own thread.
        connect(dialog, &TMsgForm::aborted, this, &TFormImport::abortRun, Qt::UniqueConnection);
        dialog->startProgress(this, ToInt(r.imageSize));
        m_progressShown = true;
    }
    if (!m_progressShown)
        return;
    if (r.decoding) {
        if (!m_decoding) {
            m_decoding = true;
            dialog->setMessage(QNumberedLine(kWarningCaption, kProcessingText));
            dialog->setCounter(QText(kTranslatingText));
        }
        dialog->setBar(ToInt(r.done), std::max(ToInt(r.total), 1));
        return;
    }
    dialog->setBarValue(ToInt(r.position));
    if (r.position > 24)
        dialog->setCounter(QString::fromStdString(LoggerProgressLine(r.position, r.length)));
}

void TFormImport::abortRun() {
    if (m_run)
        m_run->abort();
}

void TFormImport::closeProgress() {
    TMsgForm* dialog = m_services.progress;
    if (!dialog || !m_progressShown)
        return;
    disconnect(dialog, &TMsgForm::aborted, this, &TFormImport::abortRun);
    dialog->finishProgress();
    m_progressShown = false;
    m_decoding = false;
}

void TFormImport::downloaded(LoggerImportResult result) {
    switch (result.outcome) {
    case LoggerImportResult::Outcome::Cancelled:
        closeProgress();
        unsetCursor();
        sendReset();
        return;
    case LoggerImportResult::Outcome::Failed:
        // Nothing of a failed download stays: the window is empty again.
        closeProgress();
        unsetCursor();
        sendReset();
        ShowNumberedMessage(this, kErrorCaption, result.messageId);
        return;
    case LoggerImportResult::Outcome::Done:
        break;
    }
    m_table = std::move(result.decoded.table);
    addPages();
    m_empty = false;
    m_saved = false;
    BusyFlag() = false;
    RefreshButtons();
    RefreshMenus();
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
