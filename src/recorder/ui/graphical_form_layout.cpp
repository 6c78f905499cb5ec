// TGraphicalForm: its controls. The tool panel, the menus, the reading and
// extreme panels, the graph and the status bar, named as the tests and the
// desktop journeys find them.

#include "recorder/ui/graphical_form.h"

#include "base/string_table.h"
#include "base/ui/pictures.h"
#include "displays/ui/glyph_label.h"
#include "graph/ui/graph_adapter.h"
#include "graph/ui/graph_window_texts.h"

#include <QButtonGroup>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace ostrel {
namespace {

constexpr int kButtonWidth = 23;
constexpr int kButtonHeight = 22;
const int kStatusWidths[5] = {110, 175, 175, 175, 50};
const char* const kPanelTypeface = "Arial";

// The recorder's own menu items and button hints; those it shares with the
// import window are in graph_window_texts.h.
constexpr int kClearItemText = 512;       // "&Clear"
constexpr int kAcquisitionMenuText = 520; // "&Acquisition"
constexpr int kStartItemText = 521;       // "Star&t"
constexpr int kStopItemText = 522;        // "Sto&p"
constexpr int kManualItemText = 523;      // "&Manual"
constexpr int kIntervalItemText = 524;    // "&Interval..."
constexpr int kTriggerItemText = 7221;    // "T&rigger..."
constexpr int kFirstPageItemText = 531;   // "F&irst page"
constexpr int kPageUpItemText = 532;      // "Page &Up"
constexpr int kPageDownItemText = 533;    // "Page &Down"
constexpr int kLastPageItemText = 534;    // "&Last page"
constexpr int kFitViewItemText = 535;     // "&Fit all data"
constexpr int kUndoZoomItemText = 536;    // "&Undo Zooming"
constexpr int kStartHint = 1040;          // "Acquisition start"
constexpr int kStopHint = 1041;           // "Acquisition stop"
constexpr int kManualHint = 1042;         // "Manual acquisition"
constexpr int kIntervalHint = 1043;       // "Interval option..."
constexpr int kClearHint = 1045;          // "Clear record"
constexpr int kFitViewHint = 1055;        // "Fit all data"

const QColor kPanelBack(0, 0, 0);
const QColor kReadingText(0, 255, 0);  // lime
const QColor kTimeText(255, 255, 255); // white
const QColor kMaxText(255, 0, 0);      // red
const QColor kMinText(255, 0, 255);    // fuchsia

QLabel* MakePanel(const char* name, const QColor& text, int width, QWidget* parent) {
    auto* panel = new QLabel(parent);
    panel->setObjectName(name);
    panel->setTextFormat(Qt::PlainText);
    panel->setAlignment(Qt::AlignCenter);
    panel->setAutoFillBackground(true);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, kPanelBack);
    palette.setColor(QPalette::WindowText, text);
    panel->setPalette(palette);
    QFont font{QString::fromLatin1(kPanelTypeface)};
    font.setPointSize(11);
    font.setBold(true);
    panel->setFont(font);
    panel->setMinimumWidth(width);
    panel->setFixedHeight(24);
    return panel;
}

QLabel* MakeCaption(int textId, QWidget* parent) {
    auto* label = new QLabel(QText(textId), parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

} // namespace

QToolButton* TGraphicalForm::makeButton(const char* name, const char* picture, int hintId) {
    QToolButton* button = MakeToolButton(ToolPanel, name, ButtonPicture(picture), hintId);
    button->setIconSize(QSize(16, 16));
    button->setFixedSize(kButtonWidth, kButtonHeight);
    return button;
}

void TGraphicalForm::buildToolPanel() {
    ToolPanel = new QFrame(centralWidget());
    ToolPanel->setObjectName("ToolPanel");
    ToolPanel->setFrameShape(QFrame::StyledPanel);
    makeToolButtons();
    CaptionLabel = new QLabel(windowTitle() + QStringLiteral("   "), ToolPanel);
    CaptionLabel->setObjectName("CaptionLabel");
    CaptionLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QFont bold = CaptionLabel->font();
    bold.setBold(true);
    CaptionLabel->setFont(bold);
    layOutToolPanel();
    connectToolButtons();
}

void TGraphicalForm::makeToolButtons() {
    sbtnRecordStart = makeButton("sbtnRecordStart", "recorder_start", kStartHint);
    sbtnRecordStop = makeButton("sbtnRecordStop", "recorder_stop", kStopHint);
    sbtnManualLogging = makeButton("sbtnManualLogging", "recorder_manual", kManualHint);
    sbtnOption = makeButton("sbtnOption", "recorder_option", kIntervalHint);
    sbtnClear = makeButton("sbtnClear", "recorder_clear", kClearHint);
    sbtnImport = makeButton("sbtnImport", "recorder_import", kImportHint);
    sbtnOpenFile = makeButton("sbtnOpenFile", "recorder_open", kOpenHint);
    sbtnSaveFile = makeButton("sbtnSaveFile", "recorder_save", kSaveHint);
    sbtnExport = makeButton("sbtnExport", "recorder_export", kExportHint);
    sbtnPrintGraphic = makeButton("sbtnPrintGraphic", "recorder_print", kPrintHint);
    sbtnFirstPage = makeButton("sbtnFirstPage", "recorder_first", kFirstPageHint);
    sbtnPageUp = makeButton("sbtnPageUp", "recorder_prev", kPageUpHint);
    sbtnPageDown = makeButton("sbtnPageDown", "recorder_next", kPageDownHint);
    sbtnLastPage = makeButton("sbtnLastPage", "recorder_last", kLastPageHint);
    sbtnFitView = makeButton("sbtnFitView", "recorder_fit", kFitViewHint);
    sbtnUndoZoom = makeButton("sbtnUndoZoom", "recorder_unzoom", kUndoZoomHint);

    // Start and Stop form one group; Stop is down at start.
    sbtnRecordStart->setCheckable(true);
    sbtnRecordStop->setCheckable(true);
    auto* group = new QButtonGroup(this);
    group->setExclusive(true);
    group->addButton(sbtnRecordStart);
    group->addButton(sbtnRecordStop);
    sbtnRecordStop->setChecked(true);
}

// One row: the buttons in groups with a gap between them, the caption right.
void TGraphicalForm::layOutToolPanel() {
    auto* row = new QHBoxLayout(ToolPanel);
    row->setContentsMargins(4, 2, 4, 2);
    row->setSpacing(1);
    const auto gap = [row] { row->addSpacing(8); };
    for (QToolButton* b : {sbtnRecordStart, sbtnRecordStop, sbtnManualLogging, sbtnOption})
        row->addWidget(b);
    gap();
    for (QToolButton* b : {sbtnOpenFile, sbtnSaveFile, sbtnClear, sbtnImport})
        row->addWidget(b);
    gap();
    for (QToolButton* b : {sbtnExport, sbtnPrintGraphic})
        row->addWidget(b);
    gap();
    for (QToolButton* b : {sbtnFirstPage, sbtnPageUp, sbtnPageDown, sbtnLastPage})
        row->addWidget(b);
    gap();
    for (QToolButton* b : {sbtnFitView, sbtnUndoZoom})
        row->addWidget(b);
    row->addStretch(1);
    row->addWidget(CaptionLabel);
}

void TGraphicalForm::connectToolButtons() {
    connect(sbtnRecordStart, &QToolButton::clicked, this, &TGraphicalForm::sbtnRecordStartClick);
    connect(sbtnRecordStop, &QToolButton::clicked, this, &TGraphicalForm::sbtnRecordStopClick);
    connect(sbtnManualLogging, &QToolButton::clicked, this,
            &TGraphicalForm::sbtnManualLoggingClick);
    connect(sbtnOption, &QToolButton::clicked, this, &TGraphicalForm::sbtnOptionClick);
    connect(sbtnClear, &QToolButton::clicked, this, &TGraphicalForm::sbtnClearClick);
    connect(sbtnImport, &QToolButton::clicked, this, &TGraphicalForm::sbtnImportClick);
    connect(sbtnOpenFile, &QToolButton::clicked, this, &TGraphicalForm::sbtnOpenFileClick);
    connect(sbtnSaveFile, &QToolButton::clicked, this, [this] { sbtnSaveFileClick(); });
    connect(sbtnExport, &QToolButton::clicked, this, &TGraphicalForm::sbtnExportClick);
    connect(sbtnPrintGraphic, &QToolButton::clicked, this, &TGraphicalForm::sbtnPrintGraphicClick);
    connect(sbtnFirstPage, &QToolButton::clicked, this, &TGraphicalForm::sbtnFirstPageClick);
    connect(sbtnPageUp, &QToolButton::clicked, this, &TGraphicalForm::sbtnPageUpClick);
    connect(sbtnPageDown, &QToolButton::clicked, this, &TGraphicalForm::sbtnPageDownClick);
    connect(sbtnLastPage, &QToolButton::clicked, this, &TGraphicalForm::sbtnLastPageClick);
    connect(sbtnFitView, &QToolButton::clicked, this, &TGraphicalForm::sbtnFitViewClick);
    connect(sbtnUndoZoom, &QToolButton::clicked, this, &TGraphicalForm::sbtnUndoZoomClick);
}

void TGraphicalForm::buildMenus() {
    QMenuBar* bar = menuBar();
    buildFileMenu(bar);
    buildAcquisitionMenu(bar);
    buildViewMenu(bar);
    nameMenus();
}

void TGraphicalForm::buildFileMenu(QMenuBar* bar) {
    mnuFile = bar->addMenu(QText(kFileMenuText));
    miOpen = mnuFile->addAction(QText(kOpenItemText), this, &TGraphicalForm::sbtnOpenFileClick);
    miSaveAs = mnuFile->addAction(QText(kSaveAsItemText), this, [this] { sbtnSaveFileClick(); });
    miClear = mnuFile->addAction(QText(kClearItemText), this, &TGraphicalForm::sbtnClearClick);
    mnuFile->addSeparator();
    miImport = mnuFile->addAction(QText(kImportItemText), this, &TGraphicalForm::sbtnImportClick);
    miExport = mnuFile->addAction(QText(kExportItemText), this, &TGraphicalForm::sbtnExportClick);
    miPrint =
        mnuFile->addAction(QText(kPrintItemText), this, &TGraphicalForm::sbtnPrintGraphicClick);
    miPrinterSetup =
        mnuFile->addAction(QText(kPrinterSetupItemText), this, &TGraphicalForm::PrinterSetupClick);
    mnuFile->addSeparator();
    miExit = mnuFile->addAction(QText(kExitItemText), this, &QWidget::close);
}

void TGraphicalForm::buildAcquisitionMenu(QMenuBar* bar) {
    mnuAcquisition = bar->addMenu(QText(kAcquisitionMenuText));
    miStart = mnuAcquisition->addAction(QText(kStartItemText), this, [this] {
        sbtnRecordStart->setChecked(true);
        sbtnRecordStartClick();
    });
    miStart->setShortcut(Qt::Key_F9);
    miStop = mnuAcquisition->addAction(QText(kStopItemText), this, [this] {
        sbtnRecordStop->setChecked(true);
        sbtnRecordStopClick();
    });
    miStop->setShortcut(Qt::Key_F3);
    miManual = mnuAcquisition->addAction(QText(kManualItemText), this,
                                         &TGraphicalForm::sbtnManualLoggingClick);
    miManual->setShortcut(Qt::Key_F7);
    mnuAcquisition->addSeparator();
    miInterval =
        mnuAcquisition->addAction(QText(kIntervalItemText), this, &TGraphicalForm::sbtnOptionClick);
    miTrigger =
        mnuAcquisition->addAction(QText(kTriggerItemText), this, &TGraphicalForm::TriggerClick);
}

void TGraphicalForm::buildViewMenu(QMenuBar* bar) {
    mnuView = bar->addMenu(QText(kViewMenuText));
    miFirstPage =
        mnuView->addAction(QText(kFirstPageItemText), this, &TGraphicalForm::sbtnFirstPageClick);
    miFirstPage->setShortcut(Qt::CTRL | Qt::Key_PageUp);
    miPageUp = mnuView->addAction(QText(kPageUpItemText), this, &TGraphicalForm::sbtnPageUpClick);
    miPageDown =
        mnuView->addAction(QText(kPageDownItemText), this, &TGraphicalForm::sbtnPageDownClick);
    miLastPage =
        mnuView->addAction(QText(kLastPageItemText), this, &TGraphicalForm::sbtnLastPageClick);
    miLastPage->setShortcut(Qt::CTRL | Qt::Key_PageDown);
    mnuView->addSeparator();
    miFitView =
        mnuView->addAction(QText(kFitViewItemText), this, &TGraphicalForm::sbtnFitViewClick);
    miFitView->setShortcut(Qt::CTRL | Qt::Key_F);
    miUndoZoom =
        mnuView->addAction(QText(kUndoZoomItemText), this, &TGraphicalForm::sbtnUndoZoomClick);
    miUndoZoom->setShortcut(Qt::CTRL | Qt::Key_Z);
    miUndoZoom->setEnabled(false);
    sbtnUndoZoom->setEnabled(false);
    mnuView->addSeparator();
    miLineColor =
        mnuView->addAction(QText(kLineColourItemText), this, &TGraphicalForm::GraphLineColorClick);
}

// The menus and their items are named like the other controls.
void TGraphicalForm::nameMenus() {
    const std::pair<QObject*, const char*> names[] = {
        {mnuFile, "mnuFile"},         {mnuAcquisition, "mnuAcquisition"},
        {mnuView, "mnuView"},         {miOpen, "miOpen"},
        {miSaveAs, "miSaveAs"},       {miClear, "miClear"},
        {miImport, "miImport"},       {miExport, "miExport"},
        {miPrint, "miPrint"},         {miPrinterSetup, "miPrinterSetup"},
        {miExit, "miExit"},           {miStart, "miStart"},
        {miStop, "miStop"},           {miManual, "miManual"},
        {miInterval, "miInterval"},   {miTrigger, "miTrigger"},
        {miFirstPage, "miFirstPage"}, {miPageUp, "miPageUp"},
        {miPageDown, "miPageDown"},   {miLastPage, "miLastPage"},
        {miFitView, "miFitView"},     {miUndoZoom, "miUndoZoom"},
        {miLineColor, "miLineColor"}};
    for (const auto& [object, name] : names)
        object->setObjectName(QString::fromLatin1(name));
}

void TGraphicalForm::buildPanels(QWidget* central) {
    auto* display = new QFrame(central);
    display->setObjectName("DisplayPanel");
    TimePanel = MakePanel("TimePanel", kTimeText, 100, display);
    ReadingDataPanel = MakePanel("ReadingDataPanel", kReadingText, 100, display);
    ReadingUnitPanel = MakePanel("ReadingUnitPanel", kReadingText, 36, display);
    ReadingFuncPanel = MakePanel("ReadingFuncPanel", kReadingText, 60, display);
    MaxDataPanel = MakePanel("MaxDataPanel", kMaxText, 100, display);
    MaxUnitPanel = MakePanel("MaxUnitPanel", kMaxText, 36, display);
    MaxFuncPanel = MakePanel("MaxFuncPanel", kMaxText, 60, display);
    MinDataPanel = MakePanel("MinDataPanel", kMinText, 100, display);
    MinUnitPanel = MakePanel("MinUnitPanel", kMinText, 36, display);
    MinFuncPanel = MakePanel("MinFuncPanel", kMinText, 60, display);

    auto* row = new QHBoxLayout(display);
    row->setContentsMargins(4, 2, 4, 2);
    row->setSpacing(2);
    for (QLabel* panel : {TimePanel, ReadingDataPanel, ReadingUnitPanel, ReadingFuncPanel})
        row->addWidget(panel, panel == ReadingUnitPanel ? 0 : 1);
    row->addSpacing(10);
    row->addWidget(MakeCaption(kMaxCaptionText, display));
    for (QLabel* panel : {MaxDataPanel, MaxUnitPanel, MaxFuncPanel})
        row->addWidget(panel, panel == MaxUnitPanel ? 0 : 1);
    row->addSpacing(10);
    row->addWidget(MakeCaption(kMinCaptionText, display));
    for (QLabel* panel : {MinDataPanel, MinUnitPanel, MinFuncPanel})
        row->addWidget(panel, panel == MinUnitPanel ? 0 : 1);

    ProgressBar = new QProgressBar(central);
    ProgressBar->setObjectName("ProgressBar");
    ProgressBar->setTextVisible(false);
    ProgressBar->setFixedHeight(8);

    PEGraph = new GraphAdapter(central);
    PEGraph->setObjectName("PEGraph");

    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    column->addWidget(ToolPanel);
    column->addWidget(display);
    column->addWidget(ProgressBar);
    column->addWidget(PEGraph, 1);
}

namespace {

// The clock's panel, filling a holder that takes the panel's sizes. A new text
// every second would have the status bar lay out again and repaint all its
// panels; the holder, which has no layout, lets the panel repaint only itself.
class ClockHolder : public QWidget {
  public:
    ClockHolder(QLabel* panel, QWidget* parent) : QWidget(parent), m_panel(panel) {
        panel->setParent(this);
        setMinimumWidth(panel->minimumWidth());
    }
    QSize sizeHint() const override { return m_panel->sizeHint(); }
    QSize minimumSizeHint() const override { return m_panel->minimumSizeHint(); }

  protected:
    void resizeEvent(QResizeEvent*) override { m_panel->setGeometry(rect()); }

  private:
    QLabel* m_panel;
};

} // namespace

void TGraphicalForm::buildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setSizeGripEnabled(false);
    for (int i = 0; i < 5; ++i) {
        // The clock, new every second, draws from glyphs it looks up once.
        auto* panel = i == 4 ? new GlyphLabel(bar) : new QLabel(bar);
        panel->setTextFormat(Qt::PlainText);
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setMinimumWidth(kStatusWidths[i]);
        panel->setAlignment(i == 3 ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter);
        StatusPanels[i] = panel;
        if (i < 4) {
            bar->addWidget(panel, 0);
            continue;
        }
        bar->addWidget(new ClockHolder(panel, bar), 1);
    }
    TriggerPanel = new QLabel(bar);
    TriggerPanel->setObjectName("TriggerPanel");
    TriggerPanel->setFrameShape(QFrame::Panel);
    TriggerPanel->setFrameShadow(QFrame::Sunken);
    TriggerPanel->hide();
    bar->addWidget(TriggerPanel, 3);
}

} // namespace ostrel
