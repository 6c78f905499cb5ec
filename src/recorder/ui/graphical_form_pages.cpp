// TGraphicalForm: the graph set-up, pages, cursor readout, the largest and
// smallest sample, zoom, keys and the line colour.

#include "recorder/ui/graphical_form.h"

#include "base/busy_flag.h"
#include "base/string_table.h"
#include "base/ui/message_box.h"
#include "displays/panel_geometry.h"
#include "recorder/recorder_view.h"
#include "recorder/ui/graph_adapter.h"

#include <QColorDialog>
#include <QDialog>
#include <QLabel>
#include <QPalette>
#include <QProgressBar>
#include <QToolButton>

namespace ostrel {
namespace {

constexpr int kFirstPageText = 8008;
constexpr int kLastPageText = 8009;
const char* const kArial = "Arial";
const char* const kSymbol = "Symbol";

// A text of a record field as the window shows it; in the "Symbol" typeface
// the letters are the Greek ones ("W" is the ohm sign).
template <std::size_t N> QString FieldText(const std::array<char, N>& field, bool symbol) {
    const std::string text(FieldView(field));
    return symbol ? QString::fromStdString(SymbolTypefaceText(text)) : QString::fromLatin1(text);
}

void SetLook(QLabel* panel, bool symbol, Qt::Alignment alignment) {
    QFont font = panel->font();
    font.setFamily(QString::fromLatin1(symbol ? kSymbol : kArial));
    panel->setFont(font);
    panel->setAlignment(alignment | Qt::AlignVCenter);
}

// Data, unit and function panels of one record.
void ShowRecord(const TBRecord& record, QLabel* data, QLabel* unit, QLabel* function) {
    const PanelLook look = ReadoutLook(record.function);
    data->setText(QString::fromLatin1(FieldView(record.dataText)));
    SetLook(unit, look.unitSymbol, look.unitRight ? Qt::AlignRight : Qt::AlignHCenter);
    unit->setText(FieldText(record.unitText, look.unitSymbol));
    SetLook(function, look.functionSymbol, look.functionLeft ? Qt::AlignLeft : Qt::AlignHCenter);
    function->setText(FieldText(record.functionText, look.functionSymbol));
}

void Blank(std::initializer_list<QLabel*> panels) {
    for (QLabel* panel : panels)
        panel->setText(QString());
}

} // namespace

void TGraphicalForm::setUpGraph() {
    PEGraph->setMainTitle(QText(7025));
    PEGraph->setSubTitle(QString());
    PEGraph->setYAxisLabel(QText(7023));
    PEGraph->setXAxisLabel(QText(7024));
    PEGraph->setWidestLabel(QStringLiteral("00:00:00.000"));
    PEGraph->setDeskColor(palette().color(QPalette::Button));
    PEGraph->setGraphBackColor(QColor(0, 0, 0));
    PEGraph->setGraphForeColor(QColor(0x80, 0x00, 0x80)); // purple
    PEGraph->setLineColor(QColor(0xC0, 0xC0, 0xC0));      // silver
    connect(PEGraph, &GraphAdapter::cursorMoved, this, &TGraphicalForm::PEGraphCursorMoved);
    connect(PEGraph, &GraphAdapter::zoomed, this, &TGraphicalForm::PEGraphZoomIn);
    connect(PEGraph, &GraphAdapter::keyPressed, this, &TGraphicalForm::PEGraphKeyDown);
    drawEmptyPage();
}

void TGraphicalForm::drawEmptyPage() {
    PEGraph->setPointCount(m_engine.pointsPerPage());
    PEGraph->setManualMaxY(m_engine.yRange().max);
    PEGraph->setManualMinY(m_engine.yRange().min);
    PEGraph->rebuild();
    PEGraph->setCursorPoint(m_engine.pointsPerPage() - 1);
    refreshReadout();
    refreshStatusBar();
    refreshEnables();
}

void TGraphicalForm::drawPage() {
    const std::vector<GraphPoint> points = m_engine.pagePoints();
    if (PEGraph->pointCount() != static_cast<int>(points.size()))
        PEGraph->setPointCount(static_cast<int>(points.size()));
    for (int i = 0; i < static_cast<int>(points.size()); ++i) {
        const GraphPoint& point = points[static_cast<std::size_t>(i)];
        PEGraph->setYData(i, point.y);
        PEGraph->setPointLabel(i, QString::fromLatin1(point.label));
    }
    PEGraph->setManualMaxY(m_engine.yRange().max);
    PEGraph->setManualMinY(m_engine.yRange().min);
    PEGraph->rebuild();
    refreshReadout();
    refreshEnables();
    refreshStatusBar();
}

void TGraphicalForm::refreshReadout() {
    const std::int64_t position = m_engine.positionOfPoint(PEGraph->cursorPoint());
    if (m_engine.count() == 0 || position < 0) {
        Blank({TimePanel, ReadingDataPanel, ReadingUnitPanel, ReadingFuncPanel});
        PEGraph->setYAxisLabel(QString::fromLatin1(kPlainYAxisLabel));
    } else {
        const TBRecord& record = m_engine.buffer()[static_cast<std::size_t>(position)].main;
        TimePanel->setText(QString::fromLatin1(FieldView(record.timeText)));
        ShowRecord(record, ReadingDataPanel, ReadingUnitPanel, ReadingFuncPanel);
        PEGraph->setYAxisLabel(QString::fromStdString(
            YAxisLabel(record.function, std::string(FieldView(record.functionText)))));
    }
    PEGraph->rebuild();
}

void TGraphicalForm::refreshExtremes() {
    // The panels show values from the second sample on.
    if (m_engine.count() < 2) {
        Blank({MaxDataPanel, MaxUnitPanel, MaxFuncPanel, MinDataPanel, MinUnitPanel, MinFuncPanel});
        return;
    }
    const SampleBuffer& buffer = m_engine.buffer();
    const Extremes& e = m_engine.extremes();
    ShowRecord(buffer[static_cast<std::size_t>(e.maxIndex)].main, MaxDataPanel, MaxUnitPanel,
               MaxFuncPanel);
    ShowRecord(buffer[static_cast<std::size_t>(e.minIndex)].main, MinDataPanel, MinUnitPanel,
               MinFuncPanel);
}

void TGraphicalForm::stepProgress(std::int64_t steps) {
    // The bar runs over one page and starts again with the next.
    const std::int64_t span = ProgressBar->maximum() - ProgressBar->minimum() + 1;
    ProgressBar->setValue(
        static_cast<int>(ProgressBar->minimum() + (ProgressBar->value() + steps) % span));
}

// --- page commands ---------------------------------------------------------------------

void TGraphicalForm::sbtnFirstPageClick() {
    m_engine.showFirstPage();
    drawPage();
}

void TGraphicalForm::sbtnPageUpClick() {
    if (!m_engine.pageUp()) {
        ShowNumberedMessage(this, kWarningCaption, kFirstPageText);
        return;
    }
    drawPage();
}

void TGraphicalForm::sbtnPageDownClick() {
    if (!m_engine.pageDown()) {
        ShowNumberedMessage(this, kWarningCaption, kLastPageText);
        return;
    }
    drawPage();
}

void TGraphicalForm::sbtnLastPageClick() {
    m_engine.showLastPage();
    drawPage();
}

void TGraphicalForm::PEGraphKeyDown(int key, Qt::KeyboardModifiers modifiers) {
    // The page keys act as the page buttons, but not while the buffer grows.
    if (modifiers != Qt::NoModifier || m_recording || BusyFlag())
        return;
    if (key == Qt::Key_PageUp)
        sbtnPageUpClick();
    else if (key == Qt::Key_PageDown)
        sbtnPageDownClick();
}

void TGraphicalForm::PEGraphCursorMoved() {
    refreshReadout();
}

// --- zoom, viewer, colour ------------------------------------------------------------------

void TGraphicalForm::PEGraphZoomIn() {
    sbtnUndoZoom->setEnabled(true);
    miUndoZoom->setEnabled(true);
}

void TGraphicalForm::sbtnUndoZoomClick() {
    PEGraph->undoZoom();
    sbtnUndoZoom->setEnabled(false);
    miUndoZoom->setEnabled(false);
}

void TGraphicalForm::sbtnFitViewClick() {
    // The graphical viewer shows the whole buffer; until it is built, the
    // dialog handed in is shown as it is.
    if (m_with.viewer)
        runDialog(*m_with.viewer);
}

void TGraphicalForm::GraphLineColorClick() {
    const QColor chosen = m_chooseColor ? m_chooseColor(PEGraph->lineColor())
                                        : QColorDialog::getColor(PEGraph->lineColor(), this);
    if (!chosen.isValid())
        return;
    PEGraph->setLineColor(chosen);
    PEGraph->rebuild();
}

// --- export and printing: the graph export dialog, printing and the printer
// set-up are built on top of this window; for now Export shows the dialog
// handed in and the printing commands do nothing.

void TGraphicalForm::sbtnExportClick() {
    if (m_with.exportDialog)
        runDialog(*m_with.exportDialog);
}

void TGraphicalForm::sbtnPrintGraphicClick() {}

void TGraphicalForm::PrinterSetupClick() {}

} // namespace ostrel
