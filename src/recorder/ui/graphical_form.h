#pragma once
// TGraphicalForm: the graphical recorder window. It samples the live reading
// into the process-wide sample buffer (at an interval while recording, or one
// sample per click in manual mode), writes each recorded sample to a
// temporary file, shows the buffer page by page on its graph with a cursor
// readout and the largest and smallest sample, and saves and opens record
// files. Created visible at start-up, placed right of the live windows below
// the main window; closing it only hides it. Unlink sends it message 1029.
//
// The code lives in eight files: graphical_form.cpp (window, enable rules,
// status bar, window events), graphical_form_layout.cpp (tool panel, menus,
// panels, graph, status bar panels), graphical_form_sampling.cpp (Start,
// Stop, sampling, interval, Clear, Import, temporary files),
// graphical_form_trigger.cpp (start and stop conditions),
// graphical_form_statistics.cpp (the statistics panel),
// graphical_form_pages.cpp (pages, readout, extremes, zoom, line colour),
// graphical_form_files.cpp (Save, Open, the exit question) and
// graphical_form_export.cpp (Export, printing, printer set-up, the graphical
// viewer).

#include "base/ui/message_box.h"
#include "link/acquisition_state.h"
#include "recorder/recorder_engine.h"
#include "recorder/recording_gap.h"
#include "recorder/temporary_files.h"
#include "recorder/trigger.h"

#include <QColor>
#include <QMainWindow>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class QAction;
class QDialog;
class QFrame;
class QLabel;
class QMenu;
class QMenuBar;
class QProgressBar;
class QTimer;
class QToolButton;

namespace ostrel {

class GraphAdapter;
class StatisticsPanel;
class TAutoMsgForm;
class TDataStringGridForm;
class TDialogOption;
class TMsgForm;

class TGraphicalForm : public QMainWindow {
    Q_OBJECT
  public:
    // startupDirectory: where the temporary files go ("" = current directory).
    explicit TGraphicalForm(AcquisitionState& state, const QString& startupDirectory = QString(),
                            QWidget* parent = nullptr);
    ~TGraphicalForm() override;

    // The windows the recorder works with, created by the shell (any may be
    // null). The viewer and the export dialog are shown modally as they are.
    struct Collaborators {
        QWidget* mainWindow = nullptr; // receives 1030 before an import
        TAutoMsgForm* autoMsg = nullptr;
        TMsgForm* progress = nullptr;
        TDataStringGridForm* dataList = nullptr; // receives 1034 and 1032
        TDialogOption* option = nullptr;
        QDialog* importWindow = nullptr;
        QDialog* viewer = nullptr;
        QDialog* exportDialog = nullptr;
    };
    void setCollaborators(const Collaborators& collaborators);

    // --- seams for tests: what a user would answer in a modal dialog ---------
    // Runs a modal dialog and returns its result (default: exec()).
    using DialogRunner = std::function<int(QDialog&)>;
    void setDialogRunner(DialogRunner runner) { m_runDialog = std::move(runner); }
    // Asks for a file name: save or open, the preset name and the filters.
    // Returns the chosen path or "" when cancelled.
    struct FileRequest {
        bool save = false;
        QString directory;
        QString fileName;
        QStringList filters;
    };
    using FileChooser = std::function<QString(const FileRequest&)>;
    void setFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }
    // Asks for a colour, preset with the current one; invalid when cancelled.
    using ColorChooser = std::function<QColor(const QColor&)>;
    void setColorChooser(ColorChooser chooser) { m_chooseColor = std::move(chooser); }

    // --- what others read -------------------------------------------------------
    const RecorderEngine& engine() const { return m_engine; }
    const SampleBuffer& buffer() const { return m_engine.buffer(); }
    bool recording() const { return m_recording; }
    const TemporaryFiles& temporaryFiles() const { return *m_tempFiles; }

    // --- application-level operations -------------------------------------------
    // The exit question of the main window's close query: true when the
    // program may end (nothing unsaved, or the user saved or chose No).
    bool mayClose();
    // Stop a running recording (message 1029 of an unlink).
    void stopRecording();
    // Before an exit without questions (a signal): stop sampling and keep the
    // temporary file of a running recording, and every temporary file of this
    // run while the buffer holds unsaved samples, for the next start.
    void keepRecordingForRecovery();
    // At start-up: one question about the temporary files earlier runs left
    // (open one, keep them for later, delete the chosen ones).
    void offerLeftoverFiles();
    // Load a record file as Open does after its dialog (also a leftover).
    bool openFile(const QString& path);
    // Save the buffer as Save As does after its dialog.
    bool saveFile(const QString& path);

    // --- handlers, named after their controls -------------------------------------
    void sbtnRecordStartClick();
    void sbtnRecordStopClick();
    void sbtnManualLoggingClick();
    void sbtnOptionClick();
    void sbtnClearClick();
    void sbtnImportClick();
    void sbtnOpenFileClick();
    bool sbtnSaveFileClick(); // true when the buffer was saved
    void sbtnExportClick();
    void sbtnPrintGraphicClick();
    void PrinterSetupClick();
    void sbtnFirstPageClick();
    void sbtnPageUpClick();
    void sbtnPageDownClick();
    void sbtnLastPageClick();
    void sbtnFitViewClick();
    void sbtnUndoZoomClick();
    void GraphLineColorClick();
    void TriggerClick();
    void TimerLoggerTimer();
    void TimerTimeTimer();
    void PEGraphCursorMoved();
    void PEGraphZoomIn();
    void PEGraphKeyDown(int key, Qt::KeyboardModifiers modifiers);

  signals:
    void recordingStopped();
    // The BusyFlag was set or cleared (a file load): the main window's link
    // controls follow it.
    void busyChanged();

  protected:
    bool event(QEvent* event) override; // message 1029
    void closeEvent(QCloseEvent* event) override;

  private:
    // graphical_form_layout.cpp
    void buildToolPanel();
    void makeToolButtons();
    void layOutToolPanel();
    void connectToolButtons();
    void buildMenus();
    void buildFileMenu(QMenuBar* bar);
    void buildAcquisitionMenu(QMenuBar* bar);
    void buildViewMenu(QMenuBar* bar);
    void nameMenus();
    void buildPanels(QWidget* central);
    void buildStatusBar();
    QToolButton* makeButton(const char* name, const char* picture, int hintId);
    // graphical_form.cpp
    void refreshEnables();
    void refreshStatusBar();
    void setBusy(bool busy);
    int runDialog(QDialog& dialog);
    // A message box of this window: the caption from formatId filled with
    // number, the text, icon and buttons. Returns the answer.
    int say(int formatId, int number, const QString& text, MessageIcon icon,
            QMessageBox::StandardButtons buttons = QMessageBox::Ok,
            QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);
    QString chooseFile(const FileRequest& request);
    // graphical_form_sampling.cpp
    bool checkLinked();
    void takeSample();
    // A sample joins the recording: buffer, temporary file, graph, data list.
    void recordSample(const RecordPair& pair);
    // graphical_form_trigger.cpp
    void armTrigger();
    void offerToTrigger(const RecordPair& pair, WallClock::time_point at);
    void scheduleTriggerTimer();
    void triggerTimerDue();
    void endTriggeredRecording();
    void cancelTrigger();
    void showTriggerNotice(const std::string& notice);
    // graphical_form_statistics.cpp
    void buildStatistics();
    void StatisticsClick();
    void refreshStatistics();
    bool lowBatteryMayContinue();
    void resetRecorder();
    void tellTemporaryCopyStopped();
    void endManualFile();
    std::vector<LeftoverFile> offerableLeftovers() const;
    // graphical_form_pages.cpp
    void setUpGraph();
    // The graph shows the points (of any page), in the recorder's y range.
    void fillGraph(const std::vector<GraphPoint>& points);
    void drawPage();
    void drawEmptyPage();
    void refreshReadout();
    void refreshExtremes();
    void stepProgress(std::int64_t steps);
    void zoomUndone(); // Undo Zooming off: the graph shows its whole range
    // graphical_form_files.cpp
    bool loadWithProgress(const QString& path);
    // A file read whole (or cut short) shown: "Adding" in the progress
    // dialog, the data list, the extremes, the last page with the cursor on
    // its last sample.
    void showLoadedRecording(const LoadResult& result);
    // The end of every load: the progress dialog closed, the cursor back,
    // the busy flag cleared.
    void endLoad();
    // Read a record file on a worker thread while the window's events run.
    void readWithProgress(const std::string& path, RecorderLoad& loaded);

    // --- controls (tests and the desktop journeys find them by object name) -------
    QFrame* ToolPanel;
    QLabel* CaptionLabel;
    QToolButton* sbtnRecordStart;
    QToolButton* sbtnRecordStop;
    QToolButton* sbtnManualLogging;
    QToolButton* sbtnOption;
    QToolButton* sbtnClear;
    QToolButton* sbtnImport;
    QToolButton* sbtnOpenFile;
    QToolButton* sbtnSaveFile;
    QToolButton* sbtnExport;
    QToolButton* sbtnPrintGraphic;
    QToolButton* sbtnFirstPage;
    QToolButton* sbtnPageUp;
    QToolButton* sbtnPageDown;
    QToolButton* sbtnLastPage;
    QToolButton* sbtnFitView;
    QToolButton* sbtnUndoZoom;

    QMenu* mnuFile;
    QMenu* mnuAcquisition;
    QMenu* mnuView;
    QAction* miOpen;
    QAction* miSaveAs;
    QAction* miClear;
    QAction* miImport;
    QAction* miExport;
    QAction* miPrint;
    QAction* miPrinterSetup;
    QAction* miExit;
    QAction* miStart;
    QAction* miStop;
    QAction* miManual;
    QAction* miInterval;
    QAction* miTrigger;
    QAction* miFirstPage;
    QAction* miPageUp;
    QAction* miPageDown;
    QAction* miLastPage;
    QAction* miFitView;
    QAction* miUndoZoom;
    QAction* miLineColor;

    QLabel* TimePanel;
    QLabel* ReadingDataPanel;
    QLabel* ReadingUnitPanel;
    QLabel* ReadingFuncPanel;
    QLabel* MaxDataPanel;
    QLabel* MaxUnitPanel;
    QLabel* MaxFuncPanel;
    QLabel* MinDataPanel;
    QLabel* MinUnitPanel;
    QLabel* MinFuncPanel;
    QProgressBar* ProgressBar;
    GraphAdapter* PEGraph;
    QLabel* StatusPanels[5];
    // What the start and stop conditions of the recording say (hidden
    // without them).
    QLabel* TriggerPanel;
    QTimer* TimerLogger;
    QTimer* TimerTime;

    AcquisitionState& m_state;
    QString m_startupDirectory;
    RecorderEngine m_engine;
    std::unique_ptr<TemporaryFiles> m_tempFiles;
    Collaborators m_with;
    bool m_recording = false;
    bool m_manualFileRefused = false;
    QString m_openedLeftover; // the leftover in the buffer, removed once saved
    // The start and stop conditions of the running recording, when used.
    std::optional<TriggeredSampler> m_trigger;
    QTimer* m_triggerTimer = nullptr;             // a start or stop time of day
    StatisticsPanel* m_statisticsPanel = nullptr; // shown by View > Statistics
    // With "Link again when the cable returns", a recording goes on across a
    // lost link; the graph breaks its line over the time without samples.
    bool m_watchGaps = false;
    GapWatch m_gaps;
    bool m_gapPending = false; // the next recorded sample comes after a gap
    QAction* m_miStatistics = nullptr;
    DialogRunner m_runDialog;
    FileChooser m_chooseFile;
    ColorChooser m_chooseColor;
};

} // namespace ostrel
