#pragma once
// TFormMain: the thin strip across the top of the screen with the tool
// buttons and the main menu. It owns the shared acquisition state, the link
// (link, unlink, the acquisition thread) and the off-line watcher, tiles the
// windows, reads the configuration at start and writes it at exit, and holds
// the program's busy flag. Its sources go by role: main_form.cpp (buttons,
// menu, enable rules), main_form_link.cpp (link control), main_form_tiling.cpp
// (placement and tile) and main_form_exit.cpp (close, shutdown, configuration).

#include "app/ui/meter_access.h"
#include "app/ui/window_geometry.h"
#include "base/busy_flag.h"
#include "base/config_file.h"
#include "displays/live_state.h"

#include <QMainWindow>

#include <memory>

class QAction;
class QFrame;
class QMenu;
class QToolButton;

namespace ostrel {

class CableReturnWatch;
class TWaitOffLineThread;
class HandOver;
struct AppWindows;

class TFormMain : public QMainWindow {
    Q_OBJECT
  public:
    // startupDirectory: the folder of the configuration file ("" = current).
    explicit TFormMain(MeterAccess& access, const QString& startupDirectory = QString());
    ~TFormMain() override;

    LiveState& acquisitionState() { return *m_state; }
    const Configuration& configuration() const { return m_config; }
    // The program's busy flag (a file load or an import runs), handed at
    // start-up to the windows that set, clear or read it.
    BusyFlag& busyFlag() { return m_busy; }
    QString startupDirectory() const { return m_startupDirectory; }

    // The windows created after this one; link, unlink and tile use them.
    void setWindows(const AppWindows& windows);

    bool isLinked() const;
    // Apply the enable rules (after every link change and busy change).
    void refreshLinkControls();

    // Handlers, named after their controls.
    void sbtnLinkClick();
    void sbtnDigitMeterClick();
    void sbtnAnalogMeterClick();
    void sbtnComparatorClick();
    void sbtnGraphicalClick();
    void sbtnDataListClick();
    void sbtnWinTileClick();
    void sbtnAboutClick();

    // Once shown with a frame, the height others place themselves below is
    // the real outer height rather than the one computed from the metrics.
    void adoptFrameHeight();
    // The windows of a start placed again by their frames, as the window
    // system gave them: the strip across the top of the available area, the
    // others below it, every frame inside the area.
    void arrangeStartWindows() { arrangeWindows(false); }

    // The desktop's frame metrics as this window uses them.
    FrameMetrics frameMetrics() const;

    // The close of a termination signal: no question is asked, a running
    // recording keeps its temporary file for recovery, long work is told to
    // stop, the configuration is written and every event loop ends. The link
    // stops in shutdown(), which the start-up owner runs next. Idempotent.
    void closeWithoutQuestions();

    // Asks the threads to end and releases the shared state once no thread can
    // use it. Idempotent; run by the start-up owner after the loop ends.
    void shutdown();
    // True when an acquisition thread could not be joined in time at shutdown
    // (blocked in device I/O); the process then ends without running static
    // destructors.
    bool leftThreadRunning() const { return m_leftThreadRunning; }

  protected:
    void closeEvent(QCloseEvent* event) override; // close query + close
    bool event(QEvent* event) override;           // message 1030

  private:
    static constexpr int kButtonWidth = 23;
    static constexpr int kButtonHeight = 22;

    void FormCreate();
    // The main strip's size and place at start, from the frame metrics.
    void placeAtStart();
    // The shared state, the off-line watcher and the acquisition's notices.
    void startOffLineWatch();
    // Tile (tile true) or the start's placement: the same formulas by frames.
    void arrangeWindows(bool tile);
    void placeBelowMainStrip(TileLayout layout, const TileInput& in);
    void buildMenu();
    QToolButton* makeButton(const char* name, int x, const QIcon& icon, int hintId);
    void link();
    void unlink();
    // Ends the acquisition thread, if any, and waits for its end.
    void stopAcquisition();
    void cableLost();
    // With "Link again when the cable returns": the acquisition ends, and
    // starts again once the cable opens (the recording goes on meanwhile).
    bool waitForCableReturn();
    void cableReturned();
    void readConfiguration();
    void writeConfiguration();
    void writeConfigurationAtExit();

    // Widgets, found by tests through their object names.
    QAction* miLink = nullptr;
    QMenu* mnuFile = nullptr;
    QMenu* mnuWindow = nullptr;
    QMenu* mnuPort = nullptr;
    QMenu* mnuHelp = nullptr;
    QAction* miUsbPort = nullptr;
    QAction* miComPort = nullptr;
    QAction* miLinkAgain = nullptr; // "Link again when the cable returns"
    QFrame* Bevel1 = nullptr;
    QToolButton* sbtnLink = nullptr;
    QToolButton* sbtnDigitMeter = nullptr;
    QToolButton* sbtnAnalogMeter = nullptr;
    QToolButton* sbtnComparator = nullptr;
    QToolButton* sbtnGraphical = nullptr;
    QToolButton* sbtnDataList = nullptr;
    QToolButton* sbtnWinTile = nullptr;
    QToolButton* sbtnPort = nullptr;
    QToolButton* sbtnAbout = nullptr;
    QFrame* Panel1 = nullptr;
    QFrame* Panel2 = nullptr;
    QFrame* Panel3 = nullptr;

    MeterAccess& m_access;
    QString m_startupDirectory;
    Configuration m_config;
    BusyFlag m_busy;
    std::unique_ptr<LiveState> m_state;
    std::unique_ptr<HandOver> m_handOver; // the off-line watcher's
    std::unique_ptr<AcquisitionNotices> m_notices;
    std::unique_ptr<AcquisitionRun> m_acquisition;
    std::unique_ptr<TWaitOffLineThread> m_offLine;
    std::unique_ptr<CableReturnWatch> m_cableWatch;
    // A loss is told once until a reading comes again: the readings
    // published when the link was last lost, while it is waited for.
    bool m_lossOpen = false;
    std::uint64_t m_publishedAtLoss = 0;
    const AppWindows* m_windows = nullptr; // the start-up's, set once
    bool m_changingLink = false;
    bool m_shutDown = false;
    bool m_closingWithoutQuestions = false;
    bool m_configurationWritten = false;
    bool m_leftThreadRunning = false;
};

// Show a live window: visible if hidden, restored if minimised, to the front.
void ShowLiveWindow(QWidget* window);

} // namespace ostrel
