#include "recorder/record_file.h"

#include "base/string_table.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ostrel {
namespace {

constexpr std::size_t kChunkItems = 1024;

LoadResult OpenErrorResult() {
    LoadResult result;
    result.status = LoadStatus::OpenError;
    return result;
}

// A regular file only: opening does not wait for the writer of a named pipe
// (O_NONBLOCK), which is then refused like any other file that is no record.
class FileSource final : public ByteSource {
  public:
    explicit FileSource(const std::string& path) {
        m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        struct stat st {};
        if (m_fd >= 0 && (::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode))) {
            ::close(m_fd);
            m_fd = -1;
        }
        if (m_fd >= 0) {
            m_size = static_cast<std::uint64_t>(st.st_size);
            ::posix_fadvise(m_fd, 0, 0, POSIX_FADV_SEQUENTIAL);
        }
    }
    ~FileSource() override {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool isOpen() const { return m_fd >= 0; }
    std::size_t read(std::uint8_t* buffer, std::size_t size) override {
        std::size_t done = 0;
        while (done < size) {
            const ssize_t n = ::read(m_fd, buffer + done, size - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            done += static_cast<std::size_t>(n);
        }
        return done;
    }
    std::uint64_t size() const override { return m_size; }

  private:
    int m_fd = -1;
    std::uint64_t m_size = 0;
};

// An entry made from a single record of the older layouts: the record's texts,
// code and value, the mode text derived from the code, no sub display.
void SingleRecordEntry(const std::uint8_t* bytes, std::uint8_t* entry) {
    RecordPair pair;
    ReadTRecord(bytes, pair.main);
    // The older layouts keep no usable mode text: it follows from the code.
    StoreField(pair.main.modeText, ModeTextForCode(pair.main.function));
    WriteEntry(pair, entry);
}

std::string FileName(std::string_view path) {
    const auto slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

} // namespace

RecordLayout LayoutForPath(std::string_view path) {
    const std::string name = FileName(path);
    if (name.find(".g51") != std::string::npos)
        return RecordLayout::G51;
    if (name.find(".g52") != std::string::npos)
        return RecordLayout::G52;
    if (name.find(".tmp") != std::string::npos || name.find(".TMP") != std::string::npos)
        return RecordLayout::Temporary;
    return RecordLayout::G53;
}

std::string G53SaveNameProblem(std::string_view path) {
    const char* readAs = nullptr;
    switch (LayoutForPath(path)) {
    case RecordLayout::G53:
        return {};
    case RecordLayout::G51:
        readAs = "a .g51 file";
        break;
    case RecordLayout::G52:
        readAs = "a .g52 file";
        break;
    case RecordLayout::Temporary:
        readAs = "a temporary file";
        break;
    }
    return FormatText(kSaveNameTextId, {FileName(path), readAs});
}

std::size_t ItemSize(RecordLayout layout) {
    switch (layout) {
    case RecordLayout::G51:
        return kTRecordSize;
    case RecordLayout::G52:
        return kTBRecordSize;
    case RecordLayout::Temporary:
    case RecordLayout::G53:
        return kEntrySize;
    }
    return kEntrySize;
}

std::size_t MemorySource::read(std::uint8_t* buffer, std::size_t size) {
    const std::size_t n = std::min(size, m_data.size() - m_pos);
    if (n > 0)
        std::memcpy(buffer, m_data.data() + m_pos, n);
    m_pos += n;
    return n;
}

LoadResult ReadEntries(ByteSource& source, RecordLayout layout, const EntrySink& sink,
                       const LoadProgress& progress) {
    LoadResult result;
    const std::size_t item = ItemSize(layout);
    std::uint64_t dataSize = source.size();
    if (layout == RecordLayout::G53) {
        std::uint8_t header[4];
        if (source.read(header, 4) != 4) {
            result.status = LoadStatus::Damaged;
            return result;
        }
        const auto count = static_cast<std::int32_t>(LoadU32(header));
        if (count < 0) {
            result.status = LoadStatus::Damaged;
            return result;
        }
        result.expected = count;
        dataSize = dataSize >= 4 ? dataSize - 4 : 0;
    } else {
        result.expected = static_cast<std::int64_t>(dataSize / item);
        result.trailingBytes = static_cast<std::int64_t>(dataSize % item);
    }
    // What the file can hold bounds every loop and allocation.
    const auto available = static_cast<std::int64_t>(dataSize / item);
    const std::int64_t total = std::min(result.expected, available);
    if (progress && !progress(0, total)) {
        result.status = LoadStatus::Aborted;
        return result;
    }

    // A chunk of at most kChunkItems entries, and never more than the file holds.
    const auto chunkItems =
        static_cast<std::size_t>(std::clamp<std::int64_t>(total, 1, kChunkItems));
    std::vector<std::uint8_t> chunk(chunkItems * item);
    std::uint8_t entry[kEntrySize];
    std::int64_t remaining = result.expected;
    while (remaining > 0) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::int64_t>(remaining, std::int64_t(chunkItems)));
        const std::size_t got = source.read(chunk.data(), want * item);
        const std::size_t items = got / item;
        for (std::size_t i = 0; i < items; ++i) {
            const std::uint8_t* bytes = chunk.data() + i * item;
            if (item == kEntrySize) {
                sink(bytes);
            } else {
                SingleRecordEntry(bytes, entry);
                sink(entry);
            }
            ++result.read;
            if (progress && !progress(result.read, total)) {
                result.status = LoadStatus::Aborted;
                return result;
            }
        }
        remaining -= static_cast<std::int64_t>(items);
        if (items < want)
            break; // end of file
    }
    if (result.read < result.expected)
        result.status = LoadStatus::CutShort;
    return result;
}

LoadResult ReadEntryFile(const std::string& path, const EntrySink& sink,
                         const LoadProgress& progress) {
    FileSource source(path);
    if (!source.isOpen())
        return OpenErrorResult();
    return ReadEntries(source, LayoutForPath(path), sink, progress);
}

LoadResult ReadRecords(ByteSource& source, RecordLayout layout,
                       const std::function<void(const RecordPair&)>& sink,
                       const LoadProgress& progress) {
    RecordPair pair;
    return ReadEntries(
        source, layout,
        [&](const std::uint8_t* entry) {
            ReadEntry(entry, pair);
            sink(pair);
        },
        progress);
}

LoadResult ReadRecordFile(const std::string& path,
                          const std::function<void(const RecordPair&)>& sink,
                          const LoadProgress& progress) {
    FileSource source(path);
    if (!source.isOpen())
        return OpenErrorResult();
    return ReadRecords(source, LayoutForPath(path), sink, progress);
}

LoadResult LoadRecords(ByteSource& source, RecordLayout layout, SampleBuffer& out,
                       const LoadProgress& progress) {
    const std::size_t before = out.size();
    // The buffer grows with what is read, never by what the count claims.
    const LoadResult result = ReadEntries(
        source, layout,
        [&out](const std::uint8_t* entry) {
            out.emplace_back();
            ReadEntry(entry, out.back());
        },
        progress);
    if (result.status == LoadStatus::Aborted) {
        out.resize(before);
        out.shrink_to_fit();
    }
    return result;
}

LoadResult LoadRecordFile(const std::string& path, SampleBuffer& out,
                          const LoadProgress& progress) {
    FileSource source(path);
    if (!source.isOpen())
        return OpenErrorResult();
    return LoadRecords(source, LayoutForPath(path), out, progress);
}

int LoadMessageId(const LoadResult& result) {
    switch (result.status) {
    case LoadStatus::OpenError:
    case LoadStatus::Damaged:
        return 9004;
    case LoadStatus::CutShort:
        return kCutShortTextId;
    case LoadStatus::Ok:
    case LoadStatus::Aborted:
        return 0;
    }
    return 0;
}

std::string LoadMessage(const LoadResult& result) {
    const int id = LoadMessageId(result);
    if (id == 0)
        return {};
    if (id != kCutShortTextId)
        return std::string(Text(id));
    // Counts beyond an int are shown as its top, as they always were.
    const auto count = [](std::int64_t v) {
        return std::to_string(std::clamp<std::int64_t>(v, 0, INT32_MAX));
    };
    return FormatText(id, {count(result.read), count(result.expected)});
}

RecordFileWriter::~RecordFileWriter() {
    if (m_spool >= 0)
        ::close(m_spool);
}

bool RecordFileWriter::failed() {
    if (m_ok && m_error == 0 && m_file.error() == 0)
        m_error = errno;
    m_ok = false;
    return false;
}

bool RecordFileWriter::writeHeader(std::int64_t count) {
    std::uint8_t header[4];
    StoreU32(header, static_cast<std::uint32_t>(count));
    return m_file.write(header, 4);
}

bool RecordFileWriter::open(const std::string& path, std::optional<std::int64_t> knownCount) {
    m_count = 0;
    m_error = 0;
    m_announced = std::clamp<std::int64_t>(knownCount.value_or(0), 0, INT32_MAX);
    m_buffer.clear();
    m_buffer.reserve(kChunkItems * kEntrySize);
    if (m_spool >= 0)
        ::close(m_spool);
    m_spool = -1;
    m_ok = m_file.open(path);
    if (!m_ok)
        return false;
    if (!knownCount && m_file.isDirect()) {
        m_spool = OpenScratchFile();
        return m_spool >= 0 || failed();
    }
    return writeHeader(m_announced) || failed();
}

bool RecordFileWriter::flush() {
    if (m_ok && !m_buffer.empty()) {
        if (m_spool >= 0) {
            const auto size = static_cast<ssize_t>(m_buffer.size());
            m_ok = ::write(m_spool, m_buffer.data(), m_buffer.size()) == size || failed();
        } else {
            m_ok = m_file.write(m_buffer.data(), m_buffer.size());
        }
    }
    m_buffer.clear();
    return m_ok;
}

// The header with the count, then the spooled entries, to the file written
// straight.
bool RecordFileWriter::copySpool() {
    if (!writeHeader(m_count) || ::lseek(m_spool, 0, SEEK_SET) != 0)
        return failed();
    std::vector<std::uint8_t> chunk(kChunkItems * kEntrySize);
    for (;;) {
        const ssize_t n = ::read(m_spool, chunk.data(), chunk.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return failed();
        if (n == 0)
            return true;
        if (!m_file.write(chunk.data(), static_cast<std::size_t>(n)))
            return failed();
    }
}

bool RecordFileWriter::append(const RecordPair& pair) {
    if (!m_ok)
        return false;
    if (m_count >= INT32_MAX) {
        errno = EFBIG; // the count field is a signed 32-bit number
        return failed();
    }
    const std::size_t at = m_buffer.size();
    m_buffer.resize(at + kEntrySize);
    WriteEntry(pair, m_buffer.data() + at);
    ++m_count;
    if (m_buffer.size() >= kChunkItems * kEntrySize)
        return flush();
    return true;
}

bool RecordFileWriter::commit(bool durable) {
    if (flush()) {
        if (m_spool >= 0) {
            m_ok = copySpool();
            ::close(m_spool);
            m_spool = -1;
        } else if (m_count != m_announced) {
            std::uint8_t header[4];
            StoreU32(header, static_cast<std::uint32_t>(m_count));
            m_ok = m_file.writeAt(0, header, 4);
        }
    }
    m_ok = m_ok && m_file.commit(durable);
    if (!m_ok)
        m_file.discard();
    return m_ok;
}

namespace {
template <class Pairs> bool SavePairs(const std::string& path, const Pairs& pairs) {
    RecordFileWriter writer;
    if (!writer.open(path, static_cast<std::int64_t>(pairs.size())))
        return false;
    for (const RecordPair& pair : pairs) {
        if (!writer.append(pair))
            return false;
    }
    return writer.commit();
}
} // namespace

bool SaveRecordFile(const std::string& path, const SampleBuffer& pairs) {
    return SavePairs(path, pairs);
}

bool SaveRecordFile(const std::string& path, std::span<const RecordPair> pairs) {
    return SavePairs(path, pairs);
}

bool TemporaryFileWriter::open(const std::string& path) {
    close();
    m_fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    m_size = 0;
    return m_fd >= 0;
}

bool TemporaryFileWriter::create(const std::string& path) {
    close();
    m_fd = CreateLockedFile(path);
    m_size = 0;
    return m_fd >= 0;
}

bool TemporaryFileWriter::sync() {
    return m_fd >= 0 && ::fdatasync(m_fd) == 0;
}

bool TemporaryFileWriter::append(const RecordPair& pair) {
    if (m_fd < 0)
        return false;
    std::uint8_t entry[kEntrySize];
    WriteEntry(pair, entry);
    // One write call per entry: it reaches the system at once, with no buffer
    // of ours that a crash could lose.
    std::size_t done = 0;
    while (done < kEntrySize) {
        const ssize_t n = ::write(m_fd, entry + done, kEntrySize - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            // A full disk may take part of an entry: cut it off again, so
            // that the file reads back as whole entries.
            const int error = n == 0 ? ENOSPC : errno;
            if (done > 0 && ::ftruncate(m_fd, m_size) == 0)
                ::lseek(m_fd, m_size, SEEK_SET);
            errno = error;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    m_size += static_cast<off_t>(kEntrySize);
    return true;
}

void TemporaryFileWriter::close() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

namespace {
std::string_view TemporaryStem() {
    return HasText(6) ? Text(6) : std::string_view("~QDMDL");
}
} // namespace

int TemporaryFileNumber(std::string_view name) {
    const std::string_view stem = TemporaryStem();
    constexpr std::string_view suffix = ".TMP";
    if (name.size() <= stem.size() + suffix.size() || name.substr(0, stem.size()) != stem ||
        name.substr(name.size() - suffix.size()) != suffix)
        return 0;
    const std::string_view digits =
        name.substr(stem.size(), name.size() - stem.size() - suffix.size());
    if (digits.size() > 9 || digits.front() == '0')
        return 0;
    int number = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return 0;
        number = number * 10 + (c - '0');
    }
    return number;
}

bool TemporaryFileInUse(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool inUse = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return inUse;
}

std::string TemporaryFilePath(const std::string& directory, int number) {
    const std::string_view stem = TemporaryStem();
    std::string path = directory;
    if (!path.empty() && path.back() != '/')
        path += '/';
    path += stem;
    path += std::to_string(number);
    path += ".TMP";
    return path;
}

} // namespace ostrel
