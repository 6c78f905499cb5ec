// TFormMain's construction: the tool buttons and the main menu, their enable
// rules, and the buttons that bring the other windows to the front.
#include "app/ui/main_form.h"

#include "app/ui/about_dialog.h"
#include "app/ui/app_texts.h"
#include "app/ui/display_windows.h"
#include "app/ui/wait_offline_thread.h"
#include "base/string_table.h"
#include "base/ui/app_windows.h"
#include "base/ui/message_box.h"
#include "base/ui/pictures.h"
#include "base/ui/user_settings.h"
#include "link/cable_return_watch.h"
#include "recorder/ui/graphical_form.h"

#include <QApplication>
#include <QDir>
#include <QFrame>
#include <QMenuBar>
#include <QToolButton>

namespace ostrel {
namespace {

// The strip's menu.
constexpr int kFileMenuText = 501;     // "&File"
constexpr int kExitText = 509;         // "E&xit"
constexpr int kLinkText = 600;         // "&Link"
constexpr int kUnlinkText = 601;       // "Un&link"
constexpr int kWindowMenuText = 631;   // "&Window"
constexpr int kTileText = 632;         // "&Tile"
constexpr int kDigitalMeterText = 633; // "&Digital Meter"
constexpr int kAnalogMeterText = 634;  // "&Analog Meter"
constexpr int kComparatorText = 635;   // "&Comparator"
constexpr int kRecorderText = 636;     // "&Graphical Recorder"
constexpr int kDataListText = 637;     // "Data &List"
constexpr int kPortMenuText = 701;     // "&Port"
constexpr int kComPortText = 703;      // "C&OM port"
constexpr int kUsbPortText = 704;      // "&USB port"
constexpr int kLinkAgainText = 7245;   // "Link &again when the cable returns"
constexpr int kHelpMenuText = 996;     // "&Help"
constexpr int kAboutMenuText = 999;    // "&About..."
// The tool buttons' hints.
constexpr int kLinkHint = 1000;         // "Link to DMM"
constexpr int kUnlinkHint = 1001;       // "Unlink DMM"
constexpr int kTileHint = 1010;         // "Windows tile"
constexpr int kDigitalMeterHint = 1011; // "Digital meter"
constexpr int kAnalogMeterHint = 1012;  // "Analog meter"
constexpr int kComparatorHint = 1013;   // "Comparator"
constexpr int kRecorderHint = 1014;     // "Graphical Recorder"
constexpr int kDataListHint = 1015;     // "Data List"
constexpr int kPortHint = 1020;         // "Port selection..."

} // namespace

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
    const QString title = QText(kMakerNameText) + ' ' + QText(kProgramNameText);
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

    sbtnLink = makeButton("sbtnLink", 5, ButtonPicture("link"), kLinkHint);
    sbtnDigitMeter = makeButton("sbtnDigitMeter", 40, DisplayIcon(2), kDigitalMeterHint);
    sbtnAnalogMeter = makeButton("sbtnAnalogMeter", 64, DisplayIcon(1), kAnalogMeterHint);
    sbtnDataList = makeButton("sbtnDataList", 88, DisplayIcon(4), kDataListHint);
    sbtnGraphical = makeButton("sbtnGraphical", 112, ButtonPicture("graph"), kRecorderHint);
    sbtnComparator = makeButton("sbtnComparator", 136, DisplayIcon(5), kComparatorHint);
    sbtnWinTile = makeButton("sbtnWinTile", 168, ButtonPicture("tile"), kTileHint);
    sbtnPort = makeButton("sbtnPort", 200, ButtonPicture("port"), kPortHint);
    sbtnAbout = makeButton("sbtnAbout", 232, ButtonPicture("about"), kAboutText);
    for (QFrame** panel : {&Panel1, &Panel2, &Panel3}) {
        *panel = new QFrame(central);
        (*panel)->move((*panel)->x(), kButtonHeight / 4);
    }
    Panel1->setObjectName("Panel1");
    Panel2->setObjectName("Panel2");
    Panel3->setObjectName("Panel3");

    FormCreate();
    placeAtStart();
}

QToolButton* TFormMain::makeButton(const char* name, int x, const QIcon& icon, int hintId) {
    QToolButton* button = MakeToolButton(centralWidget(), name, icon, hintId);
    button->setIconSize(QSize(16, 16));
    button->setGeometry(x, kButtonHeight / 4, kButtonWidth, kButtonHeight);
    return button;
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

    startOffLineWatch();
    refreshLinkControls();
}

void TFormMain::buildMenu() {
    QMenuBar* bar = menuBar();
    mnuFile = bar->addMenu(QText(kFileMenuText));
    mnuFile->addAction(QText(kExitText), this, &QWidget::close);

    miLink = bar->addAction(QText(kLinkText));
    miLink->setObjectName("miLink");
    connect(miLink, &QAction::triggered, this, [this] {
        sbtnLink->setChecked(!sbtnLink->isChecked());
        sbtnLinkClick();
    });

    mnuWindow = bar->addMenu(QText(kWindowMenuText));
    mnuWindow->addAction(QText(kTileText), this, [this] { sbtnWinTileClick(); });
    mnuWindow->addSeparator(); // text 500 "-"
    mnuWindow->addAction(QText(kDigitalMeterText), this, [this] { sbtnDigitMeterClick(); });
    mnuWindow->addAction(QText(kAnalogMeterText), this, [this] { sbtnAnalogMeterClick(); });
    mnuWindow->addAction(QText(kComparatorText), this, [this] { sbtnComparatorClick(); });
    mnuWindow->addAction(QText(kRecorderText), this, [this] { sbtnGraphicalClick(); });
    mnuWindow->addAction(QText(kDataListText), this, [this] { sbtnDataListClick(); });

    mnuPort = bar->addMenu(QText(kPortMenuText));
    mnuPort->setObjectName("mnuPort");
    miUsbPort = mnuPort->addAction(QText(kUsbPortText));
    miUsbPort->setObjectName("miUsbPort");
    miUsbPort->setCheckable(true);
    miUsbPort->setChecked(true);
    connect(miUsbPort, &QAction::triggered, miUsbPort, [this] { miUsbPort->setChecked(true); });
    miComPort = mnuPort->addAction(QText(kComPortText));
    miComPort->setObjectName("miComPort");
    miComPort->setEnabled(false);
    mnuPort->addSeparator();
    miLinkAgain = mnuPort->addAction(QText(kLinkAgainText));
    miLinkAgain->setObjectName("miLinkAgain");
    miLinkAgain->setCheckable(true);
    miLinkAgain->setChecked(LinkAgainChosen());
    connect(miLinkAgain, &QAction::triggered, this, [](bool on) { SetLinkAgainChosen(on); });

    mnuHelp = bar->addMenu(QText(kHelpMenuText));
    mnuHelp->setObjectName("mnuHelp");
    mnuHelp->addAction(QText(kAboutMenuText), this, [this] { sbtnAboutClick(); });
}

void TFormMain::setWindows(const AppWindows& windows) {
    m_windows = &windows;
}

bool TFormMain::isLinked() const {
    return sbtnLink->isChecked();
}

void TFormMain::refreshLinkControls() {
    const bool linked = isLinked();
    const bool busy = m_busy.isSet();
    miLink->setText(QText(linked ? kUnlinkText : kLinkText));
    miLink->setEnabled(!busy);
    sbtnLink->setToolTip(QText(linked ? kUnlinkHint : kLinkHint));
    sbtnLink->setEnabled(!busy);
    mnuPort->menuAction()->setEnabled(!linked && !busy);
    mnuHelp->menuAction()->setEnabled(!linked && !busy);
    sbtnAbout->setEnabled(!linked && !busy);
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

} // namespace ostrel
