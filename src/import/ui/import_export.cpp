// TFormImport: Export (text of sessions, images of the shown page, printed
// pages) through the graph export dialog.
#include "base/string_table.h"
#include "base/ui/message_box.h"
#include "import/session_export.h"
#include "import/ui/import_form.h"
#include "recorder/ui/export_dialog.h"
#include "recorder/ui/graph_adapter.h"

#include <QFile>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

namespace ostrel {
namespace {

constexpr double kScreenDpi = 96.0;

// A metafile's size in hundredths of a millimetre, as pixels at 96 dots per inch.
QSize MetafilePixels(int width, int height) {
    const auto pixels = [](int hundredths) {
        return std::max(1, static_cast<int>(hundredths / 100.0 / 25.4 * kScreenDpi + 0.5));
    };
    return QSize(pixels(width), pixels(height));
}

} // namespace

void TFormImport::sbtnExportClick() {
    TDlgExportForm* dialog = m_services.exportDialog;
    if (!m_engine.enables().hasData || !dialog)
        return;
    dialog->prepareForPages(std::max(m_engine.pageCount(), 1));
    if (runModal(*dialog) != QDialog::Accepted)
        return;
    const ExportRequest request = dialog->request();
    const ExportPlan plan =
        PlanPageExport(request, m_engine.currentPage() + 1, m_engine.pageCount());
    if (plan.message != 0) {
        ShowNumberedMessage(this, kErrorCaption, plan.message);
        return;
    }
    switch (plan.action) {
    case ExportAction::WriteText:
        exportText(request, plan.pages);
        break;
    case ExportAction::ImageToClipboard:
    case ExportAction::ImageToFile:
        exportImage(request, plan.pages, plan.action);
        break;
    case ExportAction::PrintPages:
        printPages(plan.pages);
        break;
    case ExportAction::None:
        break;
    }
}

void TFormImport::exportText(const ExportRequest& request, const PageSpan& pages) {
    const QString path = QString::fromStdString(request.fileName);
    const std::string name = QFile::encodeName(path).toStdString();
    setCursor(Qt::WaitCursor);
    setBusy(true);
    bool written = false;
    LongWork work;
    work.runLettingEvents([&](WorkProgress&) {
        written = WriteSessionExport(name, m_engine.sessions(), pages.first, pages.last, true);
    });
    setBusy(false);
    unsetCursor();
    if (!written) {
        // The window's data is untouched; an earlier file of that name too.
        MessageRequest message;
        message.owner = this;
        message.caption = QNumberedCaption(kErrorCaption, 7156);
        message.text = QString::fromStdString(FormatText(7156, {path.toStdString()}));
        message.icon = MessageIcon::Stop;
        ShowMessage(message);
    }
}

void TFormImport::exportImage(const ExportRequest& request, const PageSpan& pages,
                              ExportAction action) {
    const int width = ObjectSide(request.width);
    const int height = ObjectSide(request.height);
    const QString path = QString::fromStdString(request.fileName);
    bool saved = true;
    for (int p = pages.first; p <= pages.last; ++p) {
        ShowPage(p - 1);
        PEGraph->replotNow();
        if (request.type == ExportType::BitMap) {
            if (action == ExportAction::ImageToClipboard)
                PEGraph->copyBitmapToClipboard(QSize(width, height));
            else
                saved = PEGraph->saveBitmap(path, QSize(width, height)) && saved;
        } else {
            const QSize size = MetafilePixels(width, height);
            if (action == ExportAction::ImageToClipboard)
                PEGraph->copySvgToClipboard(size, kScreenDpi);
            else
                saved = PEGraph->saveSvg(path, size, kScreenDpi) && saved;
        }
    }
    ShowPage(m_engine.currentPage());
    if (!saved)
        ShowNumberedMessage(this, kErrorCaption, kMsgFileSaveError);
}

void TFormImport::printPages(const PageSpan& pages) {
    QPrinter& printer = *m_printer;
    if (printer.outputFormat() == QPrinter::NativeFormat &&
        QPrinterInfo::availablePrinters().isEmpty()) {
        ShowNumberedMessage(this, kErrorCaption, kMsgNoPrinter);
        return;
    }
    QPainter painter;
    if (!painter.begin(&printer)) {
        ShowNumberedMessage(this, kErrorCaption, kMsgNoPrinter);
        return;
    }
    // One sheet per page, in black on white; the window's colours come back after each.
    for (int p = pages.first; p <= pages.last; ++p) {
        ShowPage(p - 1);
        PEGraph->setViewingStyle(GraphAdapter::ViewingStyle::Monochrome);
        PEGraph->replotNow();
        PEGraph->paintOn(painter, QRectF(painter.viewport()));
        PEGraph->setViewingStyle(GraphAdapter::ViewingStyle::Color);
        PEGraph->rebuild();
        if (p < pages.last)
            printer.newPage();
    }
    painter.end();
    ShowPage(m_engine.currentPage());
}

} // namespace ostrel
