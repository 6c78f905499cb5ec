#pragma once
// TFormImport ("Data Logger"): the window in which the sessions of the
// meter's logger memory are downloaded, looked at, saved, opened and
// exported. Created hidden at start-up and shown modally (maximised) by the
// recorder's Import command. Each session is one page: a tab "Session<k>"
// with the table of its readings, and, for the page shown, the graph of its
// main or sub values, the reading under the graph cursor and the largest and
// smallest reading.
//
// The handlers live in four files: import_form.cpp (layout, state, pages,
// graph, readout, Clear, close), import_download.cpp (the download on a
// worker thread), import_files.cpp (Open and Save As of session files) and
// import_export.cpp (export and printing).

#include "graph/export_request.h"
#include "import/logger_import_run.h"
#include "import/session_page.h"
#include "import/session_table.h"

#include <QDialog>
#include <QMessageBox>
#include <QPointer>

#include <atomic>
#include <functional>
#include <memory>
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
class QTableView;
class QToolBar;
class QToolButton;

namespace ostrel {

class GraphAdapter;
class HidBackend;
class SessionTableModel;
class StatisticsPanel;
class TDlgExportForm;
class TdlgGraphLineColor;
class TMsgForm;

// What the shell hands the window: the cable's backend and the shared dialogs.
struct ImportWindowServices {
    HidBackend* backend = nullptr; // nullptr: no cable at all
    TMsgForm* progress = nullptr;
    TDlgExportForm* exportDialog = nullptr;
    TdlgGraphLineColor* lineColour = nullptr;
};

class TFormImport : public QDialog {
    Q_OBJECT
  public:
    explicit TFormImport(const ImportWindowServices& services, QWidget* parent = nullptr);
    ~TFormImport() override;

    // --- controls -------------------------------------------------------------
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

    // --- window state -----------------------------------------------------------
    int sessionCount() const { return m_sessionCount; }
    int pageCount() const { return m_pageCount; }
    int currentPage() const { return m_currentPage; }
    int points() const { return m_points; }
    float maxY() const { return m_maxY; }
    float minY() const { return m_minY; }
    bool isEmpty() const { return m_empty; }
    bool isSaved() const { return m_saved; }
    bool oneToOne() const { return m_oneToOne; }
    const SessionTable& sessions() const { return m_table; }
    // The table of page k (from 0).
    QTableView* grid(int page) const;
    // An import (check, download or decoding) is under way.
    bool importRunning() const { return m_run != nullptr; }

    // --- operations of the window -------------------------------------------
    void ResetState();
    void DiscardSessions();
    void ResetGraph();
    // A new page for the next session of the table, made active. False (and
    // message 9006) when it cannot be made.
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
    void reject() override; // Escape: as closing
    void done(int result) override;

  private:
    // import_statistics.cpp: the statistics of the session shown.
    void refreshStatistics(int page);
    StatisticsPanel* m_statisticsPanel = nullptr;
    // The file dialogs' filter of session files.
    static QString sessionFilter();
    void buildMenus();
    void buildToolBar();
    QWidget* buildRightPanel();
    void setUpGraph();
    void resetExtremesPanels();
    void clearReadingPanels();
    void showExtremes(const Extremes& extremes, int column, QLabel* maxTime, QLabel* maxReading,
                      QLabel* minTime, QLabel* minReading);
    QString cell(int row, int column) const;
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
    // Pages for every session of the table, stepping the progress dialog.
    void addPages();
    // Run work on a helper thread while the window's events run; the window
    // thread's own state must not change meanwhile (the busy flag is set).
    bool runLetting(const std::function<bool()>& work);

    // Download (import_download.cpp).
    void startRun(LoggerImportStage stage);
    void runEvent(QEvent* event);
    void checked(LoggerImportResult result);
    void downloaded(LoggerImportResult result);
    void showDownloadProgress();
    void abortRun();
    void closeProgress();

    // Export (import_export.cpp).
    // The text export of pages to path: 0 when written, -1 when refused (told).
    int exportText(const std::string& path, const PageSpan& pages);

    ImportWindowServices m_services;
    SessionTable m_table;
    // Window state.
    int m_sessionCount = 0;
    int m_pageCount = 0;
    int m_currentPage = 0;
    int m_points = 200;
    float m_maxY = 100.0f;
    float m_minY = -100.0f;
    bool m_empty = true;
    bool m_saved = false;
    bool m_oneToOne = true;
    bool m_pageShown = false;
    int m_shownPage = -1;
    SessionPagePlot m_plot; // the shown page's graph and its plotted positions
    int m_tabCounter = 0;
    std::vector<QTableView*> m_grids;
    std::vector<QWidget*> m_tabs;
    std::unique_ptr<QPrinter> m_printer;

    // The import under way and what its worker last reported.
    std::unique_ptr<LoggerImportRun> m_run;
    LoggerImportStage m_stage = LoggerImportStage::Check;
    int m_runGeneration = 0;
    bool m_progressShown = false;
    bool m_decoding = false;
    struct Reported {
        std::atomic<bool> posted{false};
        std::atomic<long long> lastPost{0}; // steady clock ticks
        std::atomic<std::size_t> imageSize{0};
        std::atomic<std::size_t> position{0};
        std::atomic<std::uint32_t> length{0};
        std::atomic<bool> decoding{false};
        std::atomic<std::size_t> done{0};
        std::atomic<std::size_t> total{0};
    };
    std::shared_ptr<Reported> m_reported;
};

} // namespace ostrel
