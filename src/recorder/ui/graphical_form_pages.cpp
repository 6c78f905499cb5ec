// TGraphicalForm: the graph set-up, pages, cursor readout, the largest and
// smallest sample, zoom, keys and the line colour.

#include "recorder/ui/graphical_form.h"

#include "base/busy_flag.h"
#include "base/string_table.h"
#include "base/ui/message_box.h"
#include "graph/ui/graph_adapter.h"
#include "graph/ui/graph_window_texts.h"
#include "recorder/recorder_view.h"
#include "recorder/ui/record_panels.h"

#include <QColorDialog>
#include <QDialog>
#include <QLabel>
#include <QPalette>
#include <QProgressBar>
#include <QToolButton>

namespace ostrel {
namespace {

constexpr int kGraphTitleText = 7025; // "Data Logger"

void Blank(std::initializer_list<QLabel*> panels) {
    for (QLabel* panel : panels)
        panel->setText(QString());
}

} // namespace

void TGraphicalForm::setUpGraph() {
    PEGraph->setMainTitle(QText(kGraphTitleText));
    PEGraph->setSubTitle(QString());
    PEGraph->setYAxisLabel(QText(kReadingAxisText));
    PEGraph->setXAxisLabel(QText(kTimeAxisText));
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
    zoomUndone(); // a new set of points starts unzoomed
    PEGraph->setManualMaxY(m_engine.yRange().max);
    PEGraph->setManualMinY(m_engine.yRange().min);
    PEGraph->rebuild();
    PEGraph->setCursorPoint(m_engine.pointsPerPage() - 1);
    refreshReadout();
    refreshStatusBar();
    refreshEnables();
}

void TGraphicalForm::fillGraph(const std::vector<GraphPoint>& points) {
    if (PEGraph->pointCount() != static_cast<int>(points.size())) {
        PEGraph->setPointCount(static_cast<int>(points.size()));
        zoomUndone();
    }
    for (int i = 0; i < static_cast<int>(points.size()); ++i) {
        const GraphPoint& point = points[static_cast<std::size_t>(i)];
        PEGraph->setYData(i, point.y);
        PEGraph->setPointLabel(i, QString::fromLatin1(point.label));
        PEGraph->setBreakBefore(i, m_engine.gapBefore(m_engine.positionOfPoint(i)));
    }
    PEGraph->setManualMaxY(m_engine.yRange().max);
    PEGraph->setManualMinY(m_engine.yRange().min);
    PEGraph->rebuild();
}

void TGraphicalForm::drawPage() {
    fillGraph(m_engine.pagePoints());
    refreshStatistics();
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
        ShowRecordPanels(record, ReadingDataPanel, ReadingUnitPanel, ReadingFuncPanel);
        PEGraph->setYAxisLabel(QString::fromLatin1(
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
    ShowRecordPanels(buffer[static_cast<std::size_t>(e.maxIndex)].main, MaxDataPanel, MaxUnitPanel,
                     MaxFuncPanel);
    ShowRecordPanels(buffer[static_cast<std::size_t>(e.minIndex)].main, MinDataPanel, MinUnitPanel,
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
    if (modifiers != Qt::NoModifier || m_recording || busyFlag().isSet())
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
    zoomUndone();
}

void TGraphicalForm::zoomUndone() {
    sbtnUndoZoom->setEnabled(false);
    miUndoZoom->setEnabled(false);
    refreshStatistics();
}

void TGraphicalForm::GraphLineColorClick() {
    const QColor chosen = m_chooseColor ? m_chooseColor(PEGraph->lineColor())
                                        : QColorDialog::getColor(PEGraph->lineColor(), this);
    if (!chosen.isValid())
        return;
    PEGraph->setLineColor(chosen);
    PEGraph->rebuild();
}

} // namespace ostrel
