#include "app/ui/screenshots.h"

#include "app/ui/about_dialog.h"
#include "app/ui/display_windows.h"
#include "app/ui/main_form.h"
#include "app/ui/start_up.h"
#include "base/string_table.h"
#include "base/ui/message_box.h"
#include "base/ui/message_dialogs.h"
#include "graph/ui/export_dialog.h"
#include "graph/ui/graph_adapter.h"
#include "graph/ui/line_colour_dialog.h"
#include "graph/ui/save_file_chooser.h"
#include "import/ui/import_form.h"
#include "recorder/recorder_math.h"
#include "recorder/sample_conversion.h"
#include "recorder/sampling.h"
#include "recorder/ui/graphical_form.h"
#include "recorder/ui/graphical_viewer.h"
#include "recorder/ui/trigger_dialog.h"
#include "simulator/simulated_meter.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <QToolButton>

#include <cmath>
#include <iostream>

namespace ostrel {
namespace {

constexpr int kMainColourText = 7150; // " Main-Data Color"
constexpr int kSubColourText = 7151;  // " Sub-Data Color"
constexpr int kLowBatteryText = 8000; // "The battery power of the DMM is low."
constexpr int kDestroyQuestionText = 8010;

constexpr std::int64_t kRecordedSamples = 300;

// A control of a window by its object name: the screenshots drive the windows
// as a user (or a test) does, not through their members.
template <class T> T* Child(const QObject* window, const char* name) {
    return window->findChild<T*>(QLatin1String(name));
}

// count DC volt samples as the recorder takes them from the simulated meter's
// display, one each half second from 10:00:00.
SampleBuffer SimulatedVoltsRecording(int count) {
    SampleBuffer buffer;
    const SimulationOptions options;
    for (std::uint64_t n = 0; static_cast<int>(buffer.size()) < count; ++n) {
        const FrameContent display = SimulatedMeter::DisplayAt(n, options);
        if (display.main.function != nFunc_DcV)
            continue;
        const int tenths = static_cast<int>(buffer.size()) * 5;
        const int seconds = tenths / 10;
        const std::string time =
            FormatSampleTime(10 + seconds / 3600, seconds / 60 % 60, seconds % 60, tenths % 10);
        if (std::optional<RecordPair> pair = SampleFromFrame(EncodeFrame(display), time))
            buffer.push_back(*pair);
    }
    return buffer;
}

} // namespace

ScreenshotTaker::ScreenshotTaker(ShellSession& session, QString directory, int linkedDelayMs)
    : m_session(session), m_directory(std::move(directory)), m_delayMs(linkedDelayMs) {
    QDir().mkpath(m_directory);
    // Nobody is there to answer a message box: report it and go on.
    SetMessageAnswerer([](const MessageRequest& request) {
        std::cerr << request.caption.toStdString() << ": " << request.text.toStdString() << "\n";
        if (request.kind == MessageKind::AutoContinue)
            return 6;
        // The import's question: go ahead. The exit question about the
        // recorded samples: leave without saving.
        if (request.caption == QNumberedCaption(kWarningCaption, kDestroyQuestionText))
            return int(QMessageBox::Yes);
        return int(request.buttons.testFlag(QMessageBox::No) ? QMessageBox::No : QMessageBox::Ok);
    });
    QTimer::singleShot(500, this, [this] { start(); });
}

void ScreenshotTaker::save(QWidget* window, const QString& name) {
    if (!window)
        return;
    const QString path = QDir(m_directory).filePath(name + QStringLiteral(".png"));
    if (window->grab().save(path))
        std::cout << path.toStdString() << "\n";
    else
        std::cerr << "ostrel: cannot write " << path.toStdString() << "\n";
}

// The whole screen as the user sees it: every visible window at its place
// (window frames are the window manager's and not drawn).
void ScreenshotTaker::saveDesktop(const QString& name) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QPixmap desktop(screen->geometry().size());
    desktop.fill(QColor(0x2f, 0x3b, 0x48));
    QPainter painter(&desktop);
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible() && !window->isMinimized())
            painter.drawPixmap(window->geometry().topLeft(), window->grab());
    painter.end();
    const QString path = QDir(m_directory).filePath(name + QStringLiteral(".png"));
    if (desktop.save(path))
        std::cout << path.toStdString() << "\n";
    else
        std::cerr << "ostrel: cannot write " << path.toStdString() << "\n";
}

void ScreenshotTaker::start() {
    const AppWindows& w = m_session.windows();
    w.about->show();
    w.about->Image1Click();
    QApplication::processEvents();
    save(w.about, QStringLiteral("about"));
    w.about->hide();

    // The comparator with the alarm on and a pair of limits around the
    // simulated meter's resistance (4.7 kΩ).
    w.comparator->show();
    w.comparator->setLimits(5000, 4500);
    w.comparator->bbtnAlartClick();
    Child<QToolButton>(w.main, "sbtnLink")->setChecked(true);
    w.main->sbtnLinkClick();
    recordSamples();
}

// Records a few hundred samples of the DC volts the simulated meter shows
// (its sine), so that the recorder's graph, panels and status bar and the
// data list have something to show. The ticks come from here, faster than
// the recorder's own 500 ms.
void ScreenshotTaker::recordSamples() {
    const AppWindows& w = m_session.windows();
    Child<QToolButton>(w.graphical, "sbtnRecordStart")->click();
    Child<QTimer>(w.graphical, "TimerLogger")->stop();
    auto* tick = new QTimer(this);
    connect(tick, &QTimer::timeout, this, [this, tick] {
        const AppWindows& w = m_session.windows();
        if (w.graphical->engine().count() >= kRecordedSamples) {
            tick->stop();
            // The cursor on a sample inside the page, with its readout.
            Child<GraphAdapter>(w.graphical, "PEGraph")->setCursorPoint(150);
            w.graphical->PEGraphCursorMoved();
            // A reading worth showing on the digital meter: low battery with the sub
            // display in use, grabbed as the window shows it (the simulated
            // battery is low for one answer in ten).
            whenReady(
                [this] {
                    const TDigitalMeterForm* meter = m_session.windows().digitalMeter;
                    return Child<QLabel>(meter, "pnlLB")->text() == QStringLiteral("LB") &&
                           !Child<QLabel>(meter, "SubDataPanel")->text().isEmpty();
                },
                0, [this] { grabDigital(); });
            return;
        }
        const MeterReading r = m_session.main().acquisitionState().copyReading();
        if (r.main.function == 6 && !r.lowBattery)
            w.graphical->TimerLoggerTimer();
    });
    tick->start(10);
}

void ScreenshotTaker::whenReady(std::function<bool()> ready, int settleMs,
                                std::function<void()> then) {
    auto* poll = new QTimer(this);
    QElapsedTimer clock;
    clock.start();
    connect(poll, &QTimer::timeout, this, [=, this] {
        if (!ready() && clock.elapsed() < m_delayMs)
            return;
        poll->stop();
        poll->deleteLater();
        if (settleMs == 0)
            then(); // as it is now: no event may change it first
        else
            QTimer::singleShot(settleMs, this, then);
    });
    poll->start(10);
}

void ScreenshotTaker::grabDigital() {
    const AppWindows& w = m_session.windows();
    save(w.main, QStringLiteral("main"));
    save(w.digitalMeter, QStringLiteral("digital-meter"));
    save(w.graphical, QStringLiteral("graphical-recorder"));
    save(w.dataList, QStringLiteral("data-list"));
    // The meters on a resistance (a prefix and the ohm sign beside the
    // multiplier), with both needles at their angles.
    whenReady(
        [this] {
            const AppWindows& w = m_session.windows();
            const auto settled = [](double shown, double angle) {
                return std::abs(shown - angle) < 0.5;
            };
            return w.analogMeter->state().function == nFunc_Ohm &&
                   w.analogMeter->state().count != 5500 && w.comparator->function() == nFunc_Ohm &&
                   settled(w.analogMeter->shownAngle(), w.analogMeter->state().angle) &&
                   settled(w.comparator->shownAngle(), w.comparator->angle());
        },
        0, [this] { grabMeters(); });
}

// Once the meters have settled: every window of the linked session in turn,
// then the import window.
void ScreenshotTaker::grabMeters() {
    grabRecorder();
    grabDialogs();
    grabExportedPage();
    grabViewer();

    const AppWindows& w = m_session.windows();
    // Unlink, as the recorder's Import command does, then the import window.
    Child<QToolButton>(w.main, "sbtnLink")->setChecked(false);
    w.main->sbtnLinkClick();
    grabImport();
}

// The analog meter, the comparator and the whole desktop; then the recorder,
// stopped, with its statistics, zoomed on a stretch of the page.
void ScreenshotTaker::grabRecorder() {
    const AppWindows& w = m_session.windows();
    save(w.analogMeter, QStringLiteral("analog-meter"));
    save(w.comparator, QStringLiteral("comparator"));
    saveDesktop(QStringLiteral("desktop"));
    Child<QToolButton>(w.graphical, "sbtnRecordStop")->click();

    if (auto* statistics = w.graphical->findChild<QAction*>(QStringLiteral("miStatistics"))) {
        statistics->trigger();
        auto* graph = Child<GraphAdapter>(w.graphical, "PEGraph");
        graph->zoomToPoints(60, 140);
        QApplication::processEvents();
        graph->replotNow();
        save(w.graphical, QStringLiteral("recorder-statistics"));
        w.graphical->sbtnUndoZoomClick();
        statistics->trigger();
    }
}

// The auto-continue notice, the export dialog as a user sets it up for a
// picture of the page, and the recorder's start and stop conditions.
void ScreenshotTaker::grabDialogs() {
    const AppWindows& w = m_session.windows();
    w.autoMsg->setMessage(QNumberedCaption(kWarningCaption, kLowBatteryText),
                          QStringLiteral("The battery power of the DMM is low."),
                          QStringLiteral("(Will continue automatically in 3 seconds.)"));
    w.autoMsg->show();
    for (int i = 0; i < 12; ++i)
        w.autoMsg->Timer1Timer();
    save(w.autoMsg, QStringLiteral("auto-continue"));
    w.autoMsg->hide();

    w.exportForm->prepareForPages(3);
    w.exportForm->choose(ExportType::MetaFile);
    w.exportForm->show();
    save(w.exportForm, QStringLiteral("export-dialog"));
    w.exportForm->hide();

    // The recorder's start and stop conditions, set to catch a supply that
    // sags: below 11.5, twenty samples kept from before, six hundred in all.
    {
        TTriggerDialog trigger(w.graphical);
        TriggerEntries entries;
        entries.enabled = true;
        entries[TriggerField::StartBelow] = {true, "11.5"};
        entries[TriggerField::Pre] = {true, "20"};
        entries[TriggerField::StopCount] = {true, "600"};
        trigger.setEntries(entries);
        trigger.show();
        save(&trigger, QStringLiteral("trigger-dialog"));
    }
}

// The recorded page exported as a picture, as a user does it: Export,
// BitMap to a file, Browse, Export.
void ScreenshotTaker::grabExportedPage() {
    const AppWindows& w = m_session.windows();
    const QString exported = QDir(m_directory).filePath(QStringLiteral("exported-page.png"));
    const SaveFileAnswerer previousChooser =
        SetSaveFileAnswerer([exported](const SaveFileRequest&) { return exported; });
    w.graphical->setDialogRunner([](QDialog& dialog) {
        auto& form = static_cast<TDlgExportForm&>(dialog);
        Child<QRadioButton>(&form, "rbtnBitMap")->click();
        Child<QRadioButton>(&form, "rbtnFile")->click();
        Child<QPushButton>(&form, "btnBrowse")->click();
        return int(QDialog::Accepted);
    });
    w.graphical->sbtnExportClick();
    w.graphical->setDialogRunner([](QDialog& dialog) { return dialog.exec(); });
    SetSaveFileAnswerer(previousChooser);
    if (QFile::exists(exported))
        std::cout << exported.toStdString() << "\n";
}

// The graphical viewer over a few thousand samples.
void ScreenshotTaker::grabViewer() {
    const AppWindows& w = m_session.windows();
    const SampleBuffer recording = SimulatedVoltsRecording(3000);
    ViewerSource source{&recording, {}, {}};
    ScanBuffer(recording, source.yRange, source.extremes);
    w.viewGraphic->setSource(source);
    w.viewGraphic->show();
    Child<GraphAdapter>(w.viewGraphic, "PEGraphView")->replotNow();
    save(w.viewGraphic, QStringLiteral("viewer"));
    w.viewGraphic->close();
}

// The import window after a download of the simulated logger memory, showing
// its first session (two displays), and the line colour dialog; then close.
void ScreenshotTaker::grabImport() {
    const AppWindows& w = m_session.windows();
    w.import->show();
    w.import->sbtnImportClick();
    auto* poll = new QTimer(this);
    connect(poll, &QTimer::timeout, this, [this, poll] {
        const AppWindows& w = m_session.windows();
        if (w.import->importRunning() || w.main->busyFlag().isSet())
            return;
        poll->stop();
        w.import->sbtnFirstPageClick();
        QApplication::processEvents();
        Child<GraphAdapter>(w.import, "PEGraph")->replotNow();
        save(w.import, QStringLiteral("import"));
        w.lineColor->setButtonTexts(QText(kMainColourText), QText(kSubColourText));
        w.lineColor->show();
        save(w.lineColor, QStringLiteral("line-colour"));
        w.lineColor->hide();
        w.import->hide();
        w.main->close();
    });
    poll->start(50);
}

} // namespace ostrel
