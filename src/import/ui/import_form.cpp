// TFormImport: layout, window state, pages, graph, cursor readout, extremes,
// page commands, Clear and the close query.
#include "import/ui/import_form.h"

#include "base/busy_flag.h"
#include "base/string_table.h"
#include "base/ui/message_box.h"
#include "base/ui/message_dialogs.h"
#include "base/ui/pictures.h"
#include "base/ui/window_messages.h"
#include "graph/ui/graph_adapter.h"
#include "graph/ui/graph_window_texts.h"
#include "graph/ui/line_colour_dialog.h"
#include "import/ui/import_texts.h"
#include "import/ui/session_table_model.h"
#include "import/ui/session_tabs.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <stdexcept>

namespace ostrel {
namespace {

constexpr int kEditMenuText = 7140;      // "&Edit"
constexpr int kClearAllText = 7141;      // "Clear all data"
constexpr int kSubDataChoiceText = 7144; // "Sub-data"
constexpr int kMainColourText = 7150;    // " Main-Data Color"
constexpr int kSubColourText = 7151;     // " Sub-Data Color"

QLabel* ValuePanel(const QString& name, const QColor& text, QWidget* parent) {
    auto* panel = new QLabel(parent);
    panel->setObjectName(name);
    panel->setAutoFillBackground(true);
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, Qt::black);
    palette.setColor(QPalette::WindowText, text);
    panel->setPalette(palette);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setAlignment(Qt::AlignCenter);
    panel->setMinimumHeight(24);
    QFont font = panel->font();
    font.setBold(true);
    panel->setFont(font);
    return panel;
}

// "Max." or "Min." (caption) of one display: the reading's time and value.
QGroupBox* ExtremePanels(QWidget* parent, int caption, const QString& names, const QColor& colour,
                         QLabel*& time, QLabel*& reading) {
    auto* box = new QGroupBox(QText(caption), parent);
    time = ValuePanel(QString(names).arg(QStringLiteral("Time")), Qt::white, box);
    reading = ValuePanel(QString(names).arg(QStringLiteral("Rdg")), colour, box);
    auto* l = new QVBoxLayout(box);
    l->setContentsMargins(4, 2, 4, 4);
    l->setSpacing(2);
    l->addWidget(time);
    l->addWidget(reading);
    return box;
}

// One display's group ("Main" or "Sub"): the current reading, then "Max."
// and "Min."; panels are the current, maximum and minimum time and value.
QGroupBox* DisplayGroup(QWidget* parent, const char* display, int title,
                        const std::array<QLabel**, 6>& panels) {
    const QString d = QString::fromLatin1(display);
    auto* group = new QGroupBox(QText(title), parent);
    group->setObjectName(QStringLiteral("grbx%1Display").arg(d));
    QLabel*& time = *panels[0];
    QLabel*& reading = *panels[1];
    time = ValuePanel(QStringLiteral("pnl%1DataTime").arg(d), Qt::white, group);
    reading = ValuePanel(QStringLiteral("pnl%1DataRdg").arg(d), QColor(0x00FF00), group);
    auto* current = new QWidget(group);
    auto* cl = new QVBoxLayout(current);
    cl->setContentsMargins(4, 2, 4, 4);
    cl->setSpacing(2);
    cl->addStretch();
    cl->addWidget(time);
    cl->addWidget(reading);
    auto* row = new QHBoxLayout(group);
    row->setContentsMargins(4, 2, 4, 4);
    row->addWidget(current, 1);
    row->addWidget(ExtremePanels(group, kMaxCaptionText, QStringLiteral("pnlMax%1Data%2").arg(d),
                                 QColor(0xFF0000), *panels[2], *panels[3]),
                   1);
    row->addWidget(ExtremePanels(group, kMinCaptionText, QStringLiteral("pnlMin%1Data%2").arg(d),
                                 QColor(0xFF00FF), *panels[4], *panels[5]),
                   1);
    return group;
}

// The program's busy flag, which the engine keeps as part of its state.
bool& BusyStorage(const ImportWindowServices& services) {
    if (!services.busy)
        throw std::invalid_argument("the import window needs the program's busy flag");
    return services.busy->storage();
}

} // namespace

TFormImport::TFormImport(const ImportWindowServices& services, QWidget* parent)
    : QDialog(parent), m_services(services), m_engine(BusyStorage(services)),
      m_printer(std::make_unique<QPrinter>()) {
    setObjectName("FormImport");
    setWindowTitle(QText(kDataLoggerText));
    setWindowIcon(ResourceIcon(7));
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint);
    setSizeGripEnabled(false);

    useDefaultDialogs();
    buildMenus();
    buildToolBar();
    PageControl = new SessionTabs(this);
    PageControl->setObjectName("PageControl");
    // As wide as the four columns of a table, its vertical scroll bar and 20 pixels.
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    PageControl->setFixedWidth(4 * kColumnWidth + scrollBar + 20);
    connect(PageControl, &QTabWidget::currentChanged, this, [this](int index) {
        // A tab chosen by the user shows its session; its table is in view
        // whatever the engine says.
        makeGrid(index);
        if (m_engine.choosePage(index))
            showPageAgain();
    });
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName("StatusBar1");
    StatusBar1->setSizeGripEnabled(false);

    auto* centre = new QHBoxLayout;
    centre->setContentsMargins(0, 0, 0, 0);
    centre->addWidget(PageControl);
    centre->addWidget(buildRightPanel(), 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->setMenuBar(MainMenu);
    layout->addWidget(ToolBar1);
    layout->addLayout(centre, 1);
    layout->addWidget(StatusBar1);

    connect(&m_download, &LongWork::progressed, this, &TFormImport::showDownloadProgress);
    setUpGraph();
    RefreshButtons();
    RefreshMenus();
    for (QWidget* w : {static_cast<QWidget*>(sbtnFirstPage), static_cast<QWidget*>(sbtnPageUp),
                       static_cast<QWidget*>(sbtnPageDown), static_cast<QWidget*>(sbtnLastPage),
                       static_cast<QWidget*>(rbtnMainData), static_cast<QWidget*>(rbtnSubData)})
        w->setEnabled(false);
    rbtnMainData->setChecked(true);
    ResetGraph();
    PEGraph->setFocus();
}

TFormImport::~TFormImport() {
    abortRun(); // the runner then waits for its worker before the window goes
    DiscardSessions();
}

void TFormImport::useDefaultDialogs() {
    chooseOpenFile = [](QWidget* owner) {
        QFileDialog dialog(owner);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setDefaultSuffix(QStringLiteral("slr"));
        dialog.setNameFilter(sessionFilter());
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return QString();
        return dialog.selectedFiles().constFirst();
    };
    runModal = [](QDialog& dialog) { return dialog.exec(); };
    runPrintDialog = [](QPrinter& printer, QWidget* owner) {
        QPrintDialog dialog(&printer, owner);
        return dialog.exec() == QDialog::Accepted;
    };
    runPrinterSetup = [](QPrinter& printer, QWidget* owner) {
        QPageSetupDialog dialog(&printer, owner);
        return dialog.exec() == QDialog::Accepted;
    };
}

void TFormImport::buildMenus() {
    MainMenu = new QMenuBar(this);
    MainMenu->setObjectName("MainMenu");
    QMenu* file = MainMenu->addMenu(QText(kFileMenuText));
    mnuOpen = file->addAction(QText(kOpenItemText), this, &TFormImport::sbtnOpenClick);
    mnuSaveAs = file->addAction(QText(kSaveAsItemText), this, &TFormImport::sbtnSaveClick);
    file->addSeparator();
    mnuImport = file->addAction(QText(kImportItemText), this, &TFormImport::sbtnImportClick);
    mnuExport = file->addAction(QText(kExportItemText), this, &TFormImport::sbtnExportClick);
    file->addSeparator();
    mnuPrint = file->addAction(QText(kPrintItemText), this, &TFormImport::mnuPrintClick);
    mnuPrinterSetup =
        file->addAction(QText(kPrinterSetupItemText), this, &TFormImport::mnuPrinterSetupClick);
    file->addSeparator();
    mnuExit = file->addAction(QText(kExitItemText), this, &QWidget::close);
    QMenu* edit = MainMenu->addMenu(QText(kEditMenuText));
    mnuClear = edit->addAction(QText(kClearAllText), this, &TFormImport::sbtnClearClick);
    QMenu* view = MainMenu->addMenu(QText(kViewMenuText));
    view->addSeparator();
    mnuLineColor =
        view->addAction(QText(kLineColourItemText), this, &TFormImport::mnuLineColorClick);
    mnuOpen->setObjectName("mnuOpen");
    mnuSaveAs->setObjectName("mnuSaveAs");
    mnuImport->setObjectName("mnuImport");
    mnuExport->setObjectName("mnuExport");
    mnuPrint->setObjectName("mnuPrint");
    mnuPrinterSetup->setObjectName("mnuPrinterSetup");
    mnuExit->setObjectName("mnuExit");
    mnuClear->setObjectName("mnuClear");
    mnuLineColor->setObjectName("mnuLineColor");
}

void TFormImport::buildToolBar() {
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName("ToolBar1");
    ToolBar1->setIconSize(QSize(24, 24));
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    auto button = [this](const char* name, const char* picture, int text, int hint,
                         void (TFormImport::*handler)()) {
        auto* b = new QToolButton(ToolBar1);
        b->setObjectName(QString::fromLatin1(name));
        b->setIcon(ButtonPicture(picture));
        b->setText(QText(text).remove(QLatin1Char('&')).remove(QStringLiteral("...")).trimmed());
        b->setToolTip(QText(hint));
        b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        ToolBar1->addWidget(b);
        connect(b, &QToolButton::clicked, this, handler);
        return b;
    };
    sbtnImport = button("sbtnImport", "recorder_import", kImportItemText, kImportHint,
                        &TFormImport::sbtnImportClick);
    sbtnExport = button("sbtnExport", "recorder_export", kExportItemText, kExportHint,
                        &TFormImport::sbtnExportClick);
    sbtnOpen =
        button("sbtnOpen", "recorder_open", kOpenItemText, kOpenHint, &TFormImport::sbtnOpenClick);
    sbtnSave = button("sbtnSave", "recorder_save", kSaveAsItemText, kSaveHint,
                      &TFormImport::sbtnSaveClick);
    sbtnClear = button("sbtnClear", "recorder_clear", kClearAllText, kClearAllText,
                       &TFormImport::sbtnClearClick);
}

QWidget* TFormImport::buildRightPanel() {
    PanelGraph = new QWidget(this);
    PanelGraph->setObjectName("PanelGraph");
    grbxMainDisplay = DisplayGroup(PanelGraph, "Main", kMainDataText,
                                   {&pnlMainDataTime, &pnlMainDataRdg, &pnlMaxMainDataTime,
                                    &pnlMaxMainDataRdg, &pnlMinMainDataTime, &pnlMinMainDataRdg});
    grbxSubDisplay = DisplayGroup(PanelGraph, "Sub", kSubDataText,
                                  {&pnlSubDataTime, &pnlSubDataRdg, &pnlMaxSubDataTime,
                                   &pnlMaxSubDataRdg, &pnlMinSubDataTime, &pnlMinSubDataRdg});
    PEGraph = new GraphAdapter(PanelGraph);
    PEGraph->setObjectName("PEGraph");
    connect(PEGraph, &GraphAdapter::cursorMoved, this, &TFormImport::PEGraphCursorMoved);

    auto* column = new QVBoxLayout(PanelGraph);
    column->setContentsMargins(2, 2, 2, 2);
    column->addWidget(grbxMainDisplay);
    column->addWidget(grbxSubDisplay);
    column->addWidget(buildPageBar());
    column->addWidget(PEGraph, 1);
    return PanelGraph;
}

QWidget* TFormImport::buildPageBar() {
    PanelSBtn = new QWidget(PanelGraph);
    PanelSBtn->setObjectName("PanelSBtn");
    rbtnMainData = new QRadioButton(QText(kMainDataText), PanelSBtn);
    rbtnMainData->setObjectName("rbtnMainData");
    rbtnSubData = new QRadioButton(QText(kSubDataChoiceText), PanelSBtn);
    rbtnSubData->setObjectName("rbtnSubData");
    connect(rbtnMainData, &QRadioButton::clicked, this, &TFormImport::rbtnMainDataClick);
    connect(rbtnSubData, &QRadioButton::clicked, this, &TFormImport::rbtnSubDataClick);
    auto pageButton = [this](const char* name, const char* picture, int hint,
                             void (TFormImport::*handler)()) {
        QToolButton* b = MakeToolButton(PanelSBtn, name, ButtonPicture(picture), hint);
        if (handler)
            connect(b, &QToolButton::clicked, this, handler);
        return b;
    };
    sbtnUndoZoom = pageButton("sbtnUndoZoom", "recorder_unzoom", kUndoZoomHint, nullptr);
    sbtnFirstPage = pageButton("sbtnFirstPage", "recorder_first", kFirstPageHint,
                               &TFormImport::sbtnFirstPageClick);
    sbtnPageUp =
        pageButton("sbtnPageUp", "recorder_prev", kPageUpHint, &TFormImport::sbtnPageUpClick);
    sbtnPageDown =
        pageButton("sbtnPageDown", "recorder_next", kPageDownHint, &TFormImport::sbtnPageDownClick);
    sbtnLastPage =
        pageButton("sbtnLastPage", "recorder_last", kLastPageHint, &TFormImport::sbtnLastPageClick);
    auto* bar = new QHBoxLayout(PanelSBtn);
    bar->setContentsMargins(4, 0, 4, 0);
    bar->addWidget(rbtnMainData);
    bar->addWidget(rbtnSubData);
    bar->addStretch();
    for (QToolButton* b : {sbtnUndoZoom, sbtnFirstPage, sbtnPageUp, sbtnPageDown, sbtnLastPage})
        bar->addWidget(b);
    return PanelSBtn;
}

void TFormImport::setUpGraph() {
    PEGraph->setSubsetLabel(QString());
    PEGraph->setGraphForeColor(QColor(0x80, 0x80, 0x80));
    PEGraph->setLineColor(QColor::fromRgb(TdlgGraphLineColor::kDefaultMain));
    PEGraph->setMainTitle(QText(kSessionText));
    PEGraph->setSubTitle(QString());
    PEGraph->setYAxisLabel(QText(kReadingAxisText));
    PEGraph->setXAxisLabel(QText(kTimeAxisText));
    PEGraph->setWidestLabel(QStringLiteral("00:00'00.000\""));
    PEGraph->setZoomEnabled(false);
    sbtnUndoZoom->setEnabled(false);
    sbtnUndoZoom->setVisible(false);
}

// --- window events ---------------------------------------------------------------

void TFormImport::closeEvent(QCloseEvent* event) {
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    event->accept();
    if (isVisible())
        done(QDialog::Rejected);
}

void TFormImport::reject() {
    close();
}

void TFormImport::done(int result) {
    // The data is gone once the window has closed; it opens again empty.
    clearWindow();
    setWindowState(windowState() & ~Qt::WindowMaximized);
    QDialog::done(result);
}

bool TFormImport::event(QEvent* event) {
    if (event->type() == EventType(kMsgImportReset)) {
        handleReset();
        return true;
    }
    return QDialog::event(event);
}

void TFormImport::showEvent(QShowEvent* event) {
    setWindowState(windowState() | Qt::WindowMaximized);
    QDialog::showEvent(event);
    PEGraph->setFocus();
}

// --- printing and the line colours ---------------------------------------------------

void TFormImport::mnuPrintClick() {
    if (!m_engine.enables().hasData)
        return;
    PEGraph->setViewingStyle(GraphAdapter::ViewingStyle::Monochrome);
    PEGraph->replotNow();
    if (runPrintDialog(*m_printer, this))
        PEGraph->print(*m_printer);
    PEGraph->setViewingStyle(GraphAdapter::ViewingStyle::Color);
    PEGraph->rebuild();
}

void TFormImport::mnuPrinterSetupClick() {
    runPrinterSetup(*m_printer, this);
}

void TFormImport::mnuLineColorClick() {
    TdlgGraphLineColor* dialog = m_services.lineColour;
    if (!dialog)
        return;
    dialog->setButtonTexts(QText(kMainColourText), QText(kSubColourText));
    if (runModal(*dialog) == QDialog::Accepted)
        showPageAgain();
}

} // namespace ostrel
