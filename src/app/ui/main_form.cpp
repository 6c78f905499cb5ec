#include "app/ui/main_form.h"

#include "app/ui/about_dialog.h"
#include "app/ui/display_windows.h"
#include "app/ui/wait_offline_thread.h"
#include "base/busy_flag.h"
#include "base/string_table.h"
#include "base/ui/app_windows.h"
#include "base/ui/message_box.h"
#include "base/ui/pictures.h"
#include "base/ui/shell_geometry.h"
#include "base/ui/user_settings.h"
#include "base/ui/window_messages.h"
#include "base/ui/window_thread_hand_over.h"
#include "displays/panel_geometry.h"
#include "displays/ui/live_windows.h"
#include "link/cable_return_watch.h"
#include "link/link_notifier.h"
#include "recorder/recorder_view.h"
#include "recorder/ui/graphical_form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFrame>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QToolButton>

#include <iostream>
#include <vector>

namespace ostrel {
namespace {

constexpr int kButtonWidth = 23;
constexpr int kButtonHeight = 22;
constexpr int kCableNotFound = kCableNotFoundText;
constexpr int kPermissionHint = 9101; // the udev rule that opens the cable to its user
constexpr int kConfigurationNotWritten = 9110;
constexpr int kConfigurationNotRegular = 8030;
constexpr const char* kNoDataReceived = kNoDataReceivedText;
constexpr auto kShutdownJoinTime = std::chrono::milliseconds(300);

QRect ScreenRect(const QWidget* w) {
    QScreen* screen = w && w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect(0, 0, 1024, 768);
}

QRect AvailableRect(const QWidget* w) {
    QScreen* screen = w && w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

int CurrentTaskbarHeight(const QWidget* w) {
    QScreen* screen = w && w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return 0;
    const QRect s = screen->geometry();
    const QRect a = screen->availableGeometry();
    return TaskbarHeight(s.top(), s.height(), a.top(), a.height());
}

// Place a window so that its frame (caption and borders included) covers r.
void PlaceFrame(QWidget* w, const WindowRect& r) {
    const QMargins frame = WindowFrame(w);
    w->move(r.left, r.top);
    w->resize(std::max(1, r.width - frame.left() - frame.right()),
              std::max(1, r.height - frame.top() - frame.bottom()));
}

// What a thread left running still uses is kept, never released: the list is
// reachable until the process ends and is never destroyed.
template <class T> void KeepForTheRestOfTheProcess(std::unique_ptr<T> object) {
    static auto* kept = new std::vector<std::shared_ptr<void>>;
    kept->push_back(std::shared_ptr<void>(std::move(object)));
}

bool ShownAndNotMinimised(const QWidget* w) {
    return w && w->isVisible() && !w->isMinimized();
}

} // namespace

// The acquisition thread's messages, queued to the window thread; the thread
// never waits for this one.
class TFormMain::Notices : public AcquisitionNotices {
  public:
    // quiet (window thread): the loss this notice belongs to was told already.
    Notices(QWidget* owner, std::function<bool()> quiet)
        : m_owner(owner), m_quiet(std::move(quiet)) {}
    void showNoDataReceived(std::function<void()> closed) override {
        QPointer<QWidget> owner = m_owner;
        const bool queued = QMetaObject::invokeMethod(
            m_owner,
            [owner, closed, quiet = m_quiet] {
                if (quiet && quiet()) {
                    if (closed)
                        closed();
                    return;
                }
                MessageRequest request;
                request.owner = owner.data();
                request.caption = QNumberedCaption(kErrorCaption, kCableNotFound);
                request.text = QString::fromLatin1(kNoDataReceived);
                request.icon = MessageIcon::Stop;
                ShowMessage(request);
                if (closed)
                    closed();
            },
            Qt::QueuedConnection);
        if (!queued && closed)
            closed();
    }

  private:
    QPointer<QWidget> m_owner;
    std::function<bool()> m_quiet;
};

void ShowLiveWindow(QWidget* window) {
    if (!window)
        return;
    if (window->isMinimized())
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

TFormMain::TFormMain(MeterAccess& access, const QString& startupDirectory)
    : QMainWindow(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                               Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      m_access(access), m_startupDirectory(startupDirectory) {
    setObjectName("FormMain");

    // Construction: title, icon, taskbar, bevel, geometry.
    const QString title = QText(60) + ' ' + QText(1);
    QApplication::setApplicationName(title);
    setWindowTitle(title);
    QApplication::setWindowIcon(ResourceIcon(7));
    setWindowIcon(ResourceIcon(7));

    auto* central = new QWidget(this);
    setCentralWidget(central);
    Bevel1 = new QFrame(central);
    Bevel1->setObjectName("Bevel1");
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setGeometry(0, 0, 0, 0);

    sbtnLink = makeButton("sbtnLink", 5, ButtonPicture("link"), 1000);
    sbtnDigitMeter = makeButton("sbtnDigitMeter", 40, DisplayIcon(2), 1011);
    sbtnAnalogMeter = makeButton("sbtnAnalogMeter", 64, DisplayIcon(1), 1012);
    sbtnDataList = makeButton("sbtnDataList", 88, DisplayIcon(4), 1015);
    sbtnGraphical = makeButton("sbtnGraphical", 112, ButtonPicture("graph"), 1014);
    sbtnComparator = makeButton("sbtnComparator", 136, DisplayIcon(5), 1013);
    sbtnWinTile = makeButton("sbtnWinTile", 168, ButtonPicture("tile"), 1010);
    sbtnPort = makeButton("sbtnPort", 200, ButtonPicture("port"), 1020);
    sbtnAbout = makeButton("sbtnAbout", 232, ButtonPicture("about"), 1031);
    for (QFrame** panel : {&Panel1, &Panel2, &Panel3}) {
        *panel = new QFrame(central);
        (*panel)->move((*panel)->x(), kButtonHeight / 4);
    }
    Panel1->setObjectName("Panel1");
    Panel2->setObjectName("Panel2");
    Panel3->setObjectName("Panel3");

    FormCreate();

    const FrameMetrics m = frameMetrics();
    const int height = MainWindowStartHeight(m, Bevel1->height(), kButtonHeight);
    CurrentShellGeometry().mainWindowHeight = height;
    CurrentShellGeometry().taskbarHeight = CurrentTaskbarHeight(this);
    const QRect screen = ScreenRect(this);
    const int clientHeight = height - (2 * m.border + 2 * m.dialogFrame + m.caption);
    move(0, 0);
    setFixedSize(screen.width(), clientHeight);
}

void TFormMain::adoptFrameHeight() {
    if (!isVisible())
        return;
    // The strip spans the screen frame included.
    const int frameWidth = frameGeometry().width() - width();
    if (frameWidth > 0)
        setFixedWidth(ScreenRect(this).width() - frameWidth);
    if (frameGeometry().height() > geometry().height())
        CurrentShellGeometry().mainWindowHeight = frameGeometry().height();
}

TFormMain::~TFormMain() {
    shutdown();
}

QToolButton* TFormMain::makeButton(const char* name, int x, const QIcon& icon, int hintId) {
    QToolButton* button = MakeToolButton(centralWidget(), name, icon, hintId);
    button->setIconSize(QSize(16, 16));
    button->setGeometry(x, kButtonHeight / 4, kButtonWidth, kButtonHeight);
    return button;
}

FrameMetrics TFormMain::frameMetrics() const {
    FrameMetrics m;
    const QStyle* s = style();
    m.border = 1;
    m.dialogFrame = std::max(1, s->pixelMetric(QStyle::PM_DefaultFrameWidth));
    m.sizingFrame = m.dialogFrame + 1;
    m.caption = s->pixelMetric(QStyle::PM_TitleBarHeight);
    m.menu = menuBar()->sizeHint().height();
    return m;
}

void TFormMain::FormCreate() {
    buildMenu();

    sbtnLink->setCheckable(true);
    sbtnPort->setEnabled(false);
    connect(sbtnLink, &QToolButton::clicked, this, [this] { sbtnLinkClick(); });
    connect(sbtnDigitMeter, &QToolButton::clicked, this, [this] { sbtnDigitMeterClick(); });
    connect(sbtnAnalogMeter, &QToolButton::clicked, this, [this] { sbtnAnalogMeterClick(); });
    connect(sbtnComparator, &QToolButton::clicked, this, [this] { sbtnComparatorClick(); });
    connect(sbtnGraphical, &QToolButton::clicked, this, [this] { sbtnGraphicalClick(); });
    connect(sbtnDataList, &QToolButton::clicked, this, [this] { sbtnDataListClick(); });
    connect(sbtnWinTile, &QToolButton::clicked, this, [this] { sbtnWinTileClick(); });
    connect(sbtnAbout, &QToolButton::clicked, this, [this] { sbtnAboutClick(); });

    if (m_startupDirectory.isEmpty())
        m_startupDirectory = QDir::currentPath();
    m_startupDirectory = m_startupDirectory.left(260);
    readConfiguration();

    Panel1->hide();
    Panel2->hide();
    Panel3->hide();

    m_state = std::make_unique<LiveState>();
    m_handOver = std::make_unique<HandOver>(WindowThreadPoster(this), OnThreadOf(this));
    m_notices = std::make_unique<Notices>(
        this, [this] { return m_lossOpen && m_state->publishedCount() == m_publishedAtLoss; });
    m_offLine = std::make_unique<TWaitOffLineThread>(m_state->cableLostEvent, *m_handOver,
                                                     [this] { cableLost(); });
    refreshLinkControls();
}

void TFormMain::buildMenu() {
    QMenuBar* bar = menuBar();
    mnuFile = bar->addMenu(QText(501));
    mnuFile->addAction(QText(509), this, &QWidget::close);

    miLink = bar->addAction(QText(600));
    miLink->setObjectName("miLink");
    connect(miLink, &QAction::triggered, this, [this] {
        sbtnLink->setChecked(!sbtnLink->isChecked());
        sbtnLinkClick();
    });

    mnuWindow = bar->addMenu(QText(631));
    mnuWindow->addAction(QText(632), this, [this] { sbtnWinTileClick(); });
    mnuWindow->addSeparator(); // text 500 "-"
    mnuWindow->addAction(QText(633), this, [this] { sbtnDigitMeterClick(); });
    mnuWindow->addAction(QText(634), this, [this] { sbtnAnalogMeterClick(); });
    mnuWindow->addAction(QText(635), this, [this] { sbtnComparatorClick(); });
    mnuWindow->addAction(QText(636), this, [this] { sbtnGraphicalClick(); });
    mnuWindow->addAction(QText(637), this, [this] { sbtnDataListClick(); });

    mnuPort = bar->addMenu(QText(701));
    mnuPort->setObjectName("mnuPort");
    miUsbPort = mnuPort->addAction(QText(704));
    miUsbPort->setCheckable(true);
    miUsbPort->setChecked(true);
    connect(miUsbPort, &QAction::triggered, miUsbPort, [this] { miUsbPort->setChecked(true); });
    miComPort = mnuPort->addAction(QText(703));
    miComPort->setEnabled(false);
    mnuPort->addSeparator();
    miLinkAgain = mnuPort->addAction(QText(7245));
    miLinkAgain->setObjectName("miLinkAgain");
    miLinkAgain->setCheckable(true);
    miLinkAgain->setChecked(LinkAgainChosen());
    connect(miLinkAgain, &QAction::triggered, this, [](bool on) { SetLinkAgainChosen(on); });

    mnuHelp = bar->addMenu(QText(996));
    mnuHelp->setObjectName("mnuHelp");
    mnuHelp->addAction(QText(999), this, [this] { sbtnAboutClick(); });
}

void TFormMain::setWindows(const AppWindows& windows) {
    m_windows = &windows;
}

bool TFormMain::isLinked() const {
    return sbtnLink->isChecked();
}

void TFormMain::refreshLinkControls() {
    const bool linked = isLinked();
    const bool busy = BusyFlag();
    miLink->setText(QText(linked ? 601 : 600));
    miLink->setEnabled(!busy);
    sbtnLink->setToolTip(QText(linked ? 1001 : 1000));
    sbtnLink->setEnabled(!busy);
    mnuPort->menuAction()->setEnabled(!linked && !busy);
    mnuHelp->menuAction()->setEnabled(!linked && !busy);
    sbtnAbout->setEnabled(!linked && !busy);
}

// --- link control ----------------------------------------------------------

void TFormMain::sbtnLinkClick() {
    if (m_changingLink || m_shutDown)
        return; // a message shown during a change re-enters here
    // The link controls take no click until the change is done (its message
    // box runs an event loop of its own).
    m_changingLink = true;
    sbtnLink->setEnabled(false);
    miLink->setEnabled(false);
    if (sbtnLink->isChecked())
        link();
    else
        unlink();
    m_changingLink = false;
    refreshLinkControls();
}

void TFormMain::link() {
    bool permissionDenied = false;
    std::unique_ptr<HidDevice> probe = m_access.openCable(&permissionDenied);
    if (!probe) {
        sbtnLink->setChecked(false);
        MessageRequest request;
        request.owner = this;
        request.caption = QNumberedCaption(kErrorCaption, kCableNotFound);
        request.text = QText(kCableNotFound);
        // On Linux a cable may be present but closed to this user: say how to
        // open it up rather than only that it is missing.
        if (permissionDenied && HasText(kPermissionHint))
            request.text += '\n' + QText(kPermissionHint);
        request.icon = MessageIcon::Stop;
        ShowMessage(request);
        refreshLinkControls();
        return;
    }
    probe.reset();
    m_acquisition = m_access.startAcquisition(*m_state, *m_notices);
    m_state->setLinked(true);
    if (m_windows && m_windows->digitalMeter)
        m_windows->digitalMeter->setWindowTitle(QText(100) + QStringLiteral(" : USB Device"));
    refreshLinkControls();
}

void TFormMain::waitForAcquisitionEnd() {
    // Safe to block: the acquisition thread never waits for this thread (its
    // messages are queued, and the stop request releases a pending one).
    m_state->acquisitionEndedEvent.wait();
}

void TFormMain::unlink() {
    m_cableWatch.reset();
    m_lossOpen = false;
    if (m_acquisition) {
        // A thread that ended by itself has already signalled its end.
        if (!m_state->acquisitionEndedEvent.tryWait()) {
            m_acquisition->requestStop();
            waitForAcquisitionEnd();
        }
        m_acquisition.reset();
    }
    m_state->setLinked(false);

    if (m_windows) {
        if (auto* digital = m_windows->digitalMeter) {
            digital->setWindowTitle(QText(100) + QStringLiteral(" : No Device"));
            digital->clearDisplay();
        }
        // The stored values are reset in any case; the redraw message goes
        // only to a window that shows.
        if (m_windows->analogMeter)
            m_windows->analogMeter->resetValues();
        if (m_windows->comparator)
            m_windows->comparator->resetValue();
        if (ShownAndNotMinimised(m_windows->analogMeter))
            PostWindowMessage(m_windows->analogMeter, kMsgReset);
        if (ShownAndNotMinimised(m_windows->comparator))
            PostWindowMessage(m_windows->comparator, kMsgReset);
        SendWindowMessage(m_windows->graphical, kMsgStopRecording);
    }
    refreshLinkControls();
}

void TFormMain::cableLost() {
    if (waitForCableReturn())
        return;
    ShowNumberedMessage(this, kErrorCaption, kCableNotFound);
    sbtnLink->setChecked(false);
    sbtnLinkClick();
}

bool TFormMain::waitForCableReturn() {
    HidBackend* backend = m_access.backend();
    if (!miLinkAgain->isChecked() || !backend || !isLinked() || m_shutDown)
        return false;
    const std::uint64_t published = m_state->publishedCount();
    const bool tell = !m_lossOpen || published != m_publishedAtLoss;
    m_lossOpen = true;
    m_publishedAtLoss = published;
    // The acquisition thread has ended after the loss (or ends now); the
    // link button stays down and a recording keeps running, taking no
    // samples until the link is back.
    if (m_acquisition) {
        if (!m_state->acquisitionEndedEvent.tryWait()) {
            m_acquisition->requestStop();
            waitForAcquisitionEnd();
        }
        m_acquisition.reset();
    }
    // The watch calls back on its own thread: the return is queued to this one.
    m_cableWatch = std::make_unique<CableReturnWatch>(
        *backend, [post = WindowThreadPoster(this), this] { post([this] { cableReturned(); }); });
    if (tell)
        ShowNumberedMessage(this, kErrorCaption, kCableNotFound);
    return true;
}

void TFormMain::cableReturned() {
    m_cableWatch.reset();
    if (!isLinked() || m_shutDown || m_acquisition)
        return; // unlinked meanwhile
    m_acquisition = m_access.startAcquisition(*m_state, *m_notices);
}

bool TFormMain::event(QEvent* event) {
    if (event->type() == EventType(kMsgUnlinkRequest)) {
        sbtnLink->setChecked(false);
        sbtnLinkClick();
        return true;
    }
    return QMainWindow::event(event);
}

// --- windows ---------------------------------------------------------------

void TFormMain::sbtnDigitMeterClick() {
    if (m_windows)
        ShowLiveWindow(m_windows->digitalMeter);
}
void TFormMain::sbtnAnalogMeterClick() {
    if (m_windows)
        ShowLiveWindow(m_windows->analogMeter);
}
void TFormMain::sbtnComparatorClick() {
    if (m_windows)
        ShowLiveWindow(m_windows->comparator);
}
void TFormMain::sbtnGraphicalClick() {
    if (m_windows)
        ShowLiveWindow(m_windows->graphical);
}
void TFormMain::sbtnDataListClick() {
    if (m_windows)
        ShowLiveWindow(m_windows->dataList);
}

void TFormMain::sbtnAboutClick() {
    if (m_windows && m_windows->about)
        m_windows->about->exec();
}

void TFormMain::sbtnWinTileClick() {
    arrangeWindows(true);
    activateWindow();
    setFocus();
}

void TFormMain::arrangeWindows(bool tile) {
    const QRect screen = ScreenRect(this);
    const QRect area = AvailableRect(this);
    const QMargins frame = WindowFrame(this);
    TileInput in;
    // The available area stands for the screen: a panel at the top or a side
    // moves the windows, one at the bottom is the taskbar.
    in.areaLeft = area.left();
    in.areaTop = area.top();
    in.screenWidth = area.width();
    in.screenHeight = screen.bottom() + 1 - area.top();
    in.taskbarHeight = screen.bottom() - area.bottom();
    in.metrics = RealFrameMetrics(frameMetrics(), frame.left(), frame.top(), frame.bottom());
    in.bevelHeight = Bevel1->height();
    in.analogFaceHeight = kAnalogFaceHeight;
    in.comparatorFaceWidth = kComparatorFaceWidth;
    in.comparatorFaceHeight = kComparatorFaceHeight;
    if (m_windows) {
        in.recorderVisible = m_windows->graphical && m_windows->graphical->isVisible();
        in.analogVisible = m_windows->analogMeter && m_windows->analogMeter->isVisible();
        in.dataListVisible = m_windows->dataList && m_windows->dataList->isVisible();
        in.comparatorVisible = m_windows->comparator && m_windows->comparator->isVisible();
        if (m_windows->analogMeter)
            in.analogCurrentHeight = m_windows->analogMeter->frameGeometry().height();
        if (auto* comparator = m_windows->comparator) {
            // The two buttons stand one above the other under the face.
            int buttons = 0;
            for (QPushButton* b : {comparator->bbtnAlart, comparator->bbtnHiLowLimit})
                if (b)
                    buttons += b->height() > 0 ? b->height() : b->sizeHint().height();
            if (buttons > 0)
                in.comparatorButtonsHeight = buttons;
        }
    }

    // The main strip first: across the top of the area, its frame included.
    TileLayout layout = ComputeTile(in);
    move(area.topLeft());
    const int frameWidth = frame.left() + frame.right();
    if (tile)
        setFixedSize(layout.main.width - frameWidth,
                     layout.main.height - (2 * in.metrics.dialogFrame + in.metrics.caption));
    else
        setFixedWidth(layout.main.width - frameWidth);
    // The others go below its real outer height.
    in.mainOuterHeight = frameGeometry().height();
    layout = ComputeTile(in);
    CurrentShellGeometry().taskbarHeight = in.taskbarHeight;
    CurrentShellGeometry().mainWindowHeight = in.mainOuterHeight;
    if (m_windows)
        placeBelowMainStrip(layout, in);
}

void TFormMain::placeBelowMainStrip(TileLayout layout, const TileInput& in) {
    const AppWindows& w = *m_windows;
    const int bottom = in.areaTop + in.screenHeight - in.taskbarHeight;
    const int below = in.areaTop + in.mainOuterHeight;
    // The size limits of the windows follow the strip's height and the frames.
    ScreenMetrics metrics;
    metrics.screenWidth = in.screenWidth;
    metrics.screenHeight = in.screenHeight;
    metrics.mainWindowHeight = in.mainOuterHeight;
    metrics.taskbarHeight = in.taskbarHeight;
    if (w.digitalMeter) {
        const PixelRect largest = DigitalMeterMaximised(metrics);
        SetFrameSizeLimits(w.digitalMeter, DigitalMeterMinimumSize(metrics),
                           {largest.width, largest.height});
    }
    if (w.dataList) {
        const PixelSize smallest = DataListMinimumSize(metrics);
        const PixelRect largest = DataListMaximised(metrics);
        SetFrameSizeLimits(w.dataList, {smallest.width, std::min(smallest.height, largest.height)},
                           {largest.width, largest.height});
    }
    if (w.graphical) {
        const RecorderGeometry g = ComputeRecorderGeometry(in.screenWidth, in.screenHeight,
                                                           in.mainOuterHeight, in.taskbarHeight);
        SetFrameSizeLimits(w.graphical, {g.minWidth, std::min(g.minHeight, g.maxHeight)},
                           {g.maxWidth, g.maxHeight});
    }

    // A window may refuse the planned size (its own size limits); the windows
    // below it then stack under the size it really took, so that none covers
    // another, and every frame stays inside the available area.
    int drift = 0;
    if (w.digitalMeter) {
        PlaceFrame(w.digitalMeter, KeepAbove(layout.digitalMeter, below, bottom));
        drift += w.digitalMeter->frameGeometry().height() - layout.digitalMeter.height;
    }
    if (layout.recorder)
        PlaceFrame(w.graphical, KeepAbove(*layout.recorder, below, bottom));
    if (layout.analogMeter) {
        layout.analogMeter->top += drift;
        PlaceFrame(w.analogMeter, KeepAbove(*layout.analogMeter, below, bottom));
        drift += w.analogMeter->frameGeometry().height() - layout.analogMeter->height;
    }
    if (layout.dataList) {
        layout.dataList->top += drift;
        layout.dataList->height -= drift;
        PlaceFrame(w.dataList, KeepAbove(*layout.dataList, below, bottom));
    }
    if (layout.comparator) {
        PlaceFrame(w.comparator, KeepAbove(*layout.comparator, below, bottom));
        w.comparator->raise();
    }
}

// --- close and destroy -----------------------------------------------------

void TFormMain::closeEvent(QCloseEvent* event) {
    if (!m_closingWithoutQuestions && m_windows && m_windows->graphical &&
        !m_windows->graphical->mayClose()) {
        event->ignore();
        return;
    }
    writeConfigurationAtExit();
    event->accept();
    QCoreApplication::quit();
}

void TFormMain::closeWithoutQuestions() {
    if (m_closingWithoutQuestions)
        return;
    m_closingWithoutQuestions = true;
    if (m_windows && m_windows->graphical)
        m_windows->graphical->keepRecordingForRecovery();
    // A file load or an import running on this thread stops at its next look
    // at the flag, as by its Abort button.
    BusyFlag() = false;
    writeConfigurationAtExit();
    // Ends the nested loops of open dialogs and message boxes too; loops
    // started after this return at once.
    QCoreApplication::exit(0);
}

void TFormMain::shutdown() {
    if (m_shutDown || !m_state)
        return;
    m_shutDown = true;

    // Ask every thread to end, and release those waiting for this thread.
    m_handOver->cancel();
    m_cableWatch.reset();
    if (m_acquisition)
        m_acquisition->requestStop();
    m_offLine->terminate();
    if (m_windows) {
        if (m_windows->digitalMeter)
            m_windows->digitalMeter->stopUpdateThread();
        if (m_windows->analogMeter)
            m_windows->analogMeter->stopUpdateThread();
        if (m_windows->comparator)
            m_windows->comparator->stopUpdateThread();
    }

    // Give the acquisition thread a moment to finish its poll; one blocked in
    // the device keeps the state (and itself) alive until the process ends,
    // so no thread ever touches a released event or lock.
    if (m_acquisition && !m_acquisition->waitFinished(kShutdownJoinTime)) {
        m_leftThreadRunning = true;
        m_state->cableLostEvent.shutdown();
        m_offLine->join();
        KeepForTheRestOfTheProcess(std::move(m_acquisition));
        KeepForTheRestOfTheProcess(std::move(m_notices));
        KeepForTheRestOfTheProcess(std::move(m_handOver));
        KeepForTheRestOfTheProcess(std::move(m_state));
        return;
    }
    m_acquisition.reset();
    m_state->shutdownEvents();
    m_offLine->join();
    m_offLine.reset();
    m_state.reset();
}

// --- configuration ---------------------------------------------------------

void TFormMain::readConfiguration() {
    const std::string path = ConfigurationPath(m_startupDirectory.toStdString());
    std::string notRegular;
    m_config = ReadConfiguration(path, &notRegular);
    if (!notRegular.empty())
        std::cerr << "ostrel: "
                  << NumberedLine(kWarningCaption, kConfigurationNotRegular, {path, notRegular})
                  << std::endl;
}

void TFormMain::writeConfiguration() {
    Configuration out = m_config;
    if (m_windows && m_windows->comparator) {
        out.fHiLimit = m_windows->comparator->fHiLimit();
        out.fLowLimit = m_windows->comparator->fLowLimit();
    }
    const std::string path = ConfigurationPath(m_startupDirectory.toStdString());
    std::string why;
    if (!WriteConfiguration(path, out, &why))
        std::cerr << "ostrel: " << NumberedLine(kErrorCaption, kConfigurationNotWritten) << " ("
                  << path << ": " << why << ")" << std::endl;
}

void TFormMain::writeConfigurationAtExit() {
    // Once: a close without questions may interrupt the close query of a
    // close already under way, which then goes on to its end.
    if (m_configurationWritten)
        return;
    m_configurationWritten = true;
    writeConfiguration();
}

} // namespace ostrel
