// ostrel-cli convert INPUT -o OUTPUT: turn a stored file into a text export
// (.csv) or a record file (.g53). Each input kind is one entry of kInputKinds
// with its own conversion function; record files stream entry by entry, so a
// conversion needs no memory in proportion to the file.
#include "app/string_table.h"
#include "cli/command.h"
#include "recorder/record_file.h"
#include "recorder/text_export.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <iostream>
#include <string>

namespace ostrel::cli {
namespace {

enum class OutputKind { Csv, G53 };

bool EndsWithNoCase(const std::string& text, std::string_view suffix) {
    if (text.size() < suffix.size()) return false;
    return std::equal(suffix.begin(), suffix.end(), text.end() - static_cast<std::ptrdiff_t>(suffix.size()),
                      [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b)); });
}

bool CanRead(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return false;
    std::fclose(f);
    return true;
}

int Fail(int textId) {
    std::cerr << NumberedLine(kErrorCaption, textId) << '\n';
    return kExitFailure;
}

// Text export of all pages: every sample in buffer order.
class CsvSink {
public:
    bool open(const std::string& path) {
        m_text.reserve(kFlushSize + 512);
        m_text.assign(kExportHeader);
        return m_file.open(path);
    }
    void add(const RecordPair& pair) {
        AppendExportLine(m_text, pair, m_position++);
        if (m_text.size() >= kFlushSize) flush();
    }
    bool commit() { return flush() && m_file.commit(); }

private:
    static constexpr std::size_t kFlushSize = 1 << 20;
    bool flush() {
        if (!m_file.write(m_text.data(), m_text.size())) m_ok = false;
        m_text.clear();
        return m_ok;
    }
    AtomicFile m_file;
    std::string m_text;
    std::int64_t m_position = 0;
    bool m_ok = true;
};

// Input kind: a record file of any layout (.g53, .TMP, .g52, .g51).
int ConvertRecordFile(const std::string& input, const std::string& output, OutputKind kind) {
    if (!CanRead(input)) return Fail(9004);
    CsvSink csv;
    RecordFileWriter records;
    const bool opened = kind == OutputKind::Csv ? csv.open(output) : records.open(output);
    if (!opened) return Fail(9005);
    const LoadResult result = ReadRecordFile(input, [&](const RecordPair& pair) {
        if (kind == OutputKind::Csv) csv.add(pair);
        else records.append(pair);
    });
    if (result.status == LoadStatus::OpenError || result.status == LoadStatus::Damaged) return Fail(9004);
    const bool saved = kind == OutputKind::Csv ? csv.commit() : records.commit();
    if (!saved) return Fail(9005);
    if (result.status == LoadStatus::CutShort) {
        // The complete entries were converted; the shortfall is still a failure.
        std::cerr << NumberedCaption(kErrorCaption, kCutShortTextId) << ": " << LoadMessage(result) << '\n';
        return kExitFailure;
    }
    return 0;
}

struct InputKind {
    bool (*matches)(const std::string& input);
    int (*convert)(const std::string& input, const std::string& output, OutputKind kind);
};

// Checked in order; the record file takes every name, so it stays last.
constexpr InputKind kInputKinds[] = {
    {[](const std::string&) { return true; }, ConvertRecordFile},
};

int Convert(const std::string& input, const std::string& output) {
    OutputKind kind;
    if (EndsWithNoCase(output, ".csv")) kind = OutputKind::Csv;
    else if (EndsWithNoCase(output, ".g53")) kind = OutputKind::G53;
    else {
        std::cerr << "convert: OUTPUT must end in .csv or .g53\n";
        return kExitFailure;
    }
    for (const InputKind& k : kInputKinds) {
        if (k.matches(input)) return k.convert(input, output, kind);
    }
    return Fail(9004);
}

CommandRegistrar registrar([](CLI::App& app) {
    auto* cmd = app.add_subcommand("convert", "Convert a record file to a text export (.csv) or a record file (.g53)");
    auto input = std::make_shared<std::string>();
    auto output = std::make_shared<std::string>();
    cmd->add_option("INPUT", *input, "record file (.g53, .g52, .g51, or a temporary .TMP)")->required();
    cmd->add_option("-o,--output", *output, "output file ending in .csv or .g53")->required();
    cmd->callback([input, output] { ExitStatus() = Convert(*input, *output); });
});

} // namespace
} // namespace ostrel::cli
