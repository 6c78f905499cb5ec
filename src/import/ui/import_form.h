#pragma once
// TFormImport ("Data Logger"): the window in which the sessions of the
// meter's logger memory are downloaded, looked at, saved, opened and
// exported. Created hidden at start-up and shown modally (maximised) by the
// recorder's Import command. Each session is one page: a tab "Session<k>"
// with the table of its readings, and, for the page shown, the graph of its
// main or sub values, the reading under the graph cursor and the largest and
// smallest reading.
//
// The window is a view over an ImportEngine, which holds the sessions, the
// page, the flags and the enable rules. Its code lives in five files:
// import_form.cpp (layout and window events), import_pages.cpp (pages,
// graph, readout, page commands, Clear and the close query),
// import_download.cpp (the download), import_files.cpp (Open and Save As of
// session files) and import_export.cpp (export and printing). Long work runs
// through a LongWork.

#include "base/ui/long_work.h"
#include "graph/export_request.h"
#include "graph/statistics_table.h"
#include "import/import_engine.h"
#include "import/logger_import_run.h"
#include "recorder/statistics.h"

#include <QBasicTimer>
#include <QDialog>
#include <QFutureWatcher>
#include <QMessageBox>
#include <QPointer>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QGroupBox;
class QLabel;
class QMenu;
class QMenuBar;
class QPrinter;
class QRadioButton;
class QStatusBar;
class QTabWidget;
class QToolBar;
class QToolButton;

namespace ostrel {

class BusyFlag;
class GraphAdapter;
class HidBackend;
struct SessionFileResult;
class SessionGrid;
class StatisticsPanel;
class TDlgExportForm;
class TdlgGraphLineColor;
class TMsgForm;

// What the shell hands the window: the cable's backend, the shared dialogs and
// the busy flag.
struct ImportWindowServices {
    HidBackend* backend = nullptr; // nullptr: no cable at all
    TMsgForm* progress = nullptr;
    TDlgExportForm* exportDialog = nullptr;
    TdlgGraphLineColor* lineColour = nullptr;
    BusyFlag* busy = nullptr; // the program's (required)
};

class TFormImport : public QDialog {
    Q_OBJECT
  public:
    explicit TFormImport(const ImportWindowServices& services, QWidget* parent = nullptr);
    ~TFormImport() override;

    // --- window state ---------------------------------------------------------
    const ImportEngine& engine() const { return m_engine; }
    int sessionCount() const { return m_engine.sessionCount(); }
    int pageCount() const { return m_engine.pageCount(); }
    int currentPage() const { return m_engine.currentPage(); }
    int points() const { return m_engine.points(); }
    float maxY() const { return m_engine.yRange().max; }
    float minY() const { return m_engine.yRange().min; }
    bool isEmpty() const { return m_engine.empty(); }
    bool isSaved() const { return m_engine.saved(); }
    bool oneToOne() const { return m_engine.oneToOne(); }
    const SessionTable& sessions() const { return m_engine.sessions(); }
    // The table of page k (from 0); nullptr until the page was first shown.
    SessionGrid* grid(int page) const;
    // An import (check, download or decoding) is under way.
    bool importRunning() const { return m_download.running(); }

    // --- operations of the window -------------------------------------------
    void ResetState();
    void DiscardSessions();
    void ResetGraph();
    // A new page for the next session of the table, made active with its
    // table. False (and message 9006) when it cannot be made.
    bool AddSessionPage();
    void ShowPage(int page);
    // The reading under the graph cursor into the four current panels.
    void CursorReadout();
    void RefreshButtons();
    void RefreshMenus();

    // --- handlers ------------------------------------------------------------
    void sbtnImportClick();
    void sbtnExportClick();
    void sbtnOpenClick();
    void sbtnSaveClick();
    void sbtnClearClick();
    void sbtnFirstPageClick();
    void sbtnPageUpClick();
    void sbtnPageDownClick();
    void sbtnLastPageClick();
    void rbtnMainDataClick();
    void rbtnSubDataClick();
    void PEGraphCursorMoved(int point);
    void mnuPrintClick();
    void mnuPrinterSetupClick();
    void mnuLineColorClick();
    // Whether the window may close (asks about unsaved data).
    bool FormCloseQuery();

    // The file dialogs, the printer and its dialogs, and how the shared
    // dialogs (export, line colours) are run modally; replaced by tests.
    std::function<QString(QWidget* owner)> chooseOpenFile;
    std::function<int(QDialog& dialog)> runModal;
    std::function<bool(QPrinter& printer, QWidget* owner)> runPrintDialog;
    std::function<bool(QPrinter& printer, QWidget* owner)> runPrinterSetup;
    QPrinter& printer() { return *m_printer; }

  protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void reject() override; // Escape: as closing
    void done(int result) override;

  private:
    // import_statistics.cpp: the statistics of the session shown.
    void refreshStatistics(int page);
    // A worker's sum has come.
    void statisticsSummed();
    // The figures of a page, shown when it is the current one.
    void keepStatistics(int page, const SampleStatistics& statistics);
    // A sum under way ends (and is waited for): the sessions may change.
    void stopStatistics();
    StatisticsPanel* m_statisticsPanel = nullptr;
    // The figures of each page once worked out, for the sessions held now.
    std::vector<std::optional<StatisticsRun>> m_statisticsRuns;
    std::string m_statisticsName; // of the page summed last
    // The sum of page m_summingPage on a worker, and what stops it.
    int m_summingPage = -1;
    std::shared_ptr<std::atomic<bool>> m_statisticsStop;
    QFutureWatcher<SampleStatistics> m_statisticsWatcher;
    // Width of every table column: wide enough for a reading with its unit
    // and coupling ("-12.345mV [DC+AC]").
    static constexpr int kColumnWidth = 118;
    static constexpr int kSessionText = 7146; // "Session"
    // The file dialogs' filter of session files.
    static QString sessionFilter();
    // The file, print and printer set-up dialogs of the desktop.
    void useDefaultDialogs();
    void buildMenus();
    void buildToolBar();
    QWidget* buildRightPanel();
    QWidget* buildPageBar();
    void setUpGraph();
    void resetExtremesPanels();
    void clearReadingPanels();
    void showExtremes(const Extremes& extremes, int column, QLabel* maxTime, QLabel* maxReading,
                      QLabel* minTime, QLabel* minReading);
    QString cell(std::int64_t row, int column) const;
    void drawPlot();
    void refreshPageButtons();
    void showPageAgain();
    // The reset message (1036) sent to the window itself.
    void sendReset();
    void handleReset();
    // Everything back to empty: state, sessions, pages, graph, panels, choices.
    void clearWindow();
    // A question with the warning caption of id.
    int ask(int id, const QString& text, QMessageBox::StandardButtons buttons,
            QMessageBox::StandardButton defaultButton);
    // Take a table of sessions and make a page for each, showing the last.
    void addPages(SessionTable table, bool saved);
    // The tab of the next session's page, without its table and not made
    // current. False (and message 9006) when there is no next session.
    bool addSessionTab();
    // Page k's table, unless it was made already.
    void makeGrid(int page);
    // The busy flag set or cleared, the commands following it.
    void setBusy(bool busy);

    // Open and Save As (import_files.cpp).
    void showOpenProgress();
    void opened(SessionFileResult file);

    // Download (import_download.cpp).
    void startRun(LoggerImportStage stage);
    LoggerImportRun::Callbacks runCallbacks(WorkProgress& progress);
    void runEnded();
    void checked(LoggerImportResult result);
    void downloaded(LoggerImportResult result);
    void showDownloadProgress();
    void showDownloadStart(TMsgForm& dialog);
    void abortRun();
    void closeProgress();

    // Export (import_export.cpp).
    // The text export of pages to path: 0 when written, -1 when refused (told).
    int exportText(const std::string& path, const PageSpan& pages);

    // --- controls (tests and the desktop journeys find them by object name) -------
    QMenuBar* MainMenu;
    QAction* mnuOpen;
    QAction* mnuSaveAs;
    QAction* mnuImport;
    QAction* mnuExport;
    QAction* mnuPrint;
    QAction* mnuPrinterSetup;
    QAction* mnuExit;
    QAction* mnuClear;
    QAction* mnuLineColor;
    QToolBar* ToolBar1;
    QToolButton* sbtnImport;
    QToolButton* sbtnExport;
    QToolButton* sbtnOpen;
    QToolButton* sbtnSave;
    QToolButton* sbtnClear;
    QStatusBar* StatusBar1;
    QTabWidget* PageControl;
    QWidget* PanelGraph;
    QGroupBox* grbxMainDisplay;
    QLabel* pnlMainDataTime;
    QLabel* pnlMainDataRdg;
    QLabel* pnlMaxMainDataTime;
    QLabel* pnlMaxMainDataRdg;
    QLabel* pnlMinMainDataTime;
    QLabel* pnlMinMainDataRdg;
    QGroupBox* grbxSubDisplay;
    QLabel* pnlSubDataTime;
    QLabel* pnlSubDataRdg;
    QLabel* pnlMaxSubDataTime;
    QLabel* pnlMaxSubDataRdg;
    QLabel* pnlMinSubDataTime;
    QLabel* pnlMinSubDataRdg;
    QWidget* PanelSBtn;
    QRadioButton* rbtnMainData;
    QRadioButton* rbtnSubData;
    QToolButton* sbtnUndoZoom;
    QToolButton* sbtnFirstPage;
    QToolButton* sbtnPageUp;
    QToolButton* sbtnPageDown;
    QToolButton* sbtnLastPage;
    GraphAdapter* PEGraph;

    ImportWindowServices m_services;
    ImportEngine m_engine;
    int m_tabCounter = 0;
    std::vector<SessionGrid*> m_grids;
    std::vector<QWidget*> m_tabs;
    std::unique_ptr<QPrinter> m_printer;

    // The import under way and what its worker last reported. The runner
    // comes last: it waits for its worker before the rest goes.
    std::unique_ptr<LoggerImportRun> m_run;
    LoggerImportStage m_stage = LoggerImportStage::Check;
    bool m_progressShown = false;
    // The progress dialog is drawn again at most this often (ms).
    static constexpr int kProgressPaceMs = 100;
    QBasicTimer m_progressPace;
    bool m_progressPending = false; // a report came while the pace timer ran
    bool m_decoding = false;
    struct Reported {
        std::atomic<std::size_t> imageSize{0};
        std::atomic<std::size_t> position{0};
        std::atomic<std::uint32_t> length{0};
        std::atomic<bool> decoding{false};
    };
    Reported m_reported;
    LongWork m_download;
};

} // namespace ostrel
