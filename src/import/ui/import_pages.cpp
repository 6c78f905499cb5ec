// TFormImport: the session pages, the graph of the page shown, the cursor
// readout and the extremes, the page commands, the enable rules, Clear, the
// reset message and the close query. What they show comes from the engine.
#include "base/string_table.h"
#include "base/ui/message_box.h"
#include "base/ui/message_dialogs.h"
#include "base/ui/window_messages.h"
#include "graph/ui/graph_adapter.h"
#include "graph/ui/graph_window_texts.h"
#include "graph/ui/line_colour_dialog.h"
#include "import/ui/import_form.h"
#include "import/ui/session_grid.h"

#include <QAction>
#include <QCoreApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QRadioButton>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>

#include <climits>

namespace ostrel {
namespace {

constexpr int kOutOfMemoryText = 9006; // "Insufficient system memory !"

// The frame of a session's table and its scroll bar: as wide as its four
// columns, the bar and 10 pixels.
QFrame* SessionGridHolder(QWidget* page, int columnWidth) {
    auto* holder = new QFrame(page);
    holder->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    const int scrollBar = holder->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    holder->setFixedWidth(4 * columnWidth + scrollBar + 10);
    return holder;
}

} // namespace

// --- state -------------------------------------------------------------------

void TFormImport::ResetState() {
    m_engine.resetState();
}

void TFormImport::DiscardSessions() {
    // The tables' models read the sessions: the pages go first. The first
    // page is made current before the others go from the last one on, so
    // that no removal makes another page current (and shows it).
    const QSignalBlocker quiet(PageControl);
    for (SessionGrid* grid : m_grids)
        if (grid)
            delete grid->parentWidget(); // its holder, with the grid and its scroll bar
    if (!m_tabs.empty())
        PageControl->setCurrentIndex(0);
    while (!m_tabs.empty()) {
        QWidget* tab = m_tabs.back();
        m_tabs.pop_back();
        PageControl->removeTab(PageControl->indexOf(tab));
        delete tab;
    }
    m_grids.clear();
    m_tabCounter = 0;
    stopStatistics();
    m_statisticsRuns.clear();
    m_engine.discardSessions();
}

void TFormImport::ResetGraph() {
    // Without a page the graph is no session's: its title loses the number.
    PEGraph->setMainTitle(QText(kSessionText));
    PEGraph->setPointCount(m_engine.points());
    PEGraph->setManualMaxY(m_engine.yRange().max);
    PEGraph->setManualMinY(m_engine.yRange().min);
    PEGraph->rebuild();
}

bool TFormImport::addSessionTab() {
    if (m_tabs.size() >= m_engine.sessions().sessionCount()) {
        ShowNumberedMessage(this, kErrorCaption, kOutOfMemoryText);
        return false;
    }
    ++m_tabCounter;
    const QString caption = QText(kSessionText) + QString::number(m_tabCounter);
    auto* tab = new QWidget;
    tab->setObjectName(QStringLiteral("ts") + caption);
    m_tabs.push_back(tab);
    m_grids.push_back(nullptr); // made when the page is first shown
    PageControl->addTab(tab, caption);
    return true;
}

bool TFormImport::AddSessionPage() {
    if (!addSessionTab())
        return false;
    const int page = static_cast<int>(m_tabs.size()) - 1;
    {
        const QSignalBlocker quiet(PageControl);
        PageControl->setCurrentIndex(page);
    }
    makeGrid(page);
    return true;
}

void TFormImport::makeGrid(int page) {
    if (page < 0 || page >= static_cast<int>(m_tabs.size()) || grid(page))
        return;
    const auto k = static_cast<std::size_t>(page);
    QWidget* tab = m_tabs[k];
    QFrame* holder = SessionGridHolder(tab, kColumnWidth);
    auto* grid = new SessionGrid(m_engine.sessions().session(k), holder);
    grid->setObjectName(QStringLiteral("StrGrid") + QString::number(page + 1));
    grid->horizontalHeader()->setDefaultSectionSize(kColumnWidth);
    auto* l = new QHBoxLayout(tab);
    l->setContentsMargins(0, 0, 0, 0);
    l->addWidget(holder, 0, Qt::AlignLeft);
    holder->show(); // the tab may be in view already
    m_grids[k] = grid;
    // The table ends with its empty row, and that row is selected.
    grid->chooseRow(grid->tableRows() - 1);
    grid->scrollToEnd();
}

SessionGrid* TFormImport::grid(int page) const {
    return page >= 0 && page < static_cast<int>(m_grids.size())
               ? m_grids[static_cast<std::size_t>(page)]
               : nullptr;
}

QString TFormImport::cell(std::int64_t row, int column) const {
    return QString::fromStdString(m_engine.cellText(row, column));
}

// --- the page ------------------------------------------------------------------

void TFormImport::ShowPage(int page) {
    m_engine.chooseDisplay(rbtnSubData->isChecked());
    if (!m_engine.showPage(page))
        return;
    const SessionPagePlot& plot = m_engine.plot();
    PEGraph->setPointCount(m_engine.points());
    resetExtremesPanels();
    rbtnMainData->setEnabled(plot.mainEnabled);
    rbtnSubData->setEnabled(plot.subEnabled);
    if (!m_engine.subChosen())
        rbtnMainData->setChecked(true);
    drawPlot();
    if (m_engine.points() > 0) {
        showExtremes(plot.mainExtremes, kColumnMain, pnlMaxMainDataTime, pnlMaxMainDataRdg,
                     pnlMinMainDataTime, pnlMinMainDataRdg);
        if (plot.subExtremesShown)
            showExtremes(plot.subExtremes, kColumnSub, pnlMaxSubDataTime, pnlMaxSubDataRdg,
                         pnlMinSubDataTime, pnlMinSubDataRdg);
    }
    PEGraph->setCursorPoint(std::max(m_engine.points() - 1, 0));
    CursorReadout();
    PEGraph->setMainTitle(QText(kSessionText) + QLatin1Char(' ') + QString::number(page + 1));
    if (m_services.lineColour)
        PEGraph->setLineColor(rbtnMainData->isChecked() ? m_services.lineColour->mainColour()
                                                        : m_services.lineColour->subColour());
    PEGraph->rebuild();
    refreshPageButtons();
    if (page == m_engine.currentPage()) // not for the pages an export goes through
        refreshStatistics(page);
}

void TFormImport::drawPlot() {
    const SessionPagePlot& plot = m_engine.plot();
    for (int j = 0; j < m_engine.points(); ++j) {
        const auto k = static_cast<std::size_t>(j);
        PEGraph->setYData(j, plot.values[k]);
        const std::string_view time = FieldView(plot.labels[k]);
        PEGraph->setPointLabel(
            j, QString::fromLatin1(time.data(), static_cast<qsizetype>(time.size())));
    }
    PEGraph->setManualMaxY(m_engine.yRange().max);
    PEGraph->setManualMinY(m_engine.yRange().min);
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
    if (m_engine.sessionCount() == 0)
        return;
    PEGraph->setYAxisLabel(QText(kReadingAxisText));
    const std::int64_t r = m_engine.readingAt(PEGraph->cursorPoint());
    if (r < 0) {
        clearReadingPanels();
    } else {
        pnlMainDataTime->setText(cell(r, kColumnTime));
        pnlMainDataRdg->setText(cell(r, kColumnMain));
        if (m_engine.hasSub(r)) {
            pnlSubDataTime->setText(cell(r, kColumnTime));
            pnlSubDataRdg->setText(cell(r, kColumnSub));
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
    ShowPage(m_engine.currentPage());
    const int page = m_engine.currentPage();
    if (page < static_cast<int>(m_tabs.size())) {
        {
            const QSignalBlocker quiet(PageControl);
            PageControl->setCurrentIndex(page);
        }
        makeGrid(page);
    }
}

// --- page commands -----------------------------------------------------------------

void TFormImport::sbtnFirstPageClick() {
    m_engine.firstPage();
    showPageAgain();
}

void TFormImport::sbtnPageUpClick() {
    if (!m_engine.pageUp()) {
        ShowNumberedMessage(this, kWarningCaption, kFirstPageText);
        return;
    }
    showPageAgain();
}

void TFormImport::sbtnPageDownClick() {
    if (!m_engine.pageDown()) {
        ShowNumberedMessage(this, kWarningCaption, kLastPageText);
        return;
    }
    showPageAgain();
}

void TFormImport::sbtnLastPageClick() {
    m_engine.lastPage();
    showPageAgain();
}

void TFormImport::rbtnMainDataClick() {
    rbtnMainData->setChecked(true);
    showPageAgain();
}

void TFormImport::rbtnSubDataClick() {
    rbtnSubData->setChecked(true);
    showPageAgain();
}

// --- enable rules ---------------------------------------------------------------

void TFormImport::RefreshButtons() {
    const ImportEnables e = m_engine.enables();
    sbtnOpen->setEnabled(e.open);
    sbtnImport->setEnabled(e.open);
    for (QToolButton* b : {sbtnSave, sbtnClear, sbtnExport})
        b->setEnabled(e.hasData);
}

void TFormImport::RefreshMenus() {
    const ImportEnables e = m_engine.enables();
    for (QAction* a : {mnuOpen, mnuImport, mnuPrinterSetup, mnuLineColor})
        a->setEnabled(e.open);
    for (QAction* a : {mnuSaveAs, mnuExport, mnuPrint, mnuClear})
        a->setEnabled(e.hasData);
}

void TFormImport::refreshPageButtons() {
    const ImportEnables e = m_engine.enables();
    sbtnFirstPage->setEnabled(e.firstPage);
    sbtnPageUp->setEnabled(e.firstPage);
    sbtnPageDown->setEnabled(e.lastPage);
    sbtnLastPage->setEnabled(e.lastPage);
}

void TFormImport::setBusy(bool busy) {
    m_engine.setBusy(busy);
    RefreshButtons();
    RefreshMenus();
}

// --- pages for the whole table ---------------------------------------------------

void TFormImport::addPages(SessionTable table, bool saved) {
    stopStatistics();
    m_engine.adopt(std::move(table), saved);
    m_statisticsRuns.assign(m_engine.sessions().sessionCount(), std::nullopt);
    const std::size_t sessions = m_engine.sessions().sessionCount();
    // Each page's rows come from its session, whole at once: the bar stands
    // full (as after the last page) while the pages are made, drawn once
    // rather than for every page.
    if (TMsgForm* progress = m_services.progress; progress && sessions > 0) {
        const auto n = static_cast<int>(
            std::min<std::size_t>(m_engine.sessions().session(sessions - 1).size(), INT_MAX));
        progress->setBar(std::max(n, 1), std::max(n, 1));
    }
    {
        // A page's table is made when the page is first shown (the last
        // page, below): the others are tabs alone until then.
        const QSignalBlocker quiet(PageControl);
        for (std::size_t s = 0; s < sessions; ++s)
            addSessionTab();
    }
    rbtnMainData->setChecked(true);
    showPageAgain();
}

// --- Clear, reset and closing ------------------------------------------------------

void TFormImport::sbtnClearClick() {
    if (!m_engine.enables().hasData)
        return;
    if (ask(kClearQuestionText, QText(kClearQuestionText), QMessageBox::Ok | QMessageBox::Cancel,
            QMessageBox::Cancel) != QMessageBox::Ok)
        return;
    clearWindow();
}

void TFormImport::sendReset() {
    QEvent reset(EventType(kMsgImportReset));
    QCoreApplication::sendEvent(this, &reset);
}

void TFormImport::handleReset() {
    m_engine.setBusy(false);
    clearWindow();
}

void TFormImport::clearWindow() {
    DiscardSessions();
    m_engine.clear();
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
    if (m_engine.busy())
        return false; // a load or an import runs: its Abort comes first
    if (m_engine.closesWithoutAsking())
        return true;
    switch (ask(kBufferHasDataText,
                QText(kBufferHasDataText) + QLatin1Char('\n') + QText(kSaveQuestionText),
                QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Cancel)) {
    case QMessageBox::Yes:
        sbtnSaveClick();
        return m_engine.saved();
    case QMessageBox::No:
        return true;
    default:
        return false;
    }
}

} // namespace ostrel
