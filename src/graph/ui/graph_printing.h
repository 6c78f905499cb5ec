#pragma once
// Printing of graphs: the printer of the run (Printer Setup's choices stay
// until the program ends), the print and page set-up dialogs behind one
// answerer that tests can replace, a clear word when no printer is installed,
// and the printing of graph pages in monochrome style.

#include "graph/export_request.h"

#include <functional>

class QPrinter;
class QWidget;

namespace ostrel {

class GraphAdapter;

// The printer every print command of the run uses.
QPrinter& RunPrinter();

// True when the system offers at least one printer.
bool PrinterInstalled();

enum class PrintDialogKind { Print, PageSetup };

// Answers a dialog instead of the user: true for OK, after changing the
// printer as the user would.
using PrintDialogAnswerer = std::function<bool(QPrinter&, PrintDialogKind)>;
// Install an answerer (nullptr: the real dialogs again). Returns the previous one.
PrintDialogAnswerer SetPrintDialogAnswerer(PrintDialogAnswerer answerer);

// The print dialog for one page on printer; false when cancelled. Without a
// printer installed it first says that a PDF file can be chosen instead.
bool AskPrint(QWidget* owner, QPrinter& printer);
// The page set-up dialog on printer; false when cancelled.
bool AskPageSetup(QWidget* owner, QPrinter& printer);
// Before printing without a dialog: true when printer has somewhere to print
// to; else says there is no printer and lets the user choose in the print
// dialog (false when cancelled).
bool ReadyToPrint(QWidget* owner, QPrinter& printer);

struct GraphPrintJob {
    GraphAdapter* graph = nullptr;
    // Fill the graph with a page (1-based); empty for a graph of one page.
    std::function<void(int page)> showPage;
};

// Print the graph as it stands on one sheet of the run's printer, after the
// print dialog (askFirst) or, without it, once there is somewhere to print.
// A printer that does not start is told (9045). The graph is rebuilt after.
void PrintShownGraph(QWidget* owner, GraphAdapter& graph, bool askFirst);

// Print the pages, one sheet each, in monochrome style, the graph across the
// sheet's printable width. Events run after each page is filled. The colour
// style is restored afterwards. False when the printer could not start.
bool PrintGraphPages(QPrinter& printer, PageSpan pages, const GraphPrintJob& job);

} // namespace ostrel
