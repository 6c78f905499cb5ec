#include "graph/ui/page_export.h"

#include "base/string_table.h"
#include "base/ui/message_box.h"
#include "graph/ui/graph_adapter.h"
#include "graph/ui/graph_printing.h"

#include <QPrinter>

#include <algorithm>
#include <cmath>

namespace ostrel {
namespace {

// An SVG drawn at this resolution has one pixel per hundredth of a millimetre.
constexpr double kHundredthsPerInch = 2540.0;
constexpr double kScreenDotsPerInch = 96.0;

int Run(QWidget* owner, const ExportPlan& plan, const ExportRequest& request,
        const PagedGraph& graph, const WritePagesText& writeText) {
    switch (plan.action) {
    case ExportAction::WriteText:
        return writeText(request.fileName, plan.pages);
    case ExportAction::ImageToClipboard:
    case ExportAction::ImageToFile:
        graph.showPage(plan.pages.first);
        graph.graph->replotNow(); // the page drawn before its picture is taken
        return ExportGraphPicture(request, *graph.graph);
    case ExportAction::PrintPages: {
        QPrinter& printer = graph.printer ? *graph.printer : RunPrinter();
        if (!ReadyToPrint(owner, printer))
            return -1;
        return PrintGraphPages(printer, plan.pages, {graph.graph, graph.showPage})
                   ? 0
                   : kMsgPrintFailed;
    }
    case ExportAction::None:
        break;
    }
    return 0;
}

} // namespace

QSize MetafilePixels(int width, int height) {
    const auto pixels = [](int hundredths) {
        return std::max(
            1, static_cast<int>(std::lround(hundredths / kHundredthsPerInch * kScreenDotsPerInch)));
    };
    return {pixels(width), pixels(height)};
}

int ExportGraphPicture(const ExportRequest& request, const GraphAdapter& graph) {
    const QSize size(ObjectSide(request.width), ObjectSide(request.height));
    const bool toFile = request.destination == ExportDestination::File;
    const QString path = QString::fromStdString(request.fileName);
    bool written = true;
    if (request.type == ExportType::BitMap) {
        if (toFile)
            written = graph.saveBitmap(path, size);
        else
            graph.copyBitmapToClipboard(size);
    } else if (toFile) {
        written = graph.saveSvg(path, size, kHundredthsPerInch);
    } else {
        graph.copySvgToClipboard(MetafilePixels(size.width(), size.height()), kScreenDotsPerInch);
    }
    return written ? 0 : kMsgFileSaveError;
}

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
