#include "recorder/text_export.h"

#include "base/atomic_file.h"
#include "base/visible_text.h"
#include "recorder/recorder_math.h"

#include <algorithm>
#include <charconv>

namespace ostrel {
namespace {

bool IsCelsiusTemperature(std::uint32_t c) {
    return c == 0x4020 || c == 0x8020 || c == 0xC020;
}
bool IsFahrenheitTemperature(std::uint32_t c) {
    return c == 0x4040 || c == 0x8040 || c == 0xC040;
}

// The fields of one display, as views into its record: the data text, the
// unit field, and the function field: head, function text, then the mode in
// brackets after its opening text when bracket is set.
struct Fields {
    std::string_view data;
    std::string_view unit;
    std::string_view head;
    std::string_view func;
    std::string_view open; // " C [", " F [", "  [" or " [" before the mode
    std::string_view mode;
    bool bracket = false;
};

// What the export reads of one record.
struct RecordView {
    std::uint32_t function = 0;
    std::string_view time;
    std::string_view data;
    std::string_view unit;
    std::string_view func;
    std::string_view mode;
};

RecordView ViewOf(const TBRecord& r) {
    return {r.function,
            FieldView(r.timeText),
            FieldView(r.dataText),
            FieldView(r.unitText),
            FieldView(r.functionText),
            FieldView(r.modeText)};
}

template <std::size_t N> std::string_view TextAt(const std::uint8_t* p) {
    const char* s = reinterpret_cast<const char*>(p);
    std::size_t n = 0;
    while (n < N && s[n] != 0)
        ++n;
    return {s, n};
}

RecordView ViewOfBytes(const std::uint8_t* b) {
    using namespace record_offset;
    return {LoadU32(b + kFunction),   TextAt<16>(b + kTimeText),     TextAt<16>(b + kDataText),
            TextAt<8>(b + kUnitText), TextAt<16>(b + kFunctionText), TextAt<8>(b + kModeText)};
}

Fields DisplayFields(const RecordView& r, bool isMain) {
    const std::uint32_t c = r.function;
    Fields f;
    f.data = r.data;
    f.unit = r.unit;
    f.func = r.func;
    f.mode = r.mode;
    if (isMain && (c == 0x80 || c == 0x180 || c == 0x2080)) {
        f.func = "Ohm";
    } else if (isMain && c == 0x2000) {
        f.head = f.unit;
        f.unit = {};
    } else if (IsCelsiusTemperature(c) || IsFahrenheitTemperature(c)) {
        const bool celsius = IsCelsiusTemperature(c);
        if (f.data.find(celsius ? 'C' : 'F') != std::string_view::npos) {
            f.data.remove_suffix(1);
            f.open = celsius ? " C [" : " F [";
            f.bracket = true;
        }
    } else if (!f.mode.empty()) {
        f.open = isMain ? "  [" : " [";
        f.bracket = true;
    }
    return f;
}

void AppendFields(std::string& out, const Fields& f, std::string_view unit) {
    out += ',';
    out += f.data;
    out += ',';
    out += unit;
    out += ',';
    out += f.head;
    out += f.func;
    if (f.bracket) {
        out += f.open;
        out += f.mode;
        out += ']';
    }
}

// The fields of one display. The sub unit field is the sub record's unit
// text as stored.
void AppendDisplay(std::string& out, const RecordView& r, bool isMain) {
    const Fields f = DisplayFields(r, isMain);
    AppendFields(out, f, isMain ? f.unit : r.unit);
}

void AppendLineStart(std::string& out, std::int64_t position, std::string_view time) {
    char number[24];
    const auto [end, ec] = std::to_chars(number, number + sizeof number, position + 1);
    (void)ec;
    out.append(number, end);
    out += ',';
    out += time;
}

void AppendLine(std::string& out, const RecordView& main, bool hasSub, const RecordView& sub,
                std::int64_t position) {
    const std::size_t start = out.size();
    AppendLineStart(out, position, main.time);
    AppendDisplay(out, main, true);
    if (hasSub)
        AppendDisplay(out, sub, false);
    // A line is a sample: no stored text may break it.
    BlankControlCharacters(out, start);
    out += "\r\n";
}

} // namespace

void AppendExportFields(std::string& out, const TBRecord& record, bool isMain) {
    const std::size_t start = out.size();
    AppendDisplay(out, ViewOf(record), isMain);
    BlankControlCharacters(out, start);
}

void AppendExportLine(std::string& out, std::int64_t position, std::string_view time,
                      std::string_view mainFields, std::string_view subFields) {
    // The line is put in place in one piece: a capture makes millions of them.
    char number[24];
    const char* numberEnd = std::to_chars(number, number + sizeof number, position + 1).ptr;
    const std::size_t start = out.size();
    out.resize(start + static_cast<std::size_t>(numberEnd - number) + 1 + time.size() +
               mainFields.size() + subFields.size() + 2);
    char* p = std::copy(static_cast<const char*>(number), numberEnd, out.data() + start);
    *p++ = ',';
    // The fields had their control characters blanked once, when they were
    // made; the time is looked at here.
    for (const char c : time)
        *p++ = IsControlCharacter(c) ? kControlStandIn : c;
    p = std::copy(mainFields.begin(), mainFields.end(), p);
    p = std::copy(subFields.begin(), subFields.end(), p);
    p[0] = '\r';
    p[1] = '\n';
}

void AppendExportLine(std::string& out, const RecordPair& pair, std::int64_t position) {
    AppendLine(out, ViewOf(pair.main), pair.hasSub != 0, ViewOf(pair.sub), position);
}

void AppendExportLine(std::string& out, const std::uint8_t* entry, std::int64_t position) {
    AppendLine(out, ViewOfBytes(entry + 1), entry[0] != 0, ViewOfBytes(entry + 1 + kTBRecordSize),
               position);
}

PageRange ClampPageRange(int firstPage, int lastPageOfRange, int lastPage) {
    const int top = std::max(1, lastPage);
    return {std::clamp(firstPage, 1, top), std::clamp(lastPageOfRange, 1, top)};
}

std::string ExportText(const SampleBuffer& buffer, int pointsPerPage, int firstPage,
                       int lastPageOfRange) {
    std::string out(kExportHeader);
    const auto count = static_cast<std::int64_t>(buffer.size());
    if (count == 0 || pointsPerPage <= 0)
        return out;
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

bool ExportTextFile(const std::string& path, const SampleBuffer& buffer, int pointsPerPage,
                    int firstPage, int lastPageOfRange) {
    const std::string text = ExportText(buffer, pointsPerPage, firstPage, lastPageOfRange);
    AtomicFile file;
    if (!file.open(path))
        return false;
    if (!file.write(text.data(), text.size()))
        return false;
    return file.commit();
}

} // namespace ostrel
