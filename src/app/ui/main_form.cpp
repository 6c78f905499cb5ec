// TFormMain's construction: the tool buttons and the main menu, their enable
// rules, and the buttons that bring the other windows to the front.
#include "app/ui/main_form.h"

#include "app/ui/about_dialog.h"
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
    miUsbPort->setObjectName("miUsbPort");
    miUsbPort->setCheckable(true);
    miUsbPort->setChecked(true);
    connect(miUsbPort, &QAction::triggered, miUsbPort, [this] { miUsbPort->setChecked(true); });
    miComPort = mnuPort->addAction(QText(703));
    miComPort->setObjectName("miComPort");
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
    const bool busy = m_busy.isSet();
    miLink->setText(QText(linked ? 601 : 600));
    miLink->setEnabled(!busy);
    sbtnLink->setToolTip(QText(linked ? 1001 : 1000));
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
