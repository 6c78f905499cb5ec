#include "import/session_file.h"

#include "base/atomic_file.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

namespace ostrel {
namespace {

constexpr std::size_t kPairHead = 1 + kTRecordSize;

void PutI32(std::vector<std::uint8_t>& out, std::int32_t value) {
    auto v = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

std::int32_t GetI32(const std::uint8_t* in) {
    return static_cast<std::int32_t>(std::uint32_t(in[0]) | std::uint32_t(in[1]) << 8 |
                                     std::uint32_t(in[2]) << 16 | std::uint32_t(in[3]) << 24);
}

void AppendPair(std::vector<std::uint8_t>& out, const SessionPair& pair) {
    const bool sub = pair.hasSub != 0;
    const std::size_t at = out.size();
    out.resize(at + kPairHead + (sub ? kTRecordSize : 0));
    out[at] = sub ? 1 : 0;
    WriteTRecord(pair.main, out.data() + at + 1);
    if (sub) {
        static const TRecord kEmpty;
        WriteTRecord(pair.sub ? *pair.sub : kEmpty, out.data() + at + kPairHead);
    }
}

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

SessionFileResult Parse(Source& src, const SessionFileProgress& progress) {
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
        SessionList& list = *result.table.addSession();
        if (!src.read(buf, 4))
            return Damaged(std::move(result));
        const std::int32_t n = GetI32(buf);
        if (n < 0)
            return Damaged(std::move(result));
        const auto count = static_cast<std::size_t>(n);
        // Room for as many pairs as the bytes left can hold, not as n claims.
        list.reserve(std::min(count, src.remaining() / kPairHead));
        for (std::size_t i = 0; i < count; ++i) {
            if (!src.read(buf, kPairHead))
                return Damaged(std::move(result));
            SessionPair pair;
            pair.hasSub = buf[0] != 0 ? 1 : 0;
            ReadTRecord(buf + 1, pair.main);
            if (pair.hasSub) {
                if (!src.read(buf + kPairHead, kTRecordSize))
                    return Damaged(std::move(result));
                pair.sub = std::make_unique<TRecord>();
                ReadTRecord(buf + kPairHead, *pair.sub);
            }
            list.push_back(std::move(pair));
            if (progress)
                progress(k, i + 1, count);
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

} // namespace

bool IsSessionFileName(const std::string& path) {
    if (path.size() < 4)
        return false;
    std::string tail = path.substr(path.size() - 4);
    std::transform(tail.begin(), tail.end(), tail.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return tail == ".slr";
}

std::vector<std::uint8_t> SessionFileBytes(const SessionTable& table) {
    std::vector<std::uint8_t> out;
    PutI32(out, static_cast<std::int32_t>(table.sessionCount()));
    for (const auto& list : table.sessions()) {
        PutI32(out, static_cast<std::int32_t>(list.size()));
        for (const auto& pair : list)
            AppendPair(out, pair);
    }
    return out;
}

bool SaveSessionFile(const std::string& path, const SessionTable& table) {
    AtomicFile file;
    if (!file.open(path))
        return false;
    std::vector<std::uint8_t> chunk;
    chunk.reserve(1 << 16);
    auto flush = [&] {
        file.write(chunk.data(), chunk.size());
        chunk.clear();
    };
    PutI32(chunk, static_cast<std::int32_t>(table.sessionCount()));
    for (const auto& list : table.sessions()) {
        PutI32(chunk, static_cast<std::int32_t>(list.size()));
        for (const auto& pair : list) {
            AppendPair(chunk, pair);
            if (chunk.size() >= (1 << 16) - 2 * kPairHead)
                flush();
        }
    }
    flush();
    return file.commit();
}

SessionFileResult OpenSessionFile(const std::string& path, const SessionFileProgress& progress) {
    std::error_code ec;
    std::FILE* f =
        std::filesystem::is_directory(path, ec) ? nullptr : std::fopen(path.c_str(), "rb");
    if (!f) {
        SessionFileResult result;
        result.status = SessionFileStatus::CannotOpen;
        result.messageId = 9004;
        return result;
    }
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> guard(f, &std::fclose);
    std::setvbuf(f, nullptr, _IOFBF, 1 << 16);
    std::error_code sizeError;
    const auto fileSize = std::filesystem::file_size(path, sizeError);
    FileSource src(f, sizeError ? 0 : static_cast<std::size_t>(fileSize));
    return Parse(src, progress);
}

SessionFileResult ParseSessionFile(const std::uint8_t* data, std::size_t size,
                                   const SessionFileProgress& progress) {
    MemorySource src(data, size);
    return Parse(src, progress);
}

} // namespace ostrel
