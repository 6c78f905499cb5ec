#include "graph/export_request.h"

#include "base/number_format.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

namespace ostrel {

double ShownSize(double stored, SizeUnit unit) {
    switch (unit) {
    case SizeUnit::Millimeters:
        return stored / kPerMillimeter;
    case SizeUnit::Inches:
        return stored / kPerInch;
    case SizeUnit::Points:
        return stored / kPerPoint;
    case SizeUnit::Pixels:
        break;
    }
    return stored;
}

std::string ShownSizeText(double stored, SizeUnit unit) {
    const double shown = ShownSize(stored, unit);
    double scale = 0.0; // 10^decimals; 0: unrounded
    switch (unit) {
    case SizeUnit::Millimeters:
    case SizeUnit::Points:
        scale = 100.0;
        break;
    case SizeUnit::Inches:
        scale = 1000.0;
        break;
    case SizeUnit::Pixels:
        break;
    }
    const double rounded = scale > 0.0 ? std::round(shown * scale) / scale : shown;
    return FormatGeneral(std::isfinite(rounded) ? rounded : shown);
}

double StoredSize(double shown, ExportType type, SizeUnit unit) {
    if (type == ExportType::BitMap)
        return shown;
    switch (unit) {
    case SizeUnit::Millimeters:
        return shown * kPerMillimeter;
    case SizeUnit::Inches:
        return shown * kPerInch;
    case SizeUnit::Points:
        return shown * kPerPoint;
    case SizeUnit::Pixels:
        break;
    }
    return shown;
}

int ObjectSide(double stored) {
    if (!std::isfinite(stored) || stored >= double(INT_MAX) || stored <= double(INT_MIN))
        return 0;
    return static_cast<int>(stored); // truncated towards zero
}

bool ObjectSizeAcceptable(ExportType type, double width, double height) {
    const int top = type == ExportType::BitMap ? kBitmapMaxSide : kMetafileMaxSide;
    const auto fits = [top](double side) {
        const int n = ObjectSide(side);
        return n >= 1 && n <= top;
    };
    return fits(width) && fits(height);
}

namespace {

// Byte offsets of the UTF-8 characters of text (a byte that continues a
// sequence belongs to the character before it).
std::vector<std::size_t> CharacterStarts(std::string_view text) {
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < text.size(); ++i)
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80)
            starts.push_back(i);
    return starts;
}

} // namespace

std::string ShortenPath(std::string_view path) {
    constexpr std::size_t kWhole = 30;
    constexpr std::size_t kHead = 3;
    constexpr std::size_t kTail = 24;
    const std::vector<std::size_t> starts = CharacterStarts(path);
    if (starts.size() <= kWhole)
        return std::string(path);
    const std::size_t headEnd = starts[kHead];
    const std::size_t tailStart = starts[starts.size() - kTail];
    std::string out(path.substr(0, headEnd));
    out += "...";
    out += path.substr(tailStart);
    return out;
}

int ResolvePages(const ExportRequest& request, int viewedPage, int lastPage, PageSpan* pages) {
    const int top = std::max(1, lastPage);
    switch (request.scope) {
    case PageScope::AllPages:
        *pages = {1, top};
        return 0;
    case PageScope::Pages: {
        int from = 0;
        int to = 0;
        if (!ParseInteger(request.pageFrom, &from) || !ParseInteger(request.pageTo, &to))
            return kMsgPageNotNumber;
        *pages = {std::clamp(from, 1, top), std::clamp(to, 1, top)};
        return 0;
    }
    case PageScope::ThisPage:
    case PageScope::None:
        break;
    }
    const int page = std::clamp(viewedPage, 1, top);
    *pages = {page, page};
    return 0;
}

ExportPlan PlanPageExport(const ExportRequest& request, int viewedPage, int lastPage) {
    ExportPlan plan;
    if (request.destination == ExportDestination::File && request.fileName.empty()) {
        plan.message = kMsgBrowseForName;
        return plan;
    }
    if (request.type == ExportType::Text) {
        plan.message = ResolvePages(request, viewedPage, lastPage, &plan.pages);
        if (plan.message == 0)
            plan.action = ExportAction::WriteText;
        return plan;
    }
    if (request.type != ExportType::BitMap && request.type != ExportType::MetaFile)
        return plan;
    switch (request.destination) {
    case ExportDestination::ClipBoard:
    case ExportDestination::File: {
        if (!ObjectSizeAcceptable(request.type, request.width, request.height)) {
            plan.message = request.type == ExportType::BitMap ? kMsgBitmapSize : kMsgMetafileSize;
            return plan;
        }
        ExportRequest thisPage = request;
        thisPage.scope = PageScope::ThisPage;
        ResolvePages(thisPage, viewedPage, lastPage, &plan.pages);
        plan.action = request.destination == ExportDestination::File
                          ? ExportAction::ImageToFile
                          : ExportAction::ImageToClipboard;
        return plan;
    }
    case ExportDestination::Printer:
        plan.message = ResolvePages(request, viewedPage, lastPage, &plan.pages);
        if (plan.message == 0 && plan.pages.empty())
            plan.message = kMsgEmptyPageRange;
        if (plan.message == 0)
            plan.action = ExportAction::PrintPages;
        return plan;
    case ExportDestination::None:
        break;
    }
    return plan;
}

} // namespace ostrel
