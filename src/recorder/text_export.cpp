#include "recorder/text_export.h"

#include "recorder/atomic_file.h"
#include "recorder/recorder_math.h"

#include <algorithm>
#include <charconv>

namespace ostrel {
namespace {

bool IsCelsiusTemperature(std::uint32_t c) { return c == 0x4020 || c == 0x8020 || c == 0xC020; }
bool IsFahrenheitTemperature(std::uint32_t c) { return c == 0x4040 || c == 0x8040 || c == 0xC040; }

// Data text and function field of one display. blanksBeforeMode is "  " for
// the main display and " " for the sub display.
void DisplayFields(const TBRecord& r, bool isMain, std::string_view& data, std::string& unitField,
                   std::string& func) {
    const std::uint32_t c = r.function;
    const std::string_view mode = FieldView(r.modeText);
    data = FieldView(r.dataText);
    unitField.assign(FieldView(r.unitText));
    func.assign(FieldView(r.functionText));
    if (isMain && (c == 0x80 || c == 0x180 || c == 0x2080)) {
        func = "Ohm";
    } else if (isMain && c == 0x2000) {
        func.insert(0, unitField);
        unitField.clear();
    } else if (IsCelsiusTemperature(c) || IsFahrenheitTemperature(c)) {
        const char letter = IsCelsiusTemperature(c) ? 'C' : 'F';
        if (data.find(letter) != std::string_view::npos) {
            data.remove_suffix(1);
            func += ' ';
            func += letter;
            func += " [";
            func += mode;
            func += ']';
        }
    } else if (!mode.empty()) {
        func += isMain ? "  [" : " [";
        func += mode;
        func += ']';
    }
}

} // namespace

void AppendExportLine(std::string& out, const RecordPair& pair, std::int64_t position) {
    // Thread-local scratch keeps the per-line cost free of allocations.
    thread_local std::string unit;
    thread_local std::string func;
    std::string_view data;

    char number[24];
    const auto [end, ec] = std::to_chars(number, number + sizeof number, position + 1);
    (void)ec;
    out.append(number, end);
    out += ',';
    out += FieldView(pair.main.timeText);
    DisplayFields(pair.main, true, data, unit, func);
    out += ',';
    out += data;
    out += ',';
    out += unit;
    out += ',';
    out += func;
    if (pair.hasSub != 0) {
        DisplayFields(pair.sub, false, data, unit, func);
        out += ',';
        out += data;
        out += ',';
        out += FieldView(pair.sub.unitText);
        out += ',';
        out += func;
    }
    out += "\r\n";
}

PageRange ClampPageRange(int firstPage, int lastPageOfRange, int lastPage) {
    const int top = std::max(1, lastPage);
    return {std::clamp(firstPage, 1, top), std::clamp(lastPageOfRange, 1, top)};
}

std::string ExportText(std::span<const RecordPair> buffer, int pointsPerPage, int firstPage, int lastPageOfRange) {
    std::string out(kExportHeader);
    const auto count = static_cast<std::int64_t>(buffer.size());
    if (count == 0 || pointsPerPage <= 0) return out;
    const int lastPage = LastPageFor(count, pointsPerPage);
    const PageRange range = ClampPageRange(firstPage, lastPageOfRange, lastPage);
    for (int page = range.first; page <= range.last; ++page) {
        const PageLayout layout = LayoutPage(count, pointsPerPage, lastPage, page);
        for (int i = 0; i < layout.filledPoints; ++i) {
            const std::int64_t j = layout.firstPosition + i;
            AppendExportLine(out, buffer[static_cast<std::size_t>(j)], j);
        }
    }
    return out;
}

bool ExportTextFile(const std::string& path, std::span<const RecordPair> buffer, int pointsPerPage, int firstPage,
                    int lastPageOfRange) {
    const std::string text = ExportText(buffer, pointsPerPage, firstPage, lastPageOfRange);
    AtomicFile file;
    if (!file.open(path)) return false;
    if (!file.write(text.data(), text.size())) return false;
    return file.commit();
}

} // namespace ostrel
