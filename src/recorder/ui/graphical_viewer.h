#pragma once
// TFormViewGraphic, the graphical viewer: the recorder's whole sample buffer
// in one graph, screen-sized and modal. Up to 8191 samples every sample is a
// point; a larger buffer is drawn as the smallest and largest sample of each
// of 4096 blocks. Panels show the largest and smallest sample; a click on
// their values puts the cursor on them. Zoom, print and export (through
// TDlgFitExportForm). The window reads the buffer and changes nothing.

#include "recorder/record.h"
#include "recorder/recorder_math.h"
#include "recorder/statistics.h"
#include "recorder/viewer_graph.h"

#include <QDialog>
#include <QFutureWatcher>

class QFrame;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QToolButton;

namespace ostrel {

class GraphAdapter;
class StatisticsPanel;
class TDlgFitExportForm;

// What the recorder hands the viewer before showing it.
struct ViewerSource {
    const SampleBuffer* buffer = nullptr;
    Extremes extremes; // positions of the largest and smallest sample
    YRange yRange;     // the recorder's y range
    // Statistics of the whole buffer when the recorder keeps them (else the
    // viewer takes them itself).
    const SampleStatistics* statistics = nullptr;
};

class TFormViewGraphic : public QDialog {
    Q_OBJECT
  public:
    explicit TFormViewGraphic(QWidget* parent = nullptr);
    ~TFormViewGraphic() override { m_statisticsWatcher.waitForFinished(); }

    // The buffer to show; it must stay unchanged while the window is open.
    void setSource(const ViewerSource& source);
    // The export dialog to use (the one created at start-up); without one the
    // window makes its own.
    void setExportDialog(TDlgFitExportForm* dialog) { m_exportDialog = dialog; }

    // The graph as it stands: the plotted samples and the extremes' points.
    const ViewerGraph& shownGraph() const { return m_shown; }

    // Handlers.
    void FormShow();
    void FormClose();
    void MaxDataPanelClick();
    void MinDataPanelClick();
    void PEGraphViewZoomIn();
    void sbtnUndoZoomClick();
    void sbtnPrintClick();
    void sbtnExportClick();

    // Closing runs FormClose.
    void done(int result) override;

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // The controls; tests and the desktop journeys find them by object name.
    QFrame* DisplayPanel = nullptr;
    QLabel* MaxTimePanel = nullptr;
    QLabel* MaxDataPanel = nullptr;
    QLabel* MaxUnitPanel = nullptr;
    QLabel* MaxFuncPanel = nullptr;
    QLabel* MinTimePanel = nullptr;
    QLabel* MinDataPanel = nullptr;
    QLabel* MinUnitPanel = nullptr;
    QLabel* MinFuncPanel = nullptr;
    QLabel* MaxPFPanel = nullptr;
    QLabel* MinPFPanel = nullptr;
    QLabel* LabelPFMain = nullptr;
    QLabel* LabelPFSub = nullptr;
    QToolButton* sbtnPrint = nullptr;
    QToolButton* sbtnUndoZoom = nullptr;
    QToolButton* sbtnExport = nullptr;
    QPushButton* bbtnClose = nullptr;
    GraphAdapter* PEGraphView = nullptr;

    void buildControls();
    // The largest and smallest sample's panels (and the hidden power factor
    // ones) on the strip above the graph.
    void buildExtremePanels(QHBoxLayout& strip);
    // Print, Undo Zooming, Export and Close, after the panels.
    void buildButtons(QHBoxLayout& strip);
    void connectControls();
    void setUpGraph();
    void fillGraph(const ViewerGraph& graph, float maxY, float minY);
    void showExtremes();
    // The statistics of what the graph shows (when the user shows them).
    void refreshStatistics();
    void showStatistics(const SampleStatistics& statistics);
    TDlgFitExportForm& exportDialog();
    // The buffer shown (empty without a source).
    const SampleBuffer& samples() const;

    ViewerSource m_source;
    ViewerGraph m_shown;
    TDlgFitExportForm* m_exportDialog = nullptr;
    StatisticsPanel* m_statisticsPanel = nullptr;
    // The statistics of a zoomed range are taken off the window thread: a
    // range of a million samples takes a good part of a second.
    QFutureWatcher<SampleStatistics> m_statisticsWatcher;
};

} // namespace ostrel
