// TFormImport: Save As and Open of session files (".slr"). Both read or
// write through a LongWork while the window's events run; the busy flag
// keeps the window's data commands away meanwhile.
#include "base/string_table.h"
#include "base/ui/message_box.h"
#include "base/ui/message_dialogs.h"
#include "graph/export_request.h"
#include "graph/ui/graph_window_texts.h"
#include "graph/ui/save_file_chooser.h"
#include "import/session_file.h"
#include "import/ui/import_form.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <climits>

namespace ostrel {
namespace {

constexpr int kSessionFilterText = 7147; // "session logger data files(*.slr)|*.slr"
constexpr int kUntitledText = 7148;      // "Untitled.slr"

// Pairs between two progress reports: a report costs a look at the clock.
constexpr std::size_t kReportEvery = 1024;

int ToInt(std::int64_t n) {
    return static_cast<int>(std::clamp<std::int64_t>(n, 0, INT_MAX));
}

} // namespace

QString TFormImport::sessionFilter() {
    // "session logger data files(*.slr)|*.slr": the name before the bar.
    return QText(kSessionFilterText).section(QLatin1Char('|'), 0, 0);
}

void TFormImport::sbtnSaveClick() {
    if (!m_engine.enables().hasData)
        return;
    SaveFileRequest request;
    request.owner = this;
    request.filters = {sessionFilter()};
    request.suffixes = {QStringLiteral("slr")};
    request.fileName = QText(kUntitledText);
    const QString path = ChooseSaveFile(request);
    if (path.isEmpty())
        return;
    const std::string name = QFile::encodeName(path).toStdString();
    setCursor(Qt::WaitCursor);
    setBusy(true);
    // The window's only copy of a download: flushed to the disk before it
    // replaces an earlier file.
    bool saved = false;
    LongWork work;
    work.runLettingEvents([this, &name, &saved](WorkProgress&) {
        saved = SaveSessionFile(name, m_engine.sessions(), true);
    });
    unsetCursor();
    if (!saved) {
        setBusy(false);
        ShowNumberedMessage(this, kErrorCaption, kMsgFileSaveError);
        return;
    }
    m_engine.markSaved();
    setBusy(false);
}

void TFormImport::sbtnOpenClick() {
    if (m_engine.busy() || importRunning())
        return;
    const QString path = chooseOpenFile(this);
    if (path.isEmpty())
        return;
    {
        QFile probe(path);
        if (QFileInfo(path).isDir() || !probe.open(QIODevice::ReadOnly)) {
            ShowNumberedMessage(this, kErrorCaption, kOpenErrorText); // the window's data stays
            return;
        }
    }
    setCursor(Qt::WaitCursor);
    showOpenProgress();
    m_engine.setBusy(true);
    clearWindow();

    const std::string name = QFile::encodeName(path).toStdString();
    SessionFileResult file;
    LongWork work;
    TMsgForm* dialog = m_services.progress;
    if (dialog)
        connect(dialog, &TMsgForm::aborted, &work, &LongWork::cancel);
    connect(&work, &LongWork::progressed, this, [dialog, &work] {
        const WorkProgress* progress = work.progress();
        if (!dialog || !progress)
            return;
        dialog->setBar(ToInt(progress->done()), std::max(ToInt(progress->total()), 1));
        dialog->setReadCounter(progress->done(), progress->total());
    });
    work.runLettingEvents([&name, &file](WorkProgress& progress) {
        file = OpenSessionFile(name, [&progress](std::size_t, std::size_t i, std::size_t n) {
            if (i % kReportEvery == 0 || i == n)
                progress.report(static_cast<std::int64_t>(i), static_cast<std::int64_t>(n));
            return !progress.cancelled();
        });
    });
    // An Abort at any time before here keeps nothing of the file.
    if (!m_engine.busy())
        file.status = SessionFileStatus::Cancelled;
    opened(std::move(file));
}

void TFormImport::showOpenProgress() {
    TMsgForm* dialog = m_services.progress;
    if (!dialog)
        return;
    dialog->setMessageColour(QStringLiteral("red"));
    dialog->setMessage(QNumberedLine(kWarningCaption, kReadingFileText));
    dialog->startProgress(this, 64);
}

void TFormImport::opened(SessionFileResult file) {
    TMsgForm* dialog = m_services.progress;
    if (dialog) {
        dialog->fillBar();
        dialog->setAbortEnabled(false);
    }
    auto hideDialog = [dialog] {
        if (!dialog)
            return;
        dialog->setMessageColour(QString());
        dialog->finishProgress();
    };
    if (file.status == SessionFileStatus::Cancelled ||
        file.status == SessionFileStatus::CannotOpen) {
        // Abort stops the load: the window is left empty, not half-filled.
        hideDialog();
        unsetCursor();
        sendReset();
        if (file.status == SessionFileStatus::CannotOpen)
            ShowNumberedMessage(this, kErrorCaption, kOpenErrorText);
        return;
    }
    addPages(std::move(file.table), true);
    hideDialog();
    setBusy(false);
    unsetCursor();
    if (file.messageId != 0) {
        // A damaged file: what it held is shown, and what was cut is said.
        MessageRequest request;
        request.owner = this;
        request.caption = QNumberedCaption(kErrorCaption, file.messageId);
        request.text = QText(file.messageId);
        if (file.detailId != 0)
            request.text += QLatin1Char('\n') + QText(file.detailId);
        request.icon = MessageIcon::Stop;
        ShowMessage(request);
    }
}

} // namespace ostrel
