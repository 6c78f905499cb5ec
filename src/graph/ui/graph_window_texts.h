#pragma once
// The string-table numbers of the texts that the recorder's and the import
// window's graph windows both show: their common menu items, the hints of
// their common buttons, the captions of the graph and its panels, and the
// questions and messages of their files and pages. The save error is
// kMsgFileSaveError (graph/export_request.h).

namespace ostrel {

// The File and View menus.
inline constexpr int kFileMenuText = 501;         // "&File"
inline constexpr int kExitItemText = 509;         // "E&xit"
inline constexpr int kOpenItemText = 510;         // "&Open..."
inline constexpr int kSaveAsItemText = 511;       // "Save &As..."
inline constexpr int kImportItemText = 513;       // "&Import data from DMM"
inline constexpr int kExportItemText = 514;       // "E&xport ..."
inline constexpr int kPrintItemText = 515;        // "&Print this page ..."
inline constexpr int kPrinterSetupItemText = 516; // "Printer Set&up..."
inline constexpr int kViewMenuText = 530;         // "&View"
inline constexpr int kLineColourItemText = 537;   // "Graph Line &Color"

// The hints of the tool buttons.
inline constexpr int kPrintHint = 1044;     // "Print this page"
inline constexpr int kImportHint = 1046;    // "Import data from DMM"
inline constexpr int kOpenHint = 1047;      // "Open file..."
inline constexpr int kSaveHint = 1048;      // "Save file as..."
inline constexpr int kFirstPageHint = 1049; // "First page"
inline constexpr int kPageUpHint = 1050;    // "Page up"
inline constexpr int kPageDownHint = 1051;  // "Page down"
inline constexpr int kLastPageHint = 1052;  // "Last page"
inline constexpr int kUndoZoomHint = 1053;  // "Undo Zooming"
inline constexpr int kExportHint = 1054;    // "Export..."

// The graph and the panels of the extremes.
inline constexpr int kDataLoggerText = 108;   // "Data Logger"
inline constexpr int kMaxCaptionText = 7021;  // "Max."
inline constexpr int kMinCaptionText = 7022;  // "Min."
inline constexpr int kReadingAxisText = 7023; // "Reading"
inline constexpr int kTimeAxisText = 7024;    // "Time"

// Buttons, questions and messages.
inline constexpr int kOkText = 7154;     // "OK"
inline constexpr int kCancelText = 7155; // "Cancel"
// "Do you want to save the data to a file before exit ?"
inline constexpr int kSaveQuestionText = 7005;
// "Do you really want to clear the data in buffer ?"
inline constexpr int kClearQuestionText = 8002;
inline constexpr int kBufferHasDataText = 8003; // "Buffer has data."
// "Reading data from selected file. Please wait ..."
inline constexpr int kReadingFileText = 8005;
inline constexpr int kFirstPageText = 8008;  // "First page."
inline constexpr int kLastPageText = 8009;   // "Last page."
inline constexpr int kOpenErrorText = 9004;  // "File open error."
inline constexpr int kNotANumberText = 9007; // "Not a valid floating point value !"

} // namespace ostrel
