#pragma once
// Conversion of recorded samples into a text export of all their pages or
// into a ".g53" record file, streamed entry by entry so that memory use stays
// constant however long the input is: from a record file of any layout, or
// from a capture of raw display frames (frame_capture.h) sampled exactly as
// the recorder samples a live reading.

#include "base/atomic_file.h"
#include "recorder/capture_reader.h"
#include "recorder/frame_sampler.h"
#include "recorder/record_file.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace ostrel {

enum class ConvertOutput { Csv, G53 };

// The output of a conversion, written entry by entry. The target is replaced
// (a special file written) as AtomicFile says, only when commit() succeeds.
class ConvertWriter {
  public:
    explicit ConvertWriter(ConvertOutput kind) : m_kind(kind) {}
    // knownCount: the number of entries a ".g53" file will hold, when known
    // before the first one (see RecordFileWriter::open).
    bool open(const std::string& path, std::optional<std::int64_t> knownCount = std::nullopt);
    bool isOpen() const { return m_open; }
    void append(const RecordPair& pair);
    void appendEntry(const std::uint8_t* entry); // a 169-byte entry image
    // The sample of a raw frame, as sampler takes it; false (nothing
    // written) when the recorder refuses the reading.
    bool append(FrameSampler& sampler, const RawFrame& frame, std::string_view timeText);
    // durable: flush to the disk first (see AtomicFile::commit).
    bool commit(bool durable = false);
    std::int64_t count() const { return m_count; }
    // The errno of the first failure of the output (see AtomicFile::error).
    int error() const { return m_kind == ConvertOutput::Csv ? m_csv.error() : m_records.error(); }

  private:
    bool flushText();

    ConvertOutput m_kind;
    bool m_open = false;
    bool m_ok = true;
    std::int64_t m_count = 0;
    AtomicFile m_csv;
    std::string m_text;
    RecordFileWriter m_records;
    RecordPair m_pair;
};

struct ConvertResult {
    // 0 when all went well; else the number of the message to show: 9004 (the
    // input cannot be read), 9005 (the output cannot be written), or the
    // cut-short text (the complete entries were converted).
    int messageId = 0;
    LoadResult load;
    bool written = false; // the output was written (else it is untouched)
    int outputError = 0;  // with 9005: the errno of the failure
};

// A record file of any layout. When nothing of it can be read (no valid
// count, no complete entry in a layout without a count, none of the entries
// its count announces), the output is left untouched: messageId 9004 (or the
// cut-short text) with load.status saying which.
ConvertResult ConvertRecordFile(const std::string& input, const std::string& output,
                                ConvertOutput kind);

struct CaptureConvertResult {
    int messageId = 0;        // 0, 9004 (input unreadable) or 9005 (output not written)
    std::uint64_t frames = 0; // lines that held a frame
    std::int64_t samples = 0; // entries written; frames that ConvertSample refuses give none
    std::uint64_t badLines = 0;
    bool written = false; // the output was written (else it is untouched)
    int outputError = 0;  // with 9005: the errno of the failure
};

// A capture file (regular file or named pipe, read as a stream). Every frame
// becomes a sample as the recorder takes it, with the line's time text.
// Blank lines are skipped. The output is left untouched when the input cannot
// be read or holds lines but no frame among them.
CaptureConvertResult ConvertCaptureFile(const std::string& input, const std::string& output,
                                        ConvertOutput kind, const BadCaptureLine& badLine = {});

} // namespace ostrel
