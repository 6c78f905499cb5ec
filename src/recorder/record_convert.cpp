#include "recorder/record_convert.h"

#include "base/atomic_file.h"
#include "recorder/text_export.h"

#include <cstdio>

namespace ostrel {
namespace {

// The text export of all pages is every sample in buffer order.
class CsvWriter {
  public:
    bool open(const std::string& path) {
        m_text.reserve(kFlushSize + 512);
        m_text.assign(kExportHeader);
        return m_file.open(path);
    }
    void append(const std::uint8_t* entry) {
        AppendExportLine(m_text, entry, m_position++);
        if (m_text.size() >= kFlushSize)
            flush();
    }
    bool commit() { return flush() && m_file.commit(false); }

  private:
    static constexpr std::size_t kFlushSize = 1 << 20;
    bool flush() {
        if (m_ok && !m_file.write(m_text.data(), m_text.size()))
            m_ok = false;
        m_text.clear();
        return m_ok;
    }
    AtomicFile m_file;
    std::string m_text;
    std::int64_t m_position = 0;
    bool m_ok = true;
};

bool CanRead(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr)
        return false;
    std::fclose(f);
    return true;
}

} // namespace

ConvertResult ConvertRecordFile(const std::string& input, const std::string& output,
                                ConvertOutput kind) {
    ConvertResult result;
    if (!CanRead(input)) {
        result.load.status = LoadStatus::OpenError;
        result.messageId = 9004;
        return result;
    }
    CsvWriter csv;
    RecordFileWriter records;
    const bool opened = kind == ConvertOutput::Csv ? csv.open(output) : records.open(output);
    if (!opened) {
        result.messageId = 9005;
        return result;
    }
    RecordPair pair;
    result.load = ReadEntryFile(input, [&](const std::uint8_t* entry) {
        if (kind == ConvertOutput::Csv) {
            csv.append(entry);
        } else {
            ReadEntry(entry, pair); // normalises the bytes after each terminator
            records.append(pair);
        }
    });
    if (result.load.status == LoadStatus::OpenError || result.load.status == LoadStatus::Damaged) {
        result.messageId = 9004; // the unfinished output is dropped with its writer
        return result;
    }
    // The output can always be made again from the input, which stays as it
    // was: it is renamed into place without waiting for the disk.
    const bool saved = kind == ConvertOutput::Csv ? csv.commit() : records.commit(false);
    if (!saved)
        result.messageId = 9005;
    else
        result.messageId = LoadMessageId(result.load);
    return result;
}

} // namespace ostrel
