#include "import/session_export.h"

#include "base/atomic_file.h"
#include "link/reading.h"

#include <algorithm>

namespace ostrel {
namespace {

void AppendField(std::string& out, std::string_view text) {
    out += ',';
    out += text;
}

void AppendPair(std::string& out, std::size_t item, const SessionPair& pair) {
    out += std::to_string(item);
    AppendField(out, FieldView(pair.main.timeText));
    AppendField(out, FieldView(pair.main.dataText));
    AppendField(out, FieldView(pair.main.unitText));
    const std::uint32_t fn = pair.main.function;
    AppendField(out, (fn == nFunc_Ohm || fn == nFunc_Conti) ? std::string_view("Ohm")
                                                            : FieldView(pair.main.functionText));
    if (pair.hasSub && pair.sub) {
        AppendField(out, FieldView(pair.sub->dataText));
        AppendField(out, FieldView(pair.sub->unitText));
        AppendField(out, FieldView(pair.sub->functionText));
    }
    out += "\r\n";
}

} // namespace

PageRange ClampPageRange(long first, long last, std::size_t sessionCount) {
    PageRange r;
    const long count = static_cast<long>(std::min<std::size_t>(sessionCount, 1000000));
    if (count == 0)
        return r; // nothing to export: empty range
    r.first = static_cast<int>(std::clamp(first, 1L, count));
    r.last = static_cast<int>(std::clamp(last, 1L, count));
    return r;
}

namespace {

constexpr const char* kHeaderLine =
    "#item,Time,MainData,MainUnit,MainFunc,Sub Data,SubUnit,SubFunc\r\n";

// Build the text in pieces; flush(out) is called whenever a piece is full.
template <class Flush>
void BuildText(const SessionTable& table, long first, long last, std::string& out, Flush flush) {
    out += kHeaderLine;
    const PageRange range = ClampPageRange(first, last, table.sessionCount());
    for (int s = range.first; s <= range.last; ++s) {
        const SessionList& list = table.session(static_cast<std::size_t>(s - 1));
        for (std::size_t j = 0; j < list.size(); ++j) {
            AppendPair(out, j + 1, list[j]);
            if (out.size() >= (1u << 20))
                flush(out);
        }
    }
}

} // namespace

std::string SessionExportText(const SessionTable& table, long first, long last) {
    std::string out;
    BuildText(table, first, last, out, [](std::string&) {});
    return out;
}

std::string SessionExportText(const SessionTable& table) {
    return SessionExportText(table, 1, static_cast<long>(table.sessionCount()));
}

bool WriteSessionExport(const std::string& path, const SessionTable& table, long first, long last) {
    AtomicFile file;
    if (!file.open(path))
        return false;
    auto flush = [&file](std::string& piece) {
        file.write(piece.data(), piece.size());
        piece.clear();
    };
    std::string piece;
    piece.reserve((1u << 20) + 256);
    BuildText(table, first, last, piece, flush);
    flush(piece);
    return file.commit();
}

} // namespace ostrel
