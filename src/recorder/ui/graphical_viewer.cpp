#include "recorder/ui/graphical_viewer.h"

#include "base/string_table.h"
#include "base/ui/app_windows.h"
#include "base/ui/message_box.h"
#include "base/ui/pictures.h"
#include "graph/ui/export_dialog.h"
#include "graph/ui/graph_adapter.h"
#include "graph/ui/graph_printing.h"
#include "graph/ui/graph_window_texts.h"
#include "graph/ui/page_export.h"
#include "graph/ui/statistics_panel.h"
#include "recorder/ui/record_panels.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

namespace ostrel {
namespace {

// The graph the viewer keeps while hidden holds this many samples.
constexpr int kHiddenPoints = 100;
constexpr int kShownSamplesText = 7236;
constexpr int kViewerCaptionText = 105; // "Graphical viewer"
constexpr int kViewerCloseText = 7004;  // "Close"

QLabel* Panel(const char* name, int width, QWidget* parent) {
    auto* panel = new QLabel(parent);
    panel->setObjectName(QLatin1String(name));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setAlignment(Qt::AlignCenter);
    panel->setMinimumWidth(width);
    return panel;
}

// A tool button with the recorder's picture of the same command.
QToolButton* ToolButton(const char* name, const char* picture, int hint, QWidget* parent) {
    QToolButton* button = MakeToolButton(parent, name, ButtonPicture(picture), hint);
    button->setIconSize(QSize(20, 20));
    return button;
}

QString Latin1(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// The time, data, unit and function panels of the sample at position; blank
// without one.
void ShowSample(const SampleBuffer& buffer, std::int64_t position, QLabel* time, QLabel* data,
                QLabel* unit, QLabel* function) {
    const bool there = position >= 0 && static_cast<std::size_t>(position) < buffer.size();
    const TBRecord record = there ? buffer[static_cast<std::size_t>(position)].main : TBRecord{};
    time->setText(QString::fromLatin1(FieldView(record.timeText)));
    ShowRecordPanels(record, data, unit, function);
}

} // namespace

const SampleBuffer& TFormViewGraphic::samples() const {
    static const SampleBuffer none;
    return m_source.buffer ? *m_source.buffer : none;
}

TFormViewGraphic::TFormViewGraphic(QWidget* parent) : QDialog(parent) {
    setObjectName("FormViewGraphic");
    setWindowTitle(QText(kViewerCaptionText));
    setWindowIcon(ResourceIcon(7));
    setModal(true);
    buildControls();
    setUpGraph();
}

void TFormViewGraphic::buildControls() {
    DisplayPanel = new QFrame(this);
    DisplayPanel->setObjectName("DisplayPanel");
    DisplayPanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    auto* strip = new QHBoxLayout(DisplayPanel);
    strip->setContentsMargins(6, 3, 6, 3);
    buildExtremePanels(*strip);
    buildButtons(*strip);

    PEGraphView = new GraphAdapter(this);
    PEGraphView->setObjectName("PEGraphView");
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(DisplayPanel);
    column->addWidget(PEGraphView, 1);
    m_statisticsPanel = new StatisticsPanel(this);
    m_statisticsPanel->hide();
    column->addWidget(m_statisticsPanel);
    connectControls();
}

void TFormViewGraphic::buildExtremePanels(QHBoxLayout& strip) {
    const auto label = [this](const QString& text) {
        auto* l = new QLabel(text, DisplayPanel);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        return l;
    };
    MaxTimePanel = Panel("MaxTimePanel", 72, DisplayPanel);
    MaxDataPanel = Panel("MaxDataPanel", 64, DisplayPanel);
    MaxUnitPanel = Panel("MaxUnitPanel", 26, DisplayPanel);
    MaxFuncPanel = Panel("MaxFuncPanel", 44, DisplayPanel);
    MinTimePanel = Panel("MinTimePanel", 72, DisplayPanel);
    MinDataPanel = Panel("MinDataPanel", 64, DisplayPanel);
    MinUnitPanel = Panel("MinUnitPanel", 26, DisplayPanel);
    MinFuncPanel = Panel("MinFuncPanel", 44, DisplayPanel);
    MaxPFPanel = Panel("MaxPFPanel", 40, DisplayPanel);
    MinPFPanel = Panel("MinPFPanel", 40, DisplayPanel);
    LabelPFMain = new QLabel(DisplayPanel);
    LabelPFMain->setObjectName("LabelPFMain");
    LabelPFSub = new QLabel(DisplayPanel);
    LabelPFSub->setObjectName("LabelPFSub");
    for (QWidget* hidden :
         std::initializer_list<QWidget*>{MaxPFPanel, MinPFPanel, LabelPFMain, LabelPFSub})
        hidden->hide();
    for (QLabel* clickable : {MaxDataPanel, MinDataPanel}) {
        clickable->setCursor(Qt::PointingHandCursor);
        clickable->installEventFilter(this);
    }
    strip.addWidget(label(QStringLiteral("Max.")));
    for (QLabel* p : {MaxTimePanel, MaxDataPanel, MaxUnitPanel, MaxFuncPanel})
        strip.addWidget(p);
    strip.addSpacing(8);
    strip.addWidget(label(QStringLiteral("Min.")));
    for (QLabel* p : {MinTimePanel, MinDataPanel, MinUnitPanel, MinFuncPanel})
        strip.addWidget(p);
    strip.addSpacing(8);
}

void TFormViewGraphic::buildButtons(QHBoxLayout& strip) {
    sbtnPrint = ToolButton("sbtnPrint", "recorder_print", kPrintHint, DisplayPanel);
    sbtnUndoZoom = ToolButton("sbtnUndoZoom", "recorder_unzoom", kUndoZoomHint, DisplayPanel);
    sbtnExport = ToolButton("sbtnExport", "recorder_export", kExportHint, DisplayPanel);
    sbtnUndoZoom->setEnabled(false);
    for (QToolButton* b : {sbtnPrint, sbtnUndoZoom, sbtnExport})
        strip.addWidget(b);
    strip.addStretch();
    bbtnClose = new QPushButton(QText(kViewerCloseText), DisplayPanel);
    bbtnClose->setObjectName("bbtnClose");
    strip.addWidget(bbtnClose);
}

void TFormViewGraphic::connectControls() {
    connect(sbtnPrint, &QToolButton::clicked, this, &TFormViewGraphic::sbtnPrintClick);
    connect(sbtnUndoZoom, &QToolButton::clicked, this, &TFormViewGraphic::sbtnUndoZoomClick);
    connect(sbtnExport, &QToolButton::clicked, this, &TFormViewGraphic::sbtnExportClick);
    connect(bbtnClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(PEGraphView, &GraphAdapter::zoomed, this, &TFormViewGraphic::PEGraphViewZoomIn);
    connect(PEGraphView, &GraphAdapter::zoomed, this, &TFormViewGraphic::refreshStatistics);
    connect(&m_statisticsWatcher, &QFutureWatcher<SampleStatistics>::finished, this, [this] {
        if (!m_statisticsWatcher.isCanceled())
            showStatistics(m_statisticsWatcher.result());
    });
}

void TFormViewGraphic::setUpGraph() {
    GraphAdapter& g = *PEGraphView;
    g.setMainTitle(QText(kDataLoggerText));
    g.setSubTitle(QString());
    g.setYAxisLabel(QStringLiteral("Reading"));
    g.setXAxisLabel(QStringLiteral("Time"));
    const QPalette palette = QApplication::palette();
    g.setDeskColor(palette.color(QPalette::Button));
    // Axes and their texts in the window's text colour, so that they stay
    // readable on the button-face desk.
    g.setGraphForeColor(palette.color(QPalette::ButtonText));
    g.setGraphBackColor(Qt::white);
    g.setLineColor(QColor(0, 0, 255));
    g.setWidestLabel(QStringLiteral("00:00:00.000"));
    g.setManualMaxY(100.0);
    g.setManualMinY(-100.0);
    g.setPointCount(kHiddenPoints);
    g.rebuild();
}

void TFormViewGraphic::setSource(const ViewerSource& source) {
    m_source = source;
}

void TFormViewGraphic::fillGraph(const ViewerGraph& graph, float maxY, float minY) {
    GraphAdapter& g = *PEGraphView;
    const auto points = static_cast<int>(graph.points());
    g.setPointCount(points);
    g.setManualMaxY(maxY);
    g.setManualMinY(minY);
    for (int i = 0; i < points; ++i) {
        g.setYData(i, graph.y[static_cast<std::size_t>(i)]);
        g.setPointLabel(i, Latin1(graph.labels[static_cast<std::size_t>(i)]));
    }
    g.rebuild();
}

void TFormViewGraphic::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TFormViewGraphic::FormShow() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // The whole screen, frame included.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        const QSize frame = frameGeometry().size() - geometry().size();
        move(area.topLeft());
        resize(area.size() - frame);
    }
    PEGraphView->setFocus();

    m_shown = BuildViewerGraph(samples(), m_source.extremes);
    fillGraph(m_shown, m_source.yRange.max, m_source.yRange.min);
    PEGraphView->setCursorPoint(0);
    PEGraphView->undoZoom();
    sbtnUndoZoom->setEnabled(false);
    showExtremes();
    m_statisticsPanel->setVisible(StatisticsPanelsShown());
    refreshStatistics();
    QApplication::restoreOverrideCursor();
}

void TFormViewGraphic::showExtremes() {
    ShowSample(samples(), m_source.extremes.maxIndex, MaxTimePanel, MaxDataPanel, MaxUnitPanel,
               MaxFuncPanel);
    ShowSample(samples(), m_source.extremes.minIndex, MinTimePanel, MinDataPanel, MinUnitPanel,
               MinFuncPanel);
}

void TFormViewGraphic::done(int result) {
    QDialog::done(result);
    FormClose();
}

void TFormViewGraphic::FormClose() {
    // The worker reads the buffer, which is free again once this window closes.
    m_statisticsWatcher.waitForFinished();
    // Keep a small graph while hidden: the first samples, the default range.
    m_shown = FirstSamplesGraph(samples(), kHiddenPoints);
    fillGraph(m_shown, 100.0f, -100.0f);
    m_source = {};
}

bool TFormViewGraphic::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == MaxDataPanel) {
            MaxDataPanelClick();
            return true;
        }
        if (watched == MinDataPanel) {
            MinDataPanelClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFormViewGraphic::MaxDataPanelClick() {
    PEGraphView->setCursorPoint(static_cast<int>(m_shown.maxPoint));
}

void TFormViewGraphic::MinDataPanelClick() {
    PEGraphView->setCursorPoint(static_cast<int>(m_shown.minPoint));
}

void TFormViewGraphic::PEGraphViewZoomIn() {
    sbtnUndoZoom->setEnabled(true);
}

void TFormViewGraphic::sbtnUndoZoomClick() {
    PEGraphView->undoZoom();
    sbtnUndoZoom->setEnabled(false);
    refreshStatistics();
}

void TFormViewGraphic::refreshStatistics() {
    if (m_statisticsPanel->isHidden())
        return;
    // A newer range replaces one still being taken.
    m_statisticsWatcher.cancel();
    m_statisticsWatcher.waitForFinished();
    const SampleBuffer& buffer = samples();
    if (!PEGraphView->isZoomed()) {
        showStatistics(m_source.statistics ? *m_source.statistics
                                           : StatisticsOf(buffer, 0, buffer.size()));
        return;
    }
    const auto [first, last] = PEGraphView->shownPoints();
    if (first > last) {
        showStatistics(SampleStatistics{});
        return;
    }
    // The samples between the first and the last point shown (a point of a
    // large buffer stands for a block of them).
    const auto position = [this](int point) {
        return m_shown.oneToOne ? static_cast<std::int64_t>(point)
                                : m_shown.positions[static_cast<std::size_t>(point)];
    };
    const auto from = static_cast<std::size_t>(std::min(position(first), position(last)));
    const auto to = std::min(
        buffer.size(), static_cast<std::size_t>(std::max(position(first), position(last))) + 1);
    m_statisticsWatcher.setFuture(
        QtConcurrent::run([&buffer, from, to] { return StatisticsOf(buffer, from, to); }));
}

void TFormViewGraphic::showStatistics(const SampleStatistics& statistics) {
    m_statisticsPanel->showRuns({StatisticsRunOf(
        FormatText(kShownSamplesText, {std::to_string(statistics.samples())}), statistics)});
}

void TFormViewGraphic::sbtnPrintClick() {
    PrintShownGraph(this, *PEGraphView, true);
}

TDlgFitExportForm& TFormViewGraphic::exportDialog() {
    if (!m_exportDialog)
        m_exportDialog = new TDlgFitExportForm(this);
    return *m_exportDialog;
}

void TFormViewGraphic::sbtnExportClick() {
    TDlgFitExportForm& dialog = exportDialog();
    dialog.prepareForViewer();
    if (dialog.exec() != QDialog::Accepted)
        return;
    const ExportRequest request = dialog.request();
    const ExportPlan plan = PlanPageExport(request, 1, 1);
    int message = plan.message;
    switch (plan.action) {
    case ExportAction::ImageToClipboard:
    case ExportAction::ImageToFile:
        message = ExportGraphPicture(request, *PEGraphView);
        break;
    case ExportAction::PrintPages:
        // A bitmap goes through the print dialog; a metafile prints at once.
        PrintShownGraph(this, *PEGraphView, request.type == ExportType::BitMap);
        break;
    case ExportAction::WriteText:
    case ExportAction::None:
        break;
    }
    if (message > 0)
        ShowNumberedMessage(this, kErrorCaption, message);
}

} // namespace ostrel
