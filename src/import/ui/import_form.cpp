// TFormImport: layout, window state, pages, graph, cursor readout, extremes,
// page commands, Clear and the close query.
#include "import/ui/import_form.h"

#include "base/busy_flag.h"
#include "base/string_table.h"
#include "base/ui/message_box.h"
#include "base/ui/message_dialogs.h"
#include "base/ui/pictures.h"
#include "base/ui/window_messages.h"
#include "import/ui/session_table_model.h"
#include "recorder/ui/graph_adapter.h"
#include "recorder/ui/line_colour_dialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
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
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <thread>

namespace ostrel {
namespace {

// Width of every table column: wide enough for a reading with its unit and
// coupling ("-12.345mV [DC+AC]").
constexpr int kColumnWidth = 118;

QLabel* ValuePanel(const char* name, const QColor& text, QWidget* parent) {
    auto* panel = new QLabel(parent);
    panel->setObjectName(QString::fromLatin1(name));
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

} // namespace

TFormImport::TFormImport(const ImportWindowServices& services, QWidget* parent)
    : QDialog(parent), m_services(services), m_printer(std::make_unique<QPrinter>()),
      m_reported(std::make_shared<Reported>()) {
    setObjectName("FormImport");
    setWindowTitle(QText(108));
    setWindowIcon(ResourceIcon(7));
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint);
    setSizeGripEnabled(false);

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

    buildMenus();
    buildToolBar();
    PageControl = new QTabWidget(this);
    PageControl->setObjectName("PageControl");
    // As wide as the four columns of a table, its vertical scroll bar and 20 pixels.
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    PageControl->setFixedWidth(4 * kColumnWidth + scrollBar + 20);
    connect(PageControl, &QTabWidget::currentChanged, this, [this](int index) {
        // A tab chosen by the user shows its session.
        if (index >= 0 && index != m_currentPage && index < m_pageCount && !BusyFlag()) {
            m_currentPage = index;
            showPageAgain();
        }
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

    setUpGraph();
    ResetState();
    m_oneToOne = true;
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
    m_run.reset(); // aborts and waits for the worker before the window goes
    DiscardSessions();
}

void TFormImport::buildMenus() {
    MainMenu = new QMenuBar(this);
    MainMenu->setObjectName("MainMenu");
    QMenu* file = MainMenu->addMenu(QText(501));
    mnuOpen = file->addAction(QText(510), this, &TFormImport::sbtnOpenClick);
    mnuSaveAs = file->addAction(QText(511), this, &TFormImport::sbtnSaveClick);
    file->addSeparator();
    mnuImport = file->addAction(QText(513), this, &TFormImport::sbtnImportClick);
    mnuExport = file->addAction(QText(514), this, &TFormImport::sbtnExportClick);
    file->addSeparator();
    mnuPrint = file->addAction(QText(515), this, &TFormImport::mnuPrintClick);
    mnuPrinterSetup = file->addAction(QText(516), this, &TFormImport::mnuPrinterSetupClick);
    file->addSeparator();
    mnuExit = file->addAction(QText(509), this, &QWidget::close);
    QMenu* edit = MainMenu->addMenu(QText(7140));
    mnuClear = edit->addAction(QText(7141), this, &TFormImport::sbtnClearClick);
    QMenu* view = MainMenu->addMenu(QText(530));
    view->addSeparator();
    mnuLineColor = view->addAction(QText(537), this, &TFormImport::mnuLineColorClick);
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
    sbtnImport = button("sbtnImport", "recorder_import", 513, 1046, &TFormImport::sbtnImportClick);
    sbtnExport = button("sbtnExport", "recorder_export", 514, 1054, &TFormImport::sbtnExportClick);
    sbtnOpen = button("sbtnOpen", "recorder_open", 510, 1047, &TFormImport::sbtnOpenClick);
    sbtnSave = button("sbtnSave", "recorder_save", 511, 1048, &TFormImport::sbtnSaveClick);
    sbtnClear = button("sbtnClear", "recorder_clear", 7141, 7141, &TFormImport::sbtnClearClick);
}

QWidget* TFormImport::buildRightPanel() {
    PanelGraph = new QWidget(this);
    PanelGraph->setObjectName("PanelGraph");

    // One display's group: the current reading, then "Max." and "Min.".
    auto display = [this](const char* name, int title, QLabel*& time, QLabel*& reading,
                          QLabel*& maxTime, QLabel*& maxReading, QLabel*& minTime,
                          QLabel*& minReading, const std::array<const char*, 6>& names) {
        auto* group = new QGroupBox(QText(title), PanelGraph);
        group->setObjectName(QString::fromLatin1(name));
        time = ValuePanel(names[0], Qt::white, group);
        reading = ValuePanel(names[1], QColor(0x00FF00), group);
        auto pair = [&](int caption, QLabel*& t, QLabel*& r, const char* tn, const char* rn,
                        const QColor& colour) {
            auto* box = new QGroupBox(QText(caption), group);
            t = ValuePanel(tn, Qt::white, box);
            r = ValuePanel(rn, colour, box);
            auto* l = new QVBoxLayout(box);
            l->setContentsMargins(4, 2, 4, 4);
            l->setSpacing(2);
            l->addWidget(t);
            l->addWidget(r);
            return box;
        };
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
        row->addWidget(pair(7021, maxTime, maxReading, names[2], names[3], QColor(0xFF0000)), 1);
        row->addWidget(pair(7022, minTime, minReading, names[4], names[5], QColor(0xFF00FF)), 1);
        return group;
    };
    grbxMainDisplay =
        display("grbxMainDisplay", 7142, pnlMainDataTime, pnlMainDataRdg, pnlMaxMainDataTime,
                pnlMaxMainDataRdg, pnlMinMainDataTime, pnlMinMainDataRdg,
                {"pnlMainDataTime", "pnlMainDataRdg", "pnlMaxMainDataTime", "pnlMaxMainDataRdg",
                 "pnlMinMainDataTime", "pnlMinMainDataRdg"});
    grbxSubDisplay =
        display("grbxSubDisplay", 7143, pnlSubDataTime, pnlSubDataRdg, pnlMaxSubDataTime,
                pnlMaxSubDataRdg, pnlMinSubDataTime, pnlMinSubDataRdg,
                {"pnlSubDataTime", "pnlSubDataRdg", "pnlMaxSubDataTime", "pnlMaxSubDataRdg",
                 "pnlMinSubDataTime", "pnlMinSubDataRdg"});

    PanelSBtn = new QWidget(PanelGraph);
    PanelSBtn->setObjectName("PanelSBtn");
    rbtnMainData = new QRadioButton(QText(7142), PanelSBtn);
    rbtnMainData->setObjectName("rbtnMainData");
    rbtnSubData = new QRadioButton(QText(7144), PanelSBtn);
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
    sbtnUndoZoom = pageButton("sbtnUndoZoom", "recorder_unzoom", 1053, nullptr);
    sbtnFirstPage =
        pageButton("sbtnFirstPage", "recorder_first", 1049, &TFormImport::sbtnFirstPageClick);
    sbtnPageUp = pageButton("sbtnPageUp", "recorder_prev", 1050, &TFormImport::sbtnPageUpClick);
    sbtnPageDown =
        pageButton("sbtnPageDown", "recorder_next", 1051, &TFormImport::sbtnPageDownClick);
    sbtnLastPage =
        pageButton("sbtnLastPage", "recorder_last", 1052, &TFormImport::sbtnLastPageClick);
    auto* bar = new QHBoxLayout(PanelSBtn);
    bar->setContentsMargins(4, 0, 4, 0);
    bar->addWidget(rbtnMainData);
    bar->addWidget(rbtnSubData);
    bar->addStretch();
    for (QToolButton* b : {sbtnUndoZoom, sbtnFirstPage, sbtnPageUp, sbtnPageDown, sbtnLastPage})
        bar->addWidget(b);

    PEGraph = new GraphAdapter(PanelGraph);
    PEGraph->setObjectName("PEGraph");
    connect(PEGraph, &GraphAdapter::cursorMoved, this, &TFormImport::PEGraphCursorMoved);

    auto* column = new QVBoxLayout(PanelGraph);
    column->setContentsMargins(2, 2, 2, 2);
    column->addWidget(grbxMainDisplay);
    column->addWidget(grbxSubDisplay);
    column->addWidget(PanelSBtn);
    column->addWidget(PEGraph, 1);
    return PanelGraph;
}

void TFormImport::setUpGraph() {
    PEGraph->setSubsetLabel(QString());
    PEGraph->setGraphForeColor(QColor(0x80, 0x80, 0x80));
    PEGraph->setLineColor(QColor::fromRgb(TdlgGraphLineColor::kDefaultMain));
    PEGraph->setMainTitle(QText(7146));
    PEGraph->setSubTitle(QString());
    PEGraph->setYAxisLabel(QText(7023));
    PEGraph->setXAxisLabel(QText(7024));
    PEGraph->setWidestLabel(QStringLiteral("00:00'00.000\""));
    PEGraph->setZoomEnabled(false);
    sbtnUndoZoom->setEnabled(false);
    sbtnUndoZoom->setVisible(false);
}

// --- state -------------------------------------------------------------------

void TFormImport::ResetState() {
    m_sessionCount = 0;
    m_pageCount = 0;
    m_currentPage = 0;
    m_points = 200;
    m_maxY = 100.0f;
    m_minY = -100.0f;
    m_empty = true;
    m_saved = false;
    m_pageShown = false;
    m_shownPage = -1;
    m_plot = SessionPagePlot{};
}

void TFormImport::DiscardSessions() {
    // The tables' models read the sessions: the pages go first.
    for (QTableView* grid : m_grids)
        delete grid;
    while (!m_tabs.empty()) {
        QWidget* tab = m_tabs.back();
        m_tabs.pop_back();
        PageControl->removeTab(PageControl->indexOf(tab));
        delete tab;
    }
    m_grids.clear();
    m_tabCounter = 0;
    m_table.clear();
}

void TFormImport::ResetGraph() {
    // Without a page the graph is no session's: its title loses the number.
    PEGraph->setMainTitle(QText(7146));
    PEGraph->setPointCount(m_points);
    PEGraph->setManualMaxY(m_maxY);
    PEGraph->setManualMinY(m_minY);
    PEGraph->rebuild();
}

bool TFormImport::AddSessionPage() {
    const std::size_t session = m_grids.size();
    if (session >= m_table.sessionCount()) {
        ShowNumberedMessage(this, kErrorCaption, 9006);
        return false;
    }
    ++m_tabCounter;
    const QString caption = QText(7146) + QString::number(m_tabCounter);
    auto* tab = new QWidget;
    tab->setObjectName(QStringLiteral("ts") + caption);
    auto* grid = new QTableView(tab);
    grid->setObjectName(QStringLiteral("StrGrid") + QString::number(m_tabCounter));
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->verticalHeader()->hide();
    // One height for every row: the view never measures millions of them.
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    grid->horizontalHeader()->setDefaultSectionSize(kColumnWidth);
    grid->horizontalHeader()->setHighlightSections(false);
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    grid->setWordWrap(false);
    // The model comes last: the headers set up before it never go through
    // millions of rows.
    grid->setModel(new SessionTableModel(m_table.session(session), grid));
    // As wide as its four columns, a vertical scroll bar and 10 pixels.
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    grid->setFixedWidth(4 * kColumnWidth + scrollBar + 10);
    auto* l = new QHBoxLayout(tab);
    l->setContentsMargins(0, 0, 0, 0);
    l->addWidget(grid, 0, Qt::AlignLeft);
    m_tabs.push_back(tab);
    m_grids.push_back(grid);
    PageControl->addTab(tab, caption);
    {
        const QSignalBlocker quiet(PageControl);
        PageControl->setCurrentWidget(tab);
    }
    // The table ends with its empty row, and that row is selected.
    grid->selectRow(grid->model()->rowCount() - 1);
    grid->scrollToBottom();
    return true;
}

QTableView* TFormImport::grid(int page) const {
    return page >= 0 && page < static_cast<int>(m_grids.size())
               ? m_grids[static_cast<std::size_t>(page)]
               : nullptr;
}

QString TFormImport::cell(int row, int column) const {
    if (m_shownPage < 0 || static_cast<std::size_t>(m_shownPage) >= m_table.sessionCount())
        return {};
    return QString::fromStdString(
        SessionCellText(m_table.session(static_cast<std::size_t>(m_shownPage)),
                        static_cast<std::size_t>(row), column));
}

// --- the page ------------------------------------------------------------------

void TFormImport::ShowPage(int page) {
    if (m_sessionCount == 0 || page < 0 || static_cast<std::size_t>(page) >= m_table.sessionCount())
        return;
    const SessionList& list = m_table.session(static_cast<std::size_t>(page));
    m_shownPage = page; // the page whose cells the panels show (an export shows others)
    m_plot = PlotSessionPage(list, rbtnSubData->isChecked(), YRange{m_maxY, m_minY});
    m_oneToOne = m_plot.oneToOne;
    m_points = static_cast<int>(m_plot.points());
    m_maxY = m_plot.range.max;
    m_minY = m_plot.range.min;
    PEGraph->setPointCount(m_points);
    resetExtremesPanels();
    rbtnMainData->setEnabled(m_plot.mainEnabled);
    rbtnSubData->setEnabled(m_plot.subEnabled);
    if (!m_plot.subChosen)
        rbtnMainData->setChecked(true);
    for (int j = 0; j < m_points; ++j) {
        const auto k = static_cast<std::size_t>(j);
        PEGraph->setYData(j, m_plot.values[k]);
        const std::string_view time = FieldView(m_plot.labels[k]);
        PEGraph->setPointLabel(
            j, QString::fromLatin1(time.data(), static_cast<qsizetype>(time.size())));
    }
    PEGraph->setManualMaxY(m_maxY);
    PEGraph->setManualMinY(m_minY);
    if (m_points > 0) {
        showExtremes(m_plot.mainExtremes, kColumnMain, pnlMaxMainDataTime, pnlMaxMainDataRdg,
                     pnlMinMainDataTime, pnlMinMainDataRdg);
        if (m_plot.subExtremesShown)
            showExtremes(m_plot.subExtremes, kColumnSub, pnlMaxSubDataTime, pnlMaxSubDataRdg,
                         pnlMinSubDataTime, pnlMinSubDataRdg);
    }
    m_pageShown = true;
    PEGraph->setCursorPoint(std::max(m_points - 1, 0));
    CursorReadout();
    PEGraph->setMainTitle(QText(7146) + QLatin1Char(' ') + QString::number(page + 1));
    if (m_services.lineColour)
        PEGraph->setLineColor(rbtnMainData->isChecked()
                                  ? m_services.lineColour->ShapeLineColor1->brushColor()
                                  : m_services.lineColour->ShapeLineColor2->brushColor());
    PEGraph->rebuild();
    refreshPageButtons();
}

void TFormImport::showExtremes(const Extremes& extremes, int column, QLabel* maxTime,
                               QLabel* maxReading, QLabel* minTime, QLabel* minReading) {
    // The cells of table rows max + 1 and min + 1 (the header row is row 0).
    maxTime->setText(cell(extremes.maxIndex, kColumnTime));
    maxReading->setText(cell(extremes.maxIndex, column));
    minTime->setText(cell(extremes.minIndex, kColumnTime));
    minReading->setText(cell(extremes.minIndex, column));
}

void TFormImport::resetExtremesPanels() {
    for (QLabel* panel :
         {pnlMaxMainDataTime, pnlMaxMainDataRdg, pnlMinMainDataTime, pnlMinMainDataRdg,
          pnlMaxSubDataTime, pnlMaxSubDataRdg, pnlMinSubDataTime, pnlMinSubDataRdg})
        panel->clear();
}

void TFormImport::clearReadingPanels() {
    for (QLabel* panel : {pnlMainDataTime, pnlMainDataRdg, pnlSubDataTime, pnlSubDataRdg})
        panel->clear();
}

void TFormImport::CursorReadout() {
    if (m_sessionCount == 0)
        return;
    PEGraph->setYAxisLabel(QText(7023));
    const std::int64_t r = m_plot.readingAt(PEGraph->cursorPoint());
    if (r < 0) {
        clearReadingPanels();
    } else {
        const int row = static_cast<int>(r);
        pnlMainDataTime->setText(cell(row, kColumnTime));
        pnlMainDataRdg->setText(cell(row, kColumnMain));
        const SessionList& list = m_table.session(static_cast<std::size_t>(m_shownPage));
        if (list.hasSub(static_cast<std::size_t>(r))) {
            pnlSubDataTime->setText(cell(row, kColumnTime));
            pnlSubDataRdg->setText(cell(row, kColumnSub));
        } else {
            pnlSubDataTime->clear();
            pnlSubDataRdg->clear();
        }
    }
    PEGraph->rebuild();
}

void TFormImport::PEGraphCursorMoved(int) {
    CursorReadout();
}

void TFormImport::showPageAgain() {
    ShowPage(m_currentPage);
    if (grid(m_currentPage)) {
        const QSignalBlocker quiet(PageControl);
        PageControl->setCurrentIndex(m_currentPage);
    }
}

void TFormImport::sbtnFirstPageClick() {
    m_currentPage = 0;
    showPageAgain();
}

void TFormImport::sbtnPageUpClick() {
    if (m_currentPage <= 0) {
        ShowNumberedMessage(this, kWarningCaption, 8008);
        return;
    }
    --m_currentPage;
    showPageAgain();
}

void TFormImport::sbtnPageDownClick() {
    if (m_currentPage >= m_pageCount - 1) {
        ShowNumberedMessage(this, kWarningCaption, 8009);
        return;
    }
    ++m_currentPage;
    showPageAgain();
}

void TFormImport::sbtnLastPageClick() {
    m_currentPage = std::max(m_pageCount - 1, 0);
    showPageAgain();
}

void TFormImport::rbtnMainDataClick() {
    showPageAgain();
}

void TFormImport::rbtnSubDataClick() {
    showPageAgain();
}

// --- enable rules ---------------------------------------------------------------

void TFormImport::RefreshButtons() {
    const bool busy = BusyFlag();
    sbtnOpen->setEnabled(!busy);
    sbtnImport->setEnabled(!busy);
    for (QToolButton* b : {sbtnSave, sbtnClear, sbtnExport})
        b->setEnabled(!busy && !m_empty);
}

void TFormImport::RefreshMenus() {
    const bool busy = BusyFlag();
    for (QAction* a : {mnuOpen, mnuImport, mnuPrinterSetup, mnuLineColor})
        a->setEnabled(!busy);
    for (QAction* a : {mnuSaveAs, mnuExport, mnuPrint, mnuClear})
        a->setEnabled(!busy && !m_empty);
}

void TFormImport::refreshPageButtons() {
    const bool notFirst = m_pageShown && m_currentPage > 0;
    const bool notLast = m_pageShown && m_currentPage < m_pageCount - 1;
    sbtnFirstPage->setEnabled(notFirst);
    sbtnPageUp->setEnabled(notFirst);
    sbtnPageDown->setEnabled(notLast);
    sbtnLastPage->setEnabled(notLast);
}

// --- pages for the whole table ---------------------------------------------------

void TFormImport::addPages() {
    TMsgForm* progress = m_services.progress;
    for (std::size_t s = 0; s < m_table.sessionCount(); ++s) {
        const auto n = static_cast<int>(std::min<std::size_t>(m_table.session(s).size(), INT_MAX));
        if (progress) {
            progress->ProgressBar->setRange(0, std::max(n, 1));
            progress->ProgressBar->setValue(0);
        }
        AddSessionPage();
        // The rows come from the session itself: the whole page is there at once.
        if (progress)
            progress->ProgressBar->setValue(std::max(n, 1));
    }
    m_sessionCount = static_cast<int>(m_table.sessionCount());
    m_pageCount = m_sessionCount;
    m_currentPage = std::max(m_pageCount - 1, 0);
    rbtnMainData->setChecked(true);
    showPageAgain();
}

// --- Clear, reset and closing ------------------------------------------------------

void TFormImport::sbtnClearClick() {
    if (m_empty || BusyFlag())
        return;
    if (ask(8002, QText(8002), QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel) !=
        QMessageBox::Ok)
        return;
    clearWindow();
}

void TFormImport::sendReset() {
    QEvent reset(EventType(kMsgImportReset));
    QCoreApplication::sendEvent(this, &reset);
}

void TFormImport::handleReset() {
    BusyFlag() = false;
    clearWindow();
}

void TFormImport::clearWindow() {
    ResetState();
    DiscardSessions();
    ResetGraph();
    clearReadingPanels();
    resetExtremesPanels();
    rbtnMainData->setEnabled(false);
    rbtnSubData->setEnabled(false);
    RefreshButtons();
    RefreshMenus();
    refreshPageButtons();
}

int TFormImport::ask(int id, const QString& text, QMessageBox::StandardButtons buttons,
                     QMessageBox::StandardButton defaultButton) {
    MessageRequest request;
    request.owner = this;
    request.caption = QNumberedCaption(kWarningCaption, id);
    request.text = text;
    request.icon = MessageIcon::Question;
    request.buttons = buttons;
    request.defaultButton = defaultButton;
    return ShowMessage(request);
}

bool TFormImport::FormCloseQuery() {
    if (BusyFlag())
        return false; // a load or an import runs: its Abort comes first
    if (m_empty || m_saved)
        return true;
    switch (ask(8003, QText(8003) + QLatin1Char('\n') + QText(7005),
                QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Cancel)) {
    case QMessageBox::Yes:
        sbtnSaveClick();
        return m_saved;
    case QMessageBox::No:
        return true;
    default:
        return false;
    }
}

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
    if (event->type() >= QEvent::User && event->type() <= QEvent::MaxUser) {
        runEvent(event);
        if (event->isAccepted())
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
    if (m_empty || BusyFlag())
        return;
    PEGraph->setViewingStyle(GraphAdapter::ViewingStyle::Monochrome);
    QApplication::processEvents();
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
    dialog->btnLineColor1->setText(QText(7150));
    dialog->btnLineColor2->setText(QText(7151));
    if (runModal(*dialog) == QDialog::Accepted)
        showPageAgain();
}

bool TFormImport::runLetting(const std::function<bool()>& work) {
    bool ok = false;
    QEventLoop loop;
    std::thread helper([&] {
        ok = work();
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    helper.join();
    return ok;
}

} // namespace ostrel
