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

// The lines of sessions first … last (clamped), each handed to line().
template <class Line>
void ForEachLine(const SessionTable& table, long first, long last, Line line) {
    const PageRange range = ClampPageRange(first, last, table.sessionCount());
    for (int s = range.first; s <= range.last; ++s) {
        const SessionList& list = table.session(static_cast<std::size_t>(s - 1));
        for (std::size_t j = 0; j < list.size(); ++j)
            line(j + 1, list[j]);
    }
}

} // namespace

std::string SessionExportText(const SessionTable& table, long first, long last) {
    std::string out = kHeaderLine;
    ForEachLine(table, first, last,
                [&out](std::size_t item, const SessionPair& pair) { AppendPair(out, item, pair); });
    return out;
}

std::string SessionExportText(const SessionTable& table) {
    return SessionExportText(table, 1, static_cast<long>(table.sessionCount()));
}

bool SessionExportFile::open(const std::string& path) {
    m_piece.clear();
    m_piece.reserve(kPiece + 256);
    if (!m_file.open(path))
        return false;
    m_piece = kHeaderLine;
    return true;
}

void SessionExportFile::add(std::size_t item, const SessionPair& pair) {
    AppendPair(m_piece, item, pair);
    if (m_piece.size() >= kPiece)
        flush();
}

void SessionExportFile::flush() {
    m_file.write(m_piece.data(), m_piece.size());
    m_piece.clear();
}

bool SessionExportFile::commit(bool durable) {
    flush();
    return m_file.commit(durable);
}

bool WriteSessionExport(const std::string& path, const SessionTable& table, long first, long last,
                        bool durable) {
    SessionExportFile file;
    if (!file.open(path))
        return false;
    ForEachLine(table, first, last,
                [&file](std::size_t item, const SessionPair& pair) { file.add(item, pair); });
    return file.commit(durable);
}

} // namespace ostrel
