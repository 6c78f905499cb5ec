#pragma once
// Record files: the ".g53" record file (entry count + 169-byte entries), the
// temporary file of a running recording (entries only), and the older
// single-display ".g52" (84-byte records) and ".g51" (76-byte records).
// Readers stop at the end of the file and never size anything by the stored
// count; writers replace their target atomically.

#include "base/atomic_file.h"
#include "recorder/record.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace ostrel {

enum class RecordLayout { G53, Temporary, G52, G51 };

// The layout of a file by its name: ".g51", ".g52", then ".tmp" or ".TMP",
// each searched case-sensitively in the file name; any other name is ".g53".
RecordLayout LayoutForPath(std::string_view path);

// A record file is saved in the ".g53" layout, but opened by the layout its
// name says. Empty when path reads back as ".g53"; otherwise the user's
// message (text 9021) naming what the file would be read as.
std::string G53SaveNameProblem(std::string_view path);
inline constexpr int kSaveNameTextId = 9021;

// Size of one stored item of a layout (entry or single record).
std::size_t ItemSize(RecordLayout layout);

enum class LoadStatus {
    Ok,
    OpenError, // the file could not be opened or read at all
    Damaged,   // a ".g53" file without a usable count (too short, negative)
    CutShort,  // the file ended before all its entries: the complete ones were loaded
    Aborted,   // the progress callback asked to stop; nothing was kept
};

struct LoadResult {
    LoadStatus status = LoadStatus::Ok;
    std::int64_t expected = 0; // entries the file claims (count or size / item size)
    std::int64_t read = 0;     // complete entries read
    // Bytes after the last complete entry of a layout whose count follows
    // from the size (".TMP", ".g52", ".g51"): a partial entry, not read.
    std::int64_t trailingBytes = 0;
};

// Called before the first entry with (0, total) and after each entry with
// (entries read, total); total is the number of entries the file can hold.
// Returning false stops the load.
using LoadProgress = std::function<bool(std::int64_t done, std::int64_t total)>;

// Where a reader takes its bytes from.
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    // Up to size bytes; fewer only at the end of the data (or on a read error).
    virtual std::size_t read(std::uint8_t* buffer, std::size_t size) = 0;
    // Total size in bytes.
    virtual std::uint64_t size() const = 0;
};

class MemorySource final : public ByteSource {
  public:
    explicit MemorySource(std::span<const std::uint8_t> data) : m_data(data) {}
    std::size_t read(std::uint8_t* buffer, std::size_t size) override;
    std::uint64_t size() const override { return m_data.size(); }

  private:
    std::span<const std::uint8_t> m_data;
    std::size_t m_pos = 0;
};

// Read every entry of a record file of the given layout and hand each to sink
// in file order as a 169-byte entry image (single records of the older
// layouts are turned into entries first). Memory use is bounded by a fixed
// chunk, whatever the count.
using EntrySink = std::function<void(const std::uint8_t* entry)>;
LoadResult ReadEntries(ByteSource& source, RecordLayout layout, const EntrySink& sink,
                       const LoadProgress& progress = {});
LoadResult ReadEntryFile(const std::string& path, const EntrySink& sink,
                         const LoadProgress& progress = {});

// The same, each entry read into a pair.
LoadResult ReadRecords(ByteSource& source, RecordLayout layout,
                       const std::function<void(const RecordPair&)>& sink,
                       const LoadProgress& progress = {});
LoadResult ReadRecordFile(const std::string& path,
                          const std::function<void(const RecordPair&)>& sink,
                          const LoadProgress& progress = {});

// Load a record file into pairs (appended to out). On Aborted, out is left as
// it was; on CutShort it holds the complete entries.
LoadResult LoadRecordFile(const std::string& path, SampleBuffer& out,
                          const LoadProgress& progress = {});
LoadResult LoadRecords(ByteSource& source, RecordLayout layout, SampleBuffer& out,
                       const LoadProgress& progress = {});

// The user's message for a load result: empty for Ok and Aborted, "File open
// error." for OpenError and Damaged, the cut-short text with its numbers.
std::string LoadMessage(const LoadResult& result);
// The string-table number of that message (0 when there is none).
int LoadMessageId(const LoadResult& result);

// Number of the text shown when a file ends before all its entries.
inline constexpr int kCutShortTextId = 9020;

// A ".g53" record file written entry by entry; the count is filled in when
// the file is committed. The target is replaced only by commit().
class RecordFileWriter {
  public:
    RecordFileWriter() = default;
    RecordFileWriter(const RecordFileWriter&) = delete;
    RecordFileWriter& operator=(const RecordFileWriter&) = delete;
    ~RecordFileWriter();

    // knownCount goes into the header at once. Without it, the header of a
    // file written straight (a pipe, standard output), which cannot be
    // rewound, goes out at commit(), once the count is known: the entries
    // wait in a scratch file until then. A file replaced whole gets its
    // count corrected at commit(), whatever was announced.
    bool open(const std::string& path, std::optional<std::int64_t> knownCount = std::nullopt);
    bool append(const RecordPair& pair);
    bool commit(bool durable = true); // see AtomicFile::commit
    std::int64_t count() const { return m_count; }
    // The errno of the first failure (see AtomicFile::error).
    int error() const { return m_error != 0 ? m_error : m_file.error(); }

  private:
    bool flush();
    bool writeHeader(std::int64_t count);
    bool copySpool();
    bool failed();
    AtomicFile m_file;
    std::vector<std::uint8_t> m_buffer;
    std::int64_t m_count = 0;
    std::int64_t m_announced = 0;
    int m_spool = -1; // scratch file of the entries whose header is not out yet
    int m_error = 0;
    bool m_ok = false;
};

// Save pairs as a ".g53" record file. False ("File save error.") when the file
// could not be written; the previous file is then unchanged.
bool SaveRecordFile(const std::string& path, const SampleBuffer& pairs);
bool SaveRecordFile(const std::string& path, std::span<const RecordPair> pairs);

// The temporary file of a running recording: created anew, one 169-byte entry
// appended per sample and handed to the system at once, so that a crash of
// the program loses nothing already sampled.
class TemporaryFileWriter {
  public:
    TemporaryFileWriter() = default;
    TemporaryFileWriter(const TemporaryFileWriter&) = delete;
    TemporaryFileWriter& operator=(const TemporaryFileWriter&) = delete;
    ~TemporaryFileWriter() { close(); }

    bool open(const std::string& path);
    // Create a new file: false when one of that name exists already (it is
    // never truncated) or the file cannot be made. The file is locked before
    // its name appears and stays locked while open, so that another program
    // always sees it is in use.
    bool create(const std::string& path);
    bool isOpen() const { return m_fd >= 0; }
    // False when the entry could not be written whole (errno says why); the
    // file then ends after the last whole entry, as far as the system allows.
    bool append(const RecordPair& pair);
    // Hand what was written to the disk itself.
    bool sync();
    void close();

  private:
    int m_fd = -1;
    off_t m_size = 0; // bytes of whole entries written
};

// "<directory>/~QDMDL<number>.TMP".
std::string TemporaryFilePath(const std::string& directory, int number);

// The number of a temporary file's name ("~QDMDL12.TMP" → 12), or 0 when the
// name is no temporary file name (the number must be 1 or more, decimal).
int TemporaryFileNumber(std::string_view fileName);

// True when another open file holds the lock create() takes (a running
// recording of another program).
bool TemporaryFileInUse(const std::string& path);

} // namespace ostrel
