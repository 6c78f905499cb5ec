#pragma once
// What the graph export dialog collects, and how a request becomes work: the
// object size in its display units, the file name shortened for its label, the
// pages a scope stands for, and which output a request asks for.

#include <string>
#include <string_view>

namespace ostrel {

enum class ExportType { None, MetaFile, BitMap, Text };
enum class ExportDestination { None, ClipBoard, File, Printer };
enum class PageScope { None, AllPages, ThisPage, Pages };
enum class SizeUnit { Pixels, Millimeters, Inches, Points };

// Object size defaults when a type is chosen: pixels for a bitmap, hundredths
// of a millimetre (100 mm × 68.1 mm) for a metafile.
inline constexpr double kBitmapWidth = 1000.0;
inline constexpr double kBitmapHeight = 681.0;
inline constexpr double kMetafileWidth = 10000.0;
inline constexpr double kMetafileHeight = 6810.0;

// Largest object side accepted: 8192 pixels (a 256 MB image at most) and
// 1 m for a metafile.
inline constexpr int kBitmapMaxSide = 8192;
inline constexpr int kMetafileMaxSide = 100000;

// Hundredths of a millimetre per unit shown.
inline constexpr double kPerMillimeter = 100.0;
inline constexpr double kPerInch = 2540.0;
inline constexpr double kPerPoint = 2540.0 / 72.0; // a point is 1/72 inch

// The stored size (pixels or hundredths of a millimetre) as shown in unit.
// Pixels show it unchanged.
double ShownSize(double stored, SizeUnit unit);
// The size as its edit shows it: ShownSize rounded to what the unit can tell
// apart (millimetres and points to 0.01, inches to 0.001; pixels as they are),
// in the general format: 100 mm is "3.937" inches, not 3.937007874015748.
std::string ShownSizeText(double stored, SizeUnit unit);
// A number typed in unit as stored: a bitmap stores it unchanged.
double StoredSize(double shown, ExportType type, SizeUnit unit);

// The integer side handed to the image and print code: the stored value
// truncated; 0 when it is not a number or out of the int range.
int ObjectSide(double stored);
// True when both sides, truncated, lie in 1 … the type's largest side.
bool ObjectSizeAcceptable(ExportType type, double width, double height);

// The file name as its label shows it: whole up to 30 characters, else its
// first 3 characters, "..." and its last 24 (UTF-8 characters, not bytes).
std::string ShortenPath(std::string_view path);

struct ExportRequest {
    ExportType type = ExportType::None;
    ExportDestination destination = ExportDestination::None;
    PageScope scope = PageScope::None;
    std::string pageFrom; // the texts of the From and To edits
    std::string pageTo;
    double width = 0.0;
    double height = 0.0;
    std::string fileName;
};

// Pages first … last (1-based, inclusive); empty when first > last.
struct PageSpan {
    int first = 1;
    int last = 1;
    bool empty() const { return first > last; }
    int count() const { return empty() ? 0 : last - first + 1; }
};

// The pages a scope stands for in a buffer of lastPage pages shown at
// viewedPage: All Pages 1 … lastPage, This Page the viewed page, Page the two
// edits, each limited to 1 … lastPage. Returns 0, or the number of the message
// that refuses the request (page edits that are not whole numbers).
int ResolvePages(const ExportRequest& request, int viewedPage, int lastPage, PageSpan* pages);

// The output a request asks for.
enum class ExportAction { None, WriteText, ImageToClipboard, ImageToFile, PrintPages };

struct ExportPlan {
    int message = 0; // a refusal: nothing is exported
    ExportAction action = ExportAction::None;
    PageSpan pages;
};

// The plan of a paged export (the recorder's and the import window's): the
// file destination needs a name (9013); text goes to the file for the scope's
// pages; an image of an acceptable size goes to the clipboard or the file for
// the viewed page only; the printer prints the scope's pages, and an empty
// range is refused.
ExportPlan PlanPageExport(const ExportRequest& request, int viewedPage, int lastPage);

// Messages of the export, in the string table.
inline constexpr int kMsgBrowseForName = 9013;  // "Please "Browse" and specify a file name !"
inline constexpr int kMsgFileSaveError = 9005;  // "File save error."
inline constexpr int kMsgPageNotNumber = 9040;  // page edits that are not whole numbers
inline constexpr int kMsgBitmapSize = 9041;     // bitmap size out of range
inline constexpr int kMsgMetafileSize = 9042;   // metafile size out of range
inline constexpr int kMsgNoPrinter = 9043;      // no printer installed
inline constexpr int kMsgEmptyPageRange = 9044; // nothing to print: From after To
inline constexpr int kMsgPrintFailed = 9045;    // the printer did not start

} // namespace ostrel
