#pragma once
// Carries out an export request of a paged graph (the recorder's pages, the
// import window's sessions): text to a file, a picture of the viewed page to
// the clipboard or a file, or pages to the printer; afterwards the viewed
// page is shown again. Refusals and failures are told as numbered messages.
// The one export path of every graph window: the recorder, the viewer's
// pictures and the import window go through it.

#include "graph/export_request.h"

#include <QSize>

#include <functional>
#include <string>

class QPrinter;
class QWidget;

namespace ostrel {

class GraphAdapter;

struct PagedGraph {
    GraphAdapter* graph = nullptr;
    // Fill the graph with a page (1-based).
    std::function<void(int page)> showPage;
    int viewedPage = 1;
    int lastPage = 1;
    // The printer of the window's own Printer Setup; null: the run's printer.
    QPrinter* printer = nullptr;
};

// Write the text export of pages to path, replacing it whole. Returns 0 when
// written, else the number of the message to show, or -1 when the writer has
// told the user itself.
using WritePagesText = std::function<int(const std::string& path, PageSpan pages)>;

// Run the request. Returns 0 when the output was made, else the number of the
// message shown (nothing is then written); -1 when the user cancelled the
// print dialog that stood in for a missing printer.
int RunPageExport(QWidget* owner, const ExportRequest& request, const PagedGraph& graph,
                  const WritePagesText& writeText);

// A picture of the graph as it stands, of the request's type and size, to the
// clipboard or the request's file. A metafile is SVG of the size in
// hundredths of a millimetre exactly; on the clipboard it comes with an image
// of it at 96 dots per inch. Returns 0, or 9005 when the file was not written.
int ExportGraphPicture(const ExportRequest& request, const GraphAdapter& graph);

// The pixels at 96 dots per inch of width × height hundredths of a millimetre.
QSize MetafilePixels(int width, int height);

} // namespace ostrel
