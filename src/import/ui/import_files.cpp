// TFormImport: Save As and Open of session files (".slr"). Both read or
// write on a helper thread while the window's events run; the busy flag keeps
// the window's data commands away meanwhile.
#include "base/busy_flag.h"
#include "base/string_table.h"
#include "base/ui/message_box.h"
#include "base/ui/message_dialogs.h"
#include "graph/ui/save_file_chooser.h"
#include "import/session_file.h"
#include "import/ui/import_form.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <atomic>
#include <climits>

namespace ostrel {
namespace {

constexpr int kSessionFilterText = 7147; // "session logger data files(*.slr)|*.slr"
constexpr int kUntitledText = 7148;      // "Untitled.slr"
constexpr int kReadingText = 8005;       // "Reading data from selected file. Please wait ..."
constexpr int kOpenErrorText = 9004;     // "File open error."
constexpr int kSaveErrorText = 9005;     // "File save error."

int ToInt(std::size_t n) {
    return static_cast<int>(std::min<std::size_t>(n, INT_MAX));
}

} // namespace

QString TFormImport::sessionFilter() {
    // "session logger data files(*.slr)|*.slr": the name before the bar.
    return QText(kSessionFilterText).section(QLatin1Char('|'), 0, 0);
}

void TFormImport::sbtnSaveClick() {
    if (m_empty || BusyFlag())
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
    BusyFlag() = true;
    RefreshButtons();
    RefreshMenus();
    // The window's only copy of a download: flushed to the disk before it
    // replaces an earlier file.
    const bool saved = runLetting([this, &name] { return SaveSessionFile(name, m_table, true); });
    BusyFlag() = false;
    unsetCursor();
    if (!saved) {
        RefreshButtons();
        RefreshMenus();
        ShowNumberedMessage(this, kErrorCaption, kSaveErrorText);
        return;
    }
    m_empty = false;
    m_saved = true;
    RefreshButtons();
    RefreshMenus();
}

void TFormImport::sbtnOpenClick() {
    if (BusyFlag() || m_run)
        return;
    const QString path = chooseOpenFile(this);
    if (path.isEmpty())
        return;
    QCoreApplication::processEvents();
    const std::string name = QFile::encodeName(path).toStdString();
    {
        QFile probe(path);
        if (QFileInfo(path).isDir() || !probe.open(QIODevice::ReadOnly)) {
            ShowNumberedMessage(this, kErrorCaption, kOpenErrorText); // the window's data stays
            return;
        }
    }
    setCursor(Qt::WaitCursor);
    TMsgForm* dialog = m_services.progress;
    std::atomic<bool> aborted{false};
    QMetaObject::Connection abortConnection;
    if (dialog) {
        dialog->setMessageColour(QStringLiteral("red"));
        dialog->setMessage(QNumberedLine(kWarningCaption, kReadingText));
        abortConnection = connect(dialog, &TMsgForm::aborted, this, [&aborted] { aborted = true; });
        dialog->startProgress(this, 64);
    }
    BusyFlag() = true;
    clearWindow();

    // The reader reports into these; the window shows them every 50 ms.
    std::atomic<std::size_t> position{0}, count{0};
    QTimer shown;
    shown.setInterval(50);
    connect(&shown, &QTimer::timeout, this, [&] {
        if (!dialog)
            return;
        const std::size_t n = count, i = position;
        dialog->setBar(ToInt(i), std::max(ToInt(n), 1));
        dialog->setReadCounter(ToInt(i), ToInt(n));
    });
    shown.start();
    SessionFileResult file;
    runLetting([&] {
        file = OpenSessionFile(name, [&](std::size_t, std::size_t i, std::size_t n) {
            position.store(i, std::memory_order_relaxed);
            count.store(n, std::memory_order_relaxed);
            return !aborted.load(std::memory_order_relaxed);
        });
        return true;
    });
    shown.stop();
    if (dialog) {
        dialog->fillBar();
        dialog->setAbortEnabled(false);
        disconnect(abortConnection);
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
    m_table = std::move(file.table);
    addPages();
    hideDialog();
    m_empty = false;
    m_saved = true;
    BusyFlag() = false;
    RefreshButtons();
    RefreshMenus();
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
