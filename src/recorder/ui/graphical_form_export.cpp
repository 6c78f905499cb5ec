// TGraphicalForm: export of pages (text, pictures, printed pages), Print this
// page, Printer Setup, and the whole buffer in the graphical viewer.
#include "recorder/ui/graphical_form.h"

#include "graph/ui/export_dialog.h"
#include "graph/ui/graph_adapter.h"
#include "graph/ui/graph_printing.h"
#include "graph/ui/page_export.h"
#include "recorder/text_export.h"
#include "recorder/ui/graphical_viewer.h"

namespace ostrel {

void TGraphicalForm::sbtnExportClick() {
    auto* dialog = qobject_cast<TDlgExportForm*>(m_with.exportDialog);
    if (!dialog)
        return;
    const int lastPage = m_engine.lastPage();
    dialog->prepareForPages(lastPage);
    if (runDialog(*dialog) != QDialog::Accepted)
        return;
    const PagedGraph graph{
        PEGraph,
        [this, lastPage](int page) {
            fillGraph(FillPage(m_engine.buffer(), m_engine.pointsPerPage(), lastPage, page));
        },
        m_engine.viewedPage(), lastPage};
    const WritePagesText writeText = [this](const std::string& path, PageSpan pages) {
        return ExportTextFile(path, m_engine.buffer(), m_engine.pointsPerPage(), pages.first,
                              pages.last)
                   ? 0
                   : kMsgFileSaveError;
    };
    RunPageExport(this, dialog->request(), graph, writeText);
    drawPage();
}

void TGraphicalForm::sbtnPrintGraphicClick() {
    PrintShownGraph(this, *PEGraph, true);
}

void TGraphicalForm::PrinterSetupClick() {
    AskPageSetup(this, RunPrinter());
}

void TGraphicalForm::sbtnFitViewClick() {
    auto* viewer = qobject_cast<TFormViewGraphic*>(m_with.viewer);
    if (!viewer)
        return;
    viewer->setSource(
        {&m_engine.buffer(), m_engine.extremes(), m_engine.yRange(), &m_engine.statistics()});
    runDialog(*viewer);
}

} // namespace ostrel
