// TFormImport: Export (text of sessions, images of the shown page, printed
// pages) through the graph export dialog and the common page export.
#include "base/string_table.h"
#include "base/ui/message_box.h"
#include "graph/ui/export_dialog.h"
#include "graph/ui/page_export.h"
#include "import/session_export.h"
#include "import/ui/import_form.h"

#include <QFile>

namespace ostrel {
namespace {

constexpr int kCannotCreateText = 7156; // "Cannot create file %s"

} // namespace

void TFormImport::sbtnExportClick() {
    TDlgExportForm* dialog = m_services.exportDialog;
    if (!m_engine.enables().hasData || !dialog)
        return;
    dialog->prepareForPages(std::max(m_engine.pageCount(), 1));
    if (runModal(*dialog) != QDialog::Accepted)
        return;
    PagedGraph graph{PEGraph, [this](int page) { ShowPage(page - 1); }, m_engine.currentPage() + 1,
                     m_engine.pageCount()};
    graph.printer = m_printer.get();
    RunPageExport(this, dialog->request(), graph, [this](const std::string& path, PageSpan pages) {
        return exportText(path, pages);
    });
}

int TFormImport::exportText(const std::string& path, const PageSpan& pages) {
    const QString qpath = QString::fromStdString(path);
    const std::string name = QFile::encodeName(qpath).toStdString();
    setCursor(Qt::WaitCursor);
    setBusy(true);
    bool written = false;
    LongWork work;
    work.runLettingEvents([&](WorkProgress&) {
        written = WriteSessionExport(name, m_engine.sessions(), pages.first, pages.last, true);
    });
    setBusy(false);
    unsetCursor();
    if (written)
        return 0;
    // The window's data is untouched; an earlier file of that name too.
    MessageRequest message;
    message.owner = this;
    message.caption = QNumberedCaption(kErrorCaption, kCannotCreateText);
    message.text = QString::fromStdString(FormatText(kCannotCreateText, {path}));
    message.icon = MessageIcon::Stop;
    ShowMessage(message);
    return -1; // told here
}

} // namespace ostrel
