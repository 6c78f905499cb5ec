#include "import/session_export.h"

#include "base/visible_text.h"
#include "import/session_output.h"
#include "link/reading.h"

#include <algorithm>
#include <charconv>

namespace ostrel {
namespace {

void AppendField(std::string& out, std::string_view text) {
    out += ',';
    out += text;
}

} // namespace

void AppendSessionExportLine(std::string& out, std::size_t item, const TRecord& main,
                             const TRecord* sub) {
    const std::size_t start = out.size();
    char number[24];
    out.append(number, std::to_chars(number, number + sizeof number, item).ptr);
    AppendField(out, FieldView(main.timeText));
    AppendField(out, FieldView(main.dataText));
    AppendField(out, FieldView(main.unitText));
    const std::uint32_t fn = main.function;
    AppendField(out, (fn == nFunc_Ohm || fn == nFunc_Conti) ? std::string_view("Ohm")
                                                            : FieldView(main.functionText));
    if (sub) {
        AppendField(out, FieldView(sub->dataText));
        AppendField(out, FieldView(sub->unitText));
        AppendField(out, FieldView(sub->functionText));
    }
    // A line is a reading: no stored text may break it.
    BlankControlCharacters(out, start);
    out += "\r\n";
}

namespace {

const TRecord* SubOf(const SessionPair& pair) {
    return pair.hasSub && pair.sub ? &*pair.sub : nullptr;
}

} // namespace

SessionRange ClampSessionRange(long first, long last, std::size_t sessionCount) {
    SessionRange r;
    const long count = static_cast<long>(std::min<std::size_t>(sessionCount, 1000000));
    if (count == 0)
        return r; // nothing to export: empty range
    r.first = static_cast<int>(std::clamp(first, 1L, count));
    r.last = static_cast<int>(std::clamp(last, 1L, count));
    return r;
}

namespace {

// The lines of sessions first … last (clamped), each handed to line().
template <class Line>
void ForEachLine(const SessionTable& table, long first, long last, Line line) {
    const SessionRange range = ClampSessionRange(first, last, table.sessionCount());
    for (int s = range.first; s <= range.last; ++s) {
        const SessionList& list = table.session(static_cast<std::size_t>(s - 1));
        for (SessionList::Reader pair(list); pair.next();)
            line(pair.position() + 1, pair.main(), pair.sub());
    }
}

} // namespace

std::string SessionExportText(const SessionTable& table, long first, long last) {
    std::string out(kSessionExportHeader);
    ForEachLine(table, first, last,
                [&out](std::size_t item, const TRecord& main, const TRecord* sub) {
                    AppendSessionExportLine(out, item, main, sub);
                });
    return out;
}

std::string SessionExportText(const SessionTable& table) {
    return SessionExportText(table, 1, static_cast<long>(table.sessionCount()));
}

bool SessionExportFile::open(const std::string& path) {
    if (!m_file.open(path))
        return false;
    m_line = kSessionExportHeader;
    flushLine();
    return true;
}

void SessionExportFile::add(std::size_t item, const TRecord& main, const TRecord* sub) {
    AppendSessionExportLine(m_line, item, main, sub);
    flushLine();
}

void SessionExportFile::add(std::size_t item, const SessionPair& pair) {
    add(item, pair.main, SubOf(pair));
}

void SessionExportFile::flushLine() {
    m_file.append(m_line.data(), m_line.size());
    m_line.clear();
}

bool SessionExportFile::commit(bool durable) {
    return m_file.commit(durable);
}

bool WriteSessionExport(const std::string& path, const SessionTable& table, long first, long last,
                        bool durable) {
    AtomicFile file;
    SessionOutputFiles outputs;
    outputs.text = &file;
    outputs.first = first;
    outputs.last = last;
    return file.open(path) && WriteSessionOutputs(table, outputs) && file.commit(durable);
}

} // namespace ostrel
