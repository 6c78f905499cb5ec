// TGraphicalForm: the window, its collaborators, the enable rules, the status
// bar and the window events.
#include "recorder/ui/graphical_form.h"

#include "base/busy_flag.h"
#include "base/string_table.h"
#include "base/ui/message_box.h"
#include "base/ui/pictures.h"
#include "base/ui/shell_geometry.h"
#include "base/ui/window_messages.h"
#include "displays/ui/data_list_form.h"
#include "displays/ui/glyph_label.h"
#include "displays/ui/live_windows.h"
#include "recorder/recorder_view.h"

#include <QAction>
#include <QCloseEvent>
#include <QDialog>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QTime>
#include <QTimer>
#include <QToolButton>

namespace ostrel {
namespace {

constexpr int kClockMs = 1000;
constexpr int kRecorderCaptionText = 104; // "Graphical Recorder"

} // namespace

TGraphicalForm::TGraphicalForm(AcquisitionState& state, const QString& startupDirectory,
                               QWidget* parent)
    : QMainWindow(parent, Qt::Window), m_state(state), m_startupDirectory(startupDirectory) {
    setObjectName("GraphicalForm");
    setWindowTitle(QText(kRecorderCaptionText));
    setWindowIcon(ResourceIcon(7));
    if (m_startupDirectory.isEmpty())
        m_startupDirectory = QStringLiteral(".");
    m_tempFiles = std::make_unique<TemporaryFiles>(m_startupDirectory.toStdString());
    m_runDialog = [](QDialog& dialog) { return dialog.exec(); };
    m_chooseFile = [this](const FileRequest& request) { return chooseFile(request); };

    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const ShellGeometry& shell = CurrentShellGeometry();
    const RecorderGeometry g = ComputeRecorderGeometry(screen.width(), screen.height(),
                                                       shell.mainWindowHeight, shell.taskbarHeight);
    SetFrameSizeLimits(this,
                       {std::max(1, g.minWidth), std::max(1, std::min(g.minHeight, g.maxHeight))},
                       {g.maxWidth, std::max(1, g.maxHeight)});
    // The place is the frame's, as for the other windows.
    PlaceWindow(this, {g.left, g.top, g.width, g.height});

    auto* central = new QWidget(this);
    setCentralWidget(central);
    buildToolPanel();
    buildMenus();
    buildPanels(central);
    buildStatusBar();
    buildStatistics();

    TimerLogger = new QTimer(this);
    TimerLogger->setObjectName("TimerLogger");
    connect(TimerLogger, &QTimer::timeout, this, &TGraphicalForm::TimerLoggerTimer);
    TimerTime = new QTimer(this);
    TimerTime->setObjectName("TimerTime");
    TimerTime->setInterval(kClockMs);
    connect(TimerTime, &QTimer::timeout, this, &TGraphicalForm::TimerTimeTimer);
    TimerTime->start();

    // Creation: interval 500, manual off, 200 points per page, reset.
    setUpGraph();
    resetRecorder();
    TimerTimeTimer();
}

TGraphicalForm::~TGraphicalForm() {
    TimerLogger->stop();
    // The temporary files of this run go with it (unless kept for recovery).
    m_tempFiles.reset();
}

void TGraphicalForm::setCollaborators(const Collaborators& collaborators) {
    m_with = collaborators;
    if (!m_with.dataList)
        return;
    // The data list formats its lines from this window's buffer when it
    // draws them.
    QPointer<TGraphicalForm> self(this);
    m_with.dataList->setLineSource([self](std::int64_t position) -> std::optional<std::string> {
        if (!self || position < 0 || position >= self->m_engine.count())
            return std::nullopt;
        return DataListLine(self->m_engine.buffer()[static_cast<std::size_t>(position)], position);
    });
}

// --- rules and status ----------------------------------------------------------------

void TGraphicalForm::refreshEnables() {
    RecorderFlags flags;
    flags.recording = m_recording;
    flags.manual = m_engine.manual();
    flags.busy = busyFlag().isSet();
    flags.empty = m_engine.empty();
    flags.lastPage = m_engine.lastPage();
    flags.viewedPage = m_engine.viewedPage();
    const RecorderEnables e = ComputeEnables(flags);
    sbtnRecordStart->setEnabled(e.startStopButtons);
    sbtnRecordStop->setEnabled(e.startStopButtons);
    miStart->setEnabled(e.startMenu);
    miStop->setEnabled(e.stopMenu);
    sbtnManualLogging->setEnabled(e.manual);
    miManual->setEnabled(e.manual);
    for (QToolButton* b : {sbtnOption, sbtnOpenFile, sbtnImport})
        b->setEnabled(e.idle);
    for (QAction* a : {miInterval, miTrigger, miOpen, miImport, miPrinterSetup})
        a->setEnabled(e.idle);
    for (QToolButton* b : {sbtnSaveFile, sbtnPrintGraphic, sbtnClear, sbtnExport})
        b->setEnabled(e.data);
    for (QAction* a : {miSaveAs, miPrint, miClear, miExport})
        a->setEnabled(e.data);
    for (QToolButton* b : {sbtnFirstPage, sbtnPageUp})
        b->setEnabled(e.towardFirst);
    for (QAction* a : {miFirstPage, miPageUp})
        a->setEnabled(e.towardFirst);
    for (QToolButton* b : {sbtnPageDown, sbtnLastPage})
        b->setEnabled(e.towardLast);
    for (QAction* a : {miPageDown, miLastPage})
        a->setEnabled(e.towardLast);
    sbtnFitView->setEnabled(e.fitView);
    miFitView->setEnabled(e.fitView);
}

void TGraphicalForm::refreshStatusBar() {
    StatusPanels[0]->setText(QString::fromStdString(RecordingStatusText(m_recording)));
    StatusPanels[1]->setText(QString::fromStdString(CountStatusText(m_engine.count())));
    StatusPanels[2]->setText(
        QString::fromStdString(PageStatusText(m_engine.viewedPage(), m_engine.lastPage())));
    StatusPanels[3]->setText(
        QString::fromStdString(ModeStatusText(m_engine.manual(), m_engine.interval())));
}

void TGraphicalForm::TimerTimeTimer() {
    const QTime now = QTime::currentTime();
    // Only the digits that change repaint.
    static_cast<GlyphLabel*>(StatusPanels[4])
        ->showText(QString::fromStdString(ClockStatusText(now.hour(), now.minute(), now.second())));
}

void TGraphicalForm::setBusy(bool busy) {
    busyFlag().set(busy);
    refreshEnables();
    emit busyChanged();
}

int TGraphicalForm::runDialog(QDialog& dialog) {
    return m_runDialog(dialog);
}

int TGraphicalForm::say(int formatId, int number, const QString& text, MessageIcon icon,
                        QMessageBox::StandardButtons buttons,
                        QMessageBox::StandardButton defaultButton) {
    MessageRequest request;
    request.owner = this;
    request.caption = QNumberedCaption(formatId, number);
    request.text = text;
    request.icon = icon;
    request.buttons = buttons;
    request.defaultButton = defaultButton;
    return ShowMessage(request);
}

QString TGraphicalForm::chooseFile(const FileRequest& request) {
    QFileDialog dialog(this);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QStringLiteral("g53"));
    dialog.setNameFilters(request.filters);
    dialog.setDirectory(request.directory);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

// --- window events --------------------------------------------------------------------

bool TGraphicalForm::event(QEvent* event) {
    if (event->type() == EventType(kMsgStopRecording)) {
        stopRecording();
        return true;
    }
    return QMainWindow::event(event);
}

void TGraphicalForm::closeEvent(QCloseEvent* event) {
    // Closing only hides the window; a recording it hides would go on without
    // anyone seeing it, so it stops as with Stop.
    stopRecording();
    event->accept();
}

void TGraphicalForm::stopRecording() {
    if (!m_recording)
        return;
    sbtnRecordStop->setChecked(true);
    sbtnRecordStopClick();
}

void TGraphicalForm::keepRecordingForRecovery() {
    TimerLogger->stop();
    m_tempFiles->keepForRecovery(m_engine.hasUnsavedSamples());
}

} // namespace ostrel
