#include "recorder/ui/page_export.h"

#include "base/string_table.h"
#include "base/ui/message_box.h"

#include <QCoreApplication>
#include <QPrinter>

namespace ostrel {

int ExportGraphPicture(const ExportRequest& request, const PaintGraph& paint) {
    const double width = ObjectSide(request.width);
    const double height = ObjectSide(request.height);
    const bool toFile = request.destination == ExportDestination::File;
    const QString path = QString::fromStdString(request.fileName);
    if (request.type == ExportType::BitMap) {
        const QImage image = GraphImage(paint, QSize(int(width), int(height)));
        if (!toFile) {
            CopyGraphToClipboard(image);
            return 0;
        }
        return SaveGraphImage(image, path) ? 0 : kMsgFileSaveError;
    }
    const QByteArray svg = GraphSvg(paint, width, height, QString::fromLatin1(kGraphTitle));
    if (!toFile) {
        CopyGraphToClipboard(GraphImage(paint, SvgPixels(width, height)), svg);
        return 0;
    }
    return SaveGraphFile(svg, path) ? 0 : kMsgFileSaveError;
}

namespace {

int Run(QWidget* owner, const ExportPlan& plan, const ExportRequest& request,
        const PagedGraph& graph, const WritePagesText& writeText) {
    switch (plan.action) {
    case ExportAction::WriteText:
        return writeText(request.fileName, plan.pages) ? 0 : kMsgFileSaveError;
    case ExportAction::ImageToClipboard:
    case ExportAction::ImageToFile:
        graph.showPage(plan.pages.first);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        return ExportGraphPicture(request, graph.paint);
    case ExportAction::PrintPages: {
        QPrinter& printer = RunPrinter();
        if (!ReadyToPrint(owner, printer))
            return -1;
        const GraphPrintJob job{graph.paint, graph.setMonochrome, graph.showPage};
        return PrintGraphPages(printer, plan.pages, job) ? 0 : kMsgPrintFailed;
    }
    case ExportAction::None:
        break;
    }
    return 0;
}

} // namespace

int RunPageExport(QWidget* owner, const ExportRequest& request, const PagedGraph& graph,
                  const WritePagesText& writeText) {
    const ExportPlan plan = PlanPageExport(request, graph.viewedPage, graph.lastPage);
    int message = plan.message;
    if (message == 0) {
        message = Run(owner, plan, request, graph, writeText);
        if (plan.action != ExportAction::WriteText)
            graph.showPage(graph.viewedPage);
    }
    if (message > 0)
        ShowNumberedMessage(owner, kErrorCaption, message);
    return message;
}

} // namespace ostrel
