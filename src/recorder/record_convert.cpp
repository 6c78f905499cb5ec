#include "recorder/record_convert.h"

#include "recorder/text_export.h"

namespace ostrel {
namespace {

constexpr std::size_t kTextFlushSize = 1 << 20;

} // namespace

bool ConvertWriter::open(const std::string& path, std::optional<std::int64_t> knownCount) {
    m_count = 0;
    if (m_kind == ConvertOutput::Csv) {
        m_text.reserve(kTextFlushSize + 512);
        m_text.assign(kExportHeader);
        m_ok = m_csv.open(path);
    } else {
        m_ok = m_records.open(path, knownCount);
    }
    m_open = m_ok;
    return m_ok;
}

bool ConvertWriter::flushText() {
    if (m_ok && !m_csv.write(m_text.data(), m_text.size()))
        m_ok = false;
    m_text.clear();
    return m_ok;
}

void ConvertWriter::append(const RecordPair& pair) {
    if (m_kind == ConvertOutput::Csv) {
        AppendExportLine(m_text, pair, m_count);
        if (m_text.size() >= kTextFlushSize)
            flushText();
    } else {
        m_records.append(pair);
    }
    ++m_count;
}

void ConvertWriter::appendEntry(const std::uint8_t* entry) {
    if (m_kind == ConvertOutput::Csv) {
        AppendExportLine(m_text, entry, m_count++);
        if (m_text.size() >= kTextFlushSize)
            flushText();
    } else {
        ReadEntry(entry, m_pair); // normalises the bytes after each terminator
        append(m_pair);
    }
}

bool ConvertWriter::append(FrameSampler& sampler, const RawFrame& frame,
                           std::string_view timeText) {
    if (m_kind == ConvertOutput::Csv) {
        if (!sampler.appendExportLine(frame, timeText, m_count, m_text))
            return false;
        if (m_text.size() >= kTextFlushSize)
            flushText();
    } else {
        if (!sampler.sample(frame, timeText, m_pair))
            return false;
        m_records.append(m_pair);
    }
    ++m_count;
    return true;
}

bool ConvertWriter::commit(bool durable) {
    if (!m_open)
        return false;
    m_open = false;
    if (m_kind == ConvertOutput::Csv)
        return flushText() && m_csv.commit(durable);
    return m_records.commit(durable);
}

ConvertResult ConvertRecordFile(const std::string& input, const std::string& output,
                                ConvertOutput kind) {
    ConvertResult result;
    ConvertWriter writer(kind);
    bool openFailed = false;
    // Only a ".g53" file says by its header that it holds no entry; a layout
    // without one holds entries or nothing readable.
    const bool countInHeader = LayoutForPath(input) == RecordLayout::G53;
    // The output is opened once the input has shown how many entries it
    // holds, so that an unreadable input never touches it.
    result.load = ReadEntryFile(
        input, [&](const std::uint8_t* entry) { writer.appendEntry(entry); },
        [&](std::int64_t done, std::int64_t total) {
            if (done == 0 && !writer.isOpen() && (total > 0 || countInHeader) &&
                !writer.open(output, total))
                openFailed = true;
            return !openFailed;
        });
    if (openFailed) {
        result.messageId = 9005;
        result.outputError = writer.error();
        return result;
    }
    const LoadStatus status = result.load.status;
    if (status == LoadStatus::OpenError || status == LoadStatus::Damaged ||
        (status == LoadStatus::CutShort && result.load.read == 0)) {
        result.messageId = LoadMessageId(result.load); // the unfinished output is dropped
        return result;
    }
    if (!writer.isOpen()) {
        result.messageId = 9004; // no complete entry: the output stays as it was
        return result;
    }
    // The output can always be made again from the input, which stays as it
    // was: it is renamed into place without waiting for the disk.
    if (!writer.commit(false)) {
        result.messageId = 9005;
        result.outputError = writer.error();
        return result;
    }
    result.written = true;
    result.messageId = LoadMessageId(result.load);
    return result;
}

CaptureConvertResult ConvertCaptureFile(const std::string& input, const std::string& output,
                                        ConvertOutput kind, const BadCaptureLine& badLine) {
    CaptureConvertResult result;
    ConvertWriter writer(kind);
    bool outputFailed = false;
    FrameSampler sampler;
    const CaptureReadResult read = ReadCaptureFrames(
        input,
        [&](const RawFrame& frame, std::string_view timeText) {
            if (!writer.isOpen() && !outputFailed)
                outputFailed = !writer.open(output);
            writer.append(sampler, frame, timeText);
        },
        badLine);
    if (!read.opened) {
        result.messageId = 9004;
        return result;
    }
    result.frames = read.frames;
    result.badLines = read.badLines;
    result.samples = writer.count();
    if (read.failed)
        result.messageId = 9004;
    if (result.frames == 0 && (result.badLines > 0 || read.failed))
        return result; // nothing of the input could be read
    if (outputFailed || !(writer.isOpen() || writer.open(output)) || !writer.commit(false)) {
        result.messageId = 9005;
        result.outputError = writer.error();
        return result;
    }
    result.written = true;
    return result;
}

} // namespace ostrel
