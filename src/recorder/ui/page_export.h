#pragma once
// Carries out an export request of a paged graph (the recorder's pages, the
// import window's sessions): text to a file, a picture of the viewed page to
// the clipboard or a file, or pages to the printer; afterwards the viewed
// page is shown again. Refusals and failures are told as numbered messages.

#include "recorder/export_request.h"
#include "recorder/ui/graph_printing.h"

#include <functional>
#include <string>

class QWidget;

namespace ostrel {

struct PagedGraph {
    PaintGraph paint;
    std::function<void(bool monochrome)> setMonochrome;
    // Fill the graph with a page (1-based).
    std::function<void(int page)> showPage;
    int viewedPage = 1;
    int lastPage = 1;
};

// Write the text export of pages to path, replacing it whole; false when it
// could not be written.
using WritePagesText = std::function<bool(const std::string& path, PageSpan pages)>;

// The title of exported drawings.
inline constexpr const char* kGraphTitle = "Data Logger";

// Run the request. Returns 0 when the output was made, else the number of the
// message shown (nothing is then written; the printer's dialog cancelled
// gives -1 and no message).
int RunPageExport(QWidget* owner, const ExportRequest& request, const PagedGraph& graph,
                  const WritePagesText& writeText);

// A picture of the graph as it stands to the clipboard or a file, of the
// request's type and size. Returns 0, or the message to show (9005).
int ExportGraphPicture(const ExportRequest& request, const PaintGraph& paint);

} // namespace ostrel
