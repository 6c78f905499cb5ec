// TGraphicalForm: Save As, Open with its progress dialog, and the exit
// question of the main window's close query.

#include "recorder/ui/graphical_form.h"

#include "base/busy_flag.h"
#include "base/string_table.h"
#include "base/ui/long_work.h"
#include "base/ui/message_box.h"
#include "base/ui/message_dialogs.h"
#include "displays/ui/data_list_form.h"
#include "graph/export_request.h"
#include "graph/ui/graph_adapter.h"
#include "graph/ui/graph_window_texts.h"
#include "recorder/recorder_view.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace ostrel {
namespace {

constexpr int kAddingText = 8006;
constexpr int kG53FilterText = 7030;
constexpr int kTemporaryFilterText = 7031;
constexpr int kUntitledText = 7032;
constexpr int kLoadSteps = 64;            // the progress dialog's bar
constexpr std::int64_t kCheckEvery = 256; // entries between two looks at the clock

// "Data Logger files(*.g53)|*.g53" → "Data Logger files(*.g53)". The file
// dialog matches its patterns without regard to case, so "*.TMP" also shows
// "~qdmdl1.tmp".
QString FilterText(int id) {
    return QText(id).section('|', 0, 0);
}

QString ColouredLine(int id, const QString& colour) {
    return QStringLiteral("<span style=\"color:%1\">%2</span>")
        .arg(colour, QNumberedLine(kWarningCaption, id).toHtmlEscaped());
}

} // namespace

// --- Save As -----------------------------------------------------------------------------

bool TGraphicalForm::sbtnSaveFileClick() {
    FileRequest request;
    request.save = true;
    request.directory = m_startupDirectory;
    request.fileName = QText(kUntitledText);
    request.filters = QStringList{FilterText(kG53FilterText)};
    for (;;) {
        QString path = m_chooseFile(request);
        if (path.isEmpty())
            return false;
        if (QFileInfo(path).suffix().isEmpty())
            path += QStringLiteral(".g53");
        // A name that would be opened as another layout is refused: the file
        // could not be read back as what it holds.
        const std::string problem = G53SaveNameProblem(path.toStdString());
        if (problem.empty())
            return saveFile(path);
        say(kErrorCaption, kSaveNameTextId, QString::fromStdString(problem), MessageIcon::Stop);
        request.fileName = QFileInfo(path).fileName();
        request.directory = QFileInfo(path).absolutePath();
    }
}

bool TGraphicalForm::saveFile(const QString& path) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool saved = SaveRecordFile(path.toStdString(), m_engine.buffer());
    QApplication::restoreOverrideCursor();
    if (!saved) {
        ShowNumberedMessage(this, kErrorCaption, kMsgFileSaveError);
        return false;
    }
    m_engine.markSaved();
    // A leftover recording opened and now saved whole lives on in the saved
    // file: its temporary file is not offered again.
    if (!m_openedLeftover.isEmpty()) {
        QFile::remove(m_openedLeftover);
        m_openedLeftover.clear();
    }
    refreshEnables();
    return true;
}

// --- Open --------------------------------------------------------------------------------

void TGraphicalForm::sbtnOpenFileClick() {
    sbtnClearClick();
    if (!m_engine.empty())
        return; // the user kept the data
    FileRequest request;
    request.directory = m_startupDirectory;
    request.filters = QStringList{FilterText(kG53FilterText), FilterText(kTemporaryFilterText)};
    const QString path = m_chooseFile(request);
    if (!path.isEmpty())
        openFile(path);
}

bool TGraphicalForm::openFile(const QString& path) {
    if (!m_engine.empty() || m_recording)
        return false;
    const bool loaded = loadWithProgress(path);
    if (loaded && IsLeftoverOf(*m_tempFiles, path.toStdString()))
        m_openedLeftover = path;
    refreshEnables();
    return loaded;
}

bool TGraphicalForm::loadWithProgress(const QString& path) {
    const QFileInfo file(path);
    if (!file.isFile() || !file.isReadable()) {
        ShowNumberedMessage(this, kErrorCaption, kOpenErrorText);
        return false;
    }
    setBusy(true);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    RecorderLoad loaded = m_engine.startLoad();
    readWithProgress(path.toStdString(), loaded);
    // An Abort at any time before here keeps nothing of the file.
    if (!busyFlag().isSet())
        loaded.result.status = LoadStatus::Aborted;
    const LoadResult result = m_engine.finishLoad(std::move(loaded));

    if (result.status == LoadStatus::Aborted || result.status == LoadStatus::OpenError ||
        result.status == LoadStatus::Damaged) {
        // An aborted load keeps nothing of the file: the recorder stays empty.
        endLoad();
        if (result.status != LoadStatus::Aborted)
            ShowNumberedMessage(this, kErrorCaption, LoadMessageId(result));
        return false;
    }
    showLoadedRecording(result);
    endLoad();
    refreshStatusBar();
    if (result.status == LoadStatus::CutShort) {
        say(kWarningCaption, kCutShortTextId, QString::fromStdString(LoadMessage(result)),
            MessageIcon::Warning);
    }
    return true;
}

void TGraphicalForm::showLoadedRecording(const LoadResult& result) {
    if (TMsgForm* dialog = m_with.progress) {
        dialog->setBarValue(kLoadSteps);
        dialog->setAbortEnabled(false);
        dialog->setMessage(ColouredLine(kAddingText, QStringLiteral("blue")));
        dialog->setReadCounter(result.read, result.read);
        dialog->repaint();
    }
    const std::int64_t n = m_engine.count();
    if (m_with.dataList && n > 0)
        m_with.dataList->appendLines(0, n - 1);
    refreshExtremes();
    stepProgress(n);
    drawPage();
    PEGraph->setCursorPoint(PEGraph->pointCount() - 1);
    refreshReadout();
}

void TGraphicalForm::endLoad() {
    if (m_with.progress)
        m_with.progress->finishProgress();
    QApplication::restoreOverrideCursor();
    setBusy(false);
}

void TGraphicalForm::readWithProgress(const std::string& path, RecorderLoad& loaded) {
    // The file is read on a worker thread while the window's events run; the
    // progress dialog follows it, and Abort (which clears the busy flag)
    // stops it.
    TMsgForm* dialog = m_with.progress;
    if (dialog) {
        dialog->setRichMessage(ColouredLine(kReadingFileText, QStringLiteral("red")));
        dialog->startProgress(this, kLoadSteps);
    }
    LongWork work;
    connect(&work, &LongWork::progressed, this, [&] {
        if (!busyFlag().isSet())
            work.cancel();
        const WorkProgress* progress = work.progress();
        if (!dialog || !progress)
            return;
        const std::int64_t done = progress->done(), total = progress->total();
        dialog->setBarValue(total > 0 ? static_cast<int>(done * kLoadSteps / total) : kLoadSteps);
        dialog->setReadCounter(done, total);
    });
    if (dialog)
        connect(dialog, &TMsgForm::aborted, &work, &LongWork::cancel);
    work.runLettingEvents([&](WorkProgress& progress) {
        ReadRecording(path, loaded, [&](std::int64_t done, std::int64_t total) {
            if (done % kCheckEvery == 0 || done == total)
                progress.report(done, total, done == total);
            return !progress.cancelled();
        });
    });
}

// --- exit question ---------------------------------------------------------------------

bool TGraphicalForm::mayClose() {
    if (!m_engine.hasUnsavedSamples())
        return true;
    switch (say(kWarningCaption, kBufferHasDataText,
                QText(kBufferHasDataText) + '\n' + QText(kSaveQuestionText), MessageIcon::Question,
                QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Cancel)) {
    case QMessageBox::No:
        return true;
    case QMessageBox::Yes:
        // Closes only when the save left nothing unsaved (not cancelled, not failed).
        sbtnSaveFileClick();
        return !m_engine.hasUnsavedSamples();
    default:
        return false;
    }
}

} // namespace ostrel
