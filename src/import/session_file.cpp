#include "import/session_file.h"

#include "base/atomic_file.h"
#include "base/file_name.h"
#include "import/session_output.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

namespace ostrel {
namespace {

constexpr std::size_t kPairHead = 1 + kTRecordSize;

std::int32_t GetI32(const std::uint8_t* in) {
    return static_cast<std::int32_t>(std::uint32_t(in[0]) | std::uint32_t(in[1]) << 8 |
                                     std::uint32_t(in[2]) << 16 | std::uint32_t(in[3]) << 24);
}

// The byte layout, onto an output that gives room for n bytes and keeps
// what advance() says was written.
template <class Out> void PutCount(Out& out, std::size_t count) {
    StoreU32(out.room(4), static_cast<std::uint32_t>(static_cast<std::int32_t>(count)));
    out.advance(4);
}

template <class Out> void PutPair(Out& out, const TRecord& main, const TRecord* sub) {
    out.advance(StoreSessionPair(out.room(kSessionPairMaxBytes), main, sub));
}

// Every pair formed once, straight into the output.
template <class Out> void PutTable(Out& out, const SessionTable& table) {
    PutCount(out, table.sessionCount());
    for (const auto& list : table.sessions()) {
        PutCount(out, list.size());
        for (SessionList::Reader pair(list); pair.next();)
            PutPair(out, pair.main(), pair.sub());
    }
}

class MemoryOut {
  public:
    explicit MemoryOut(std::vector<std::uint8_t>& bytes) : m_bytes(bytes) {}
    std::uint8_t* room(std::size_t n) {
        if (m_bytes.size() < m_used + n)
            m_bytes.resize(std::max(m_used + n, 2 * m_bytes.size()));
        return m_bytes.data() + m_used;
    }
    void advance(std::size_t n) { m_used += n; }
    void finish() { m_bytes.resize(m_used); }

  private:
    std::vector<std::uint8_t>& m_bytes;
    std::size_t m_used = 0;
};

// Sequential reader over a byte source; every read says whether it got all.
class Source {
  public:
    virtual ~Source() = default;
    virtual bool read(std::uint8_t* out, std::size_t n) = 0;
    virtual bool atEnd() = 0;
    // Bytes left, as far as known (a bound for reserving, never for reading).
    virtual std::size_t remaining() = 0;
};

class MemorySource final : public Source {
  public:
    MemorySource(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    bool read(std::uint8_t* out, std::size_t n) override {
        if (m_size - m_pos < n) {
            m_pos = m_size;
            return false;
        }
        std::memcpy(out, m_data + m_pos, n);
        m_pos += n;
        return true;
    }
    bool atEnd() override { return m_pos == m_size; }
    std::size_t remaining() override { return m_size - m_pos; }

  private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

class FileSource final : public Source {
  public:
    FileSource(std::FILE* f, std::size_t size) : m_file(f), m_size(size) {}
    bool read(std::uint8_t* out, std::size_t n) override {
        const std::size_t got = std::fread(out, 1, n, m_file);
        m_pos += got;
        return got == n;
    }
    bool atEnd() override {
        int c = std::fgetc(m_file);
        if (c == EOF)
            return true;
        std::ungetc(c, m_file);
        return false;
    }

    std::size_t remaining() override { return m_size > m_pos ? m_size - m_pos : 0; }

  private:
    std::FILE* m_file;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

SessionFileResult Damaged(SessionFileResult result) {
    result.status = SessionFileStatus::Damaged;
    result.messageId = 9004;
    result.detailId = 7130;
    return result;
}

SessionFileResult Parse(Source& src, const SessionFileSink& sink) {
    SessionFileResult result;
    std::uint8_t buf[4 + 2 * kTRecordSize];
    if (!src.read(buf, 4))
        return Damaged(std::move(result));
    const std::int32_t s = GetI32(buf);
    result.announcedSessions = s;
    if (s < 0)
        return Damaged(std::move(result));
    const auto wanted = static_cast<std::size_t>(s);
    const std::size_t kept = std::min(wanted, kMaxSessions);
    for (std::size_t k = 0; k < kept; ++k) {
        if (!src.read(buf, 4)) {
            sink.session(k, 0);
            return Damaged(std::move(result));
        }
        const std::int32_t n = GetI32(buf);
        sink.session(k, n < 0 ? 0 : static_cast<std::size_t>(n));
        if (n < 0)
            return Damaged(std::move(result));
        const auto count = static_cast<std::size_t>(n);
        for (std::size_t i = 0; i < count; ++i) {
            if (!src.read(buf, kPairHead))
                return Damaged(std::move(result));
            SessionPair pair;
            pair.hasSub = buf[0] != 0 ? 1 : 0;
            ReadTRecord(buf + 1, pair.main);
            if (pair.hasSub) {
                if (!src.read(buf + kPairHead, kTRecordSize))
                    return Damaged(std::move(result));
                ReadTRecord(buf + kPairHead, pair.sub.emplace());
            }
            if (!sink.pair(k, pair)) {
                result.status = SessionFileStatus::Cancelled;
                return result;
            }
        }
    }
    if (kept < wanted) {
        result.status = SessionFileStatus::TooManySessions;
        result.messageId = 9004;
        result.detailId = 7131;
        return result;
    }
    if (!src.atEnd())
        return Damaged(std::move(result));
    return result;
}

// Parse into a table, reporting progress after each pair.
SessionFileResult ParseTable(Source& src, const SessionFileProgress& progress) {
    SessionTable table;
    SessionList* list = nullptr;
    std::size_t count = 0;
    SessionFileSink sink;
    sink.session = [&](std::size_t, std::size_t n) {
        list = table.addSession();
        count = n;
        // Room for as many pairs as the bytes left can hold, not as n claims.
        list->reserve(std::min(n, src.remaining() / kPairHead));
    };
    sink.pair = [&](std::size_t k, SessionPair& pair) {
        list->push_back(std::move(pair));
        return !progress || progress(k, list->size(), count);
    };
    SessionFileResult result = Parse(src, sink);
    result.table = std::move(table);
    return result;
}

// The file at path, or nothing (the result says why).
std::unique_ptr<std::FILE, int (*)(std::FILE*)> OpenForReading(const std::string& path,
                                                               std::size_t* size) {
    std::error_code ec;
    std::FILE* f =
        std::filesystem::is_directory(path, ec) ? nullptr : std::fopen(path.c_str(), "rb");
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> guard(f, &std::fclose);
    if (f) {
        std::setvbuf(f, nullptr, _IOFBF, 1 << 16);
        const auto fileSize = std::filesystem::file_size(path, ec);
        *size = ec ? 0 : static_cast<std::size_t>(fileSize);
    }
    return guard;
}

SessionFileResult CannotOpen() {
    SessionFileResult result;
    result.status = SessionFileStatus::CannotOpen;
    result.messageId = 9004;
    return result;
}

} // namespace

std::size_t StoreSessionPair(std::uint8_t* out, const TRecord& main, const TRecord* sub) {
    out[0] = sub ? 1 : 0;
    WriteTRecord(main, out + 1);
    if (!sub)
        return kPairHead;
    WriteTRecord(*sub, out + kPairHead);
    return kPairHead + kTRecordSize;
}

std::optional<std::size_t> SessionPairSize(const SessionList& list) {
    if (list.keptPairs() > 0)
        return std::nullopt;
    return !list.empty() && list.hasSub(0) ? kPairHead + kTRecordSize : kPairHead;
}

std::optional<std::size_t> KnownSessionFileSize(const SessionTable& table) {
    std::size_t size = 4;
    for (const SessionList& list : table.sessions()) {
        const auto pair = SessionPairSize(list);
        if (!pair)
            return std::nullopt;
        size += 4 + list.size() * *pair;
    }
    return size;
}

bool IsSessionFileName(const std::string& path) {
    return EndsWithNoCase(path, ".slr");
}

std::vector<std::uint8_t> SessionFileBytes(const SessionTable& table) {
    std::vector<std::uint8_t> bytes;
    MemoryOut out(bytes);
    PutTable(out, table);
    out.finish();
    return bytes;
}

bool SaveSessionFile(const std::string& path, const SessionTable& table, bool durable) {
    AtomicFile file;
    SessionOutputFiles outputs;
    outputs.sessionFile = &file;
    return file.open(path) && WriteSessionOutputs(table, outputs) && file.commit(durable);
}

SessionFileResult OpenSessionFile(const std::string& path, const SessionFileProgress& progress) {
    std::size_t size = 0;
    auto file = OpenForReading(path, &size);
    if (!file)
        return CannotOpen();
    FileSource src(file.get(), size);
    return ParseTable(src, progress);
}

SessionFileResult ParseSessionFile(const std::uint8_t* data, std::size_t size,
                                   const SessionFileProgress& progress) {
    MemorySource src(data, size);
    return ParseTable(src, progress);
}

SessionFileResult StreamSessionFile(const std::string& path, const SessionFileSink& sink) {
    std::size_t size = 0;
    auto file = OpenForReading(path, &size);
    if (!file)
        return CannotOpen();
    FileSource src(file.get(), size);
    return Parse(src, sink);
}

} // namespace ostrel
