#include "graph/ui/graph_printing.h"

#include "base/string_table.h"
#include "base/ui/message_box.h"
#include "graph/ui/graph_adapter.h"

#include <QCoreApplication>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include <algorithm>
#include <utility>

namespace ostrel {
namespace {

PrintDialogAnswerer& Answerer() {
    static PrintDialogAnswerer answerer;
    return answerer;
}

bool RunDialog(QWidget* owner, QPrinter& printer, PrintDialogKind kind) {
    if (Answerer())
        return Answerer()(printer, kind);
    if (kind == PrintDialogKind::PageSetup) {
        QPageSetupDialog dialog(&printer, owner);
        return dialog.exec() == QDialog::Accepted;
    }
    QPrintDialog dialog(&printer, owner);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    return dialog.exec() == QDialog::Accepted;
}

bool PrintsToFile(const QPrinter& printer) {
    return printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty();
}

// The graph's rectangle on a sheet: the printable width, the height in the
// proportion of the default bitmap, within the printable height.
QRect GraphRect(const QPrinter& printer) {
    const QSizeF page = printer.pageLayout().paintRectPixels(printer.resolution()).size();
    const QSizeF graph = QSizeF(kBitmapWidth, kBitmapHeight).scaled(page, Qt::KeepAspectRatio);
    return {0, 0, std::max(1, int(graph.width())), std::max(1, int(graph.height()))};
}

} // namespace

QPrinter& RunPrinter() {
    // Released with the application, while the print system is still there.
    static QPrinter* printer = [] {
        qAddPostRoutine([] { delete std::exchange(printer, nullptr); });
        return new QPrinter;
    }();
    return *printer;
}

bool PrinterInstalled() {
    return !QPrinterInfo::availablePrinterNames().isEmpty();
}

PrintDialogAnswerer SetPrintDialogAnswerer(PrintDialogAnswerer answerer) {
    PrintDialogAnswerer previous = std::move(Answerer());
    Answerer() = std::move(answerer);
    return previous;
}

bool AskPrint(QWidget* owner, QPrinter& printer) {
    if (!PrintsToFile(printer) && !PrinterInstalled())
        ShowNumberedMessage(owner, kWarningCaption, kMsgNoPrinter);
    return RunDialog(owner, printer, PrintDialogKind::Print);
}

bool AskPageSetup(QWidget* owner, QPrinter& printer) {
    return RunDialog(owner, printer, PrintDialogKind::PageSetup);
}

bool ReadyToPrint(QWidget* owner, QPrinter& printer) {
    if (PrintsToFile(printer) || PrinterInstalled())
        return true;
    ShowNumberedMessage(owner, kWarningCaption, kMsgNoPrinter);
    return RunDialog(owner, printer, PrintDialogKind::Print);
}

bool PrintGraphPages(QPrinter& printer, PageSpan pages, const GraphPrintJob& job) {
    if (pages.empty())
        return true;
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    for (int page = pages.first; page <= pages.last; ++page) {
        if (page != pages.first)
            printer.newPage();
        if (job.showPage)
            job.showPage(page);
        job.graph->replotNow(); // the page drawn before it goes on the sheet
        job.graph->setViewingStyle(GraphAdapter::ViewingStyle::Monochrome);
        job.graph->paintOn(painter, GraphRect(printer));
        job.graph->setViewingStyle(GraphAdapter::ViewingStyle::Color);
    }
    return painter.end();
}

void PrintShownGraph(QWidget* owner, GraphAdapter& graph, bool askFirst) {
    QPrinter& printer = RunPrinter();
    if (!(askFirst ? AskPrint(owner, printer) : ReadyToPrint(owner, printer)))
        return;
    if (!PrintGraphPages(printer, {1, 1}, {&graph, nullptr}))
        ShowNumberedMessage(owner, kErrorCaption, kMsgPrintFailed);
    graph.rebuild();
}

} // namespace ostrel
