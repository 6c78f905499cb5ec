#include "import/session_output.h"

#include "import/session_export.h"
#include "import/session_file.h"

#include <algorithm>
#include <bit>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace ostrel {
namespace {

// Pairs per piece: a piece of the session file is at most about 315 KB
// (pairs of main records alone; half as many pairs with sub records).
constexpr std::size_t kPiecePairs = 4096;

static_assert(sizeof(TRecord) == kTRecordSize && std::endian::native == std::endian::little &&
                  offsetof(TRecord, timeText) == record_offset::kTimeText &&
                  offsetof(TRecord, functionText) == record_offset::kFunctionText &&
                  offsetof(TRecord, value) == record_offset::kValue,
              "a record's bytes are those of the file");

// A pair formed from its codes as the file holds it (see StoreSessionPair):
// its records are already in the file's form, so they are copied whole.
std::size_t StoreFormedPair(std::uint8_t* out, const TRecord& main, const TRecord* sub) {
    out[0] = sub ? 1 : 0;
    std::memcpy(out + 1, &main, kTRecordSize);
    if (!sub)
        return 1 + kTRecordSize;
    std::memcpy(out + 1 + kTRecordSize, sub, kTRecordSize);
    return 1 + 2 * kTRecordSize;
}

// A stretch of one session's pairs. The first piece of a session also
// carries what comes before its pairs.
struct Piece {
    std::size_t session = 0;
    std::size_t from = 0, to = 0;
    bool firstOfSession = false;
};

// The bytes of one piece, for each output. The room for the session file's
// bytes is not cleared first: only what a piece writes is ever touched.
struct PieceBytes {
    std::unique_ptr<std::uint8_t[]> file;
    std::size_t fileRoom = 0;
    std::size_t fileUsed = 0;
    std::string text;
};

class OutputPass {
  public:
    OutputPass(const SessionTable& table, const SessionOutputFiles& outputs)
        : m_table(table), m_outputs(outputs) {
        const SessionRange range =
            ClampSessionRange(outputs.first, outputs.last, table.sessionCount());
        m_textFirst = static_cast<std::size_t>(range.first);
        m_textLast = static_cast<std::size_t>(range.last);
        for (std::size_t s = 0; s < table.sessionCount(); ++s) {
            const std::size_t n = table.session(s).size();
            if (!writesFile() && !inText(s))
                continue;
            const SessionList& list = table.session(s);
            // Pairs with sub records, or of sizes not known, are up to twice as long.
            const auto pair = SessionPairSize(list);
            const std::size_t per =
                pair && *pair < kSessionPairMaxBytes ? kPiecePairs : kPiecePairs / 2;
            m_sessions.push_back({s, n, per, m_pieceCount});
            m_pieceCount += std::max<std::size_t>(1, (n + per - 1) / per);
            if (writesFile() || inText(s))
                m_total += n;
        }
    }

    bool run(const SessionOutputProgress& progress) {
        // The headers of both outputs.
        if (m_outputs.sessionFile) {
            if (const auto size = KnownSessionFileSize(m_table))
                m_outputs.sessionFile->reserve(*size);
            std::uint8_t count[4];
            StoreU32(count,
                     static_cast<std::uint32_t>(static_cast<std::int32_t>(m_table.sessionCount())));
            m_ok = m_outputs.sessionFile->write(count, sizeof count) && m_ok;
        }
        if (m_outputs.text)
            m_ok =
                m_outputs.text->write(kSessionExportHeader.data(), kSessionExportHeader.size()) &&
                m_ok;
        std::size_t done = 0;
        const auto write = [&](const Piece& piece, const PieceBytes& bytes) {
            if (m_outputs.sessionFile)
                m_ok = m_outputs.sessionFile->write(bytes.file.get(), bytes.fileUsed) && m_ok;
            if (m_outputs.text)
                m_ok = m_outputs.text->write(bytes.text.data(), bytes.text.size()) && m_ok;
            done += piece.to - piece.from;
            if (progress)
                progress(done, m_total);
        };
        const unsigned workers =
            m_pieceCount < 4 ? 1 : std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
        runOnWorkers(workers, write);
        return m_ok;
    }

  private:
    bool writesFile() const { return m_outputs.sessionFile != nullptr; }

    Piece pieceAt(std::size_t k) const {
        auto it = std::upper_bound(
            m_sessions.begin(), m_sessions.end(), k,
            [](std::size_t piece, const SessionPieces& s) { return piece < s.firstPiece; });
        --it; // the first session's first piece is 0
        const std::size_t from = (k - it->firstPiece) * it->piecePairs;
        return {it->session, from, std::min(it->pairs, from + it->piecePairs), from == 0};
    }
    bool inText(std::size_t s) const {
        return m_outputs.text && s + 1 >= m_textFirst && s + 1 <= m_textLast;
    }

    void make(const Piece& piece, PieceBytes& bytes) const {
        const SessionList& list = m_table.session(piece.session);
        const bool file = writesFile();
        const bool text = inText(piece.session);
        bytes.fileUsed = 0;
        bytes.text.clear();
        if (file) {
            const std::size_t room = 4 + (piece.to - piece.from) * kSessionPairMaxBytes;
            if (bytes.fileRoom < room) {
                bytes.file = std::make_unique_for_overwrite<std::uint8_t[]>(room);
                bytes.fileRoom = room;
            }
            if (piece.firstOfSession) {
                StoreU32(bytes.file.get(),
                         static_cast<std::uint32_t>(static_cast<std::int32_t>(list.size())));
                bytes.fileUsed = 4;
            }
        }
        // Kept in a local: the stores through it could otherwise be taken
        // to change the piece's own fields, which would then be read again
        // for every pair.
        std::uint8_t* out = file ? bytes.file.get() + bytes.fileUsed : nullptr;
        SessionList::Reader pair(list, piece.from);
        for (std::size_t i = piece.from; i < piece.to && pair.next(); ++i) {
            if (file)
                out += pair.formed() ? StoreFormedPair(out, pair.main(), pair.sub())
                                     : StoreSessionPair(out, pair.main(), pair.sub());
            if (text)
                AppendSessionExportLine(bytes.text, pair.position() + 1, pair.main(), pair.sub());
        }
        if (file)
            bytes.fileUsed = static_cast<std::size_t>(out - bytes.file.get());
    }

    // Workers, the calling thread among them, each take the next piece,
    // make it in bytes of their own and write it when the pieces before it
    // are written: the pieces are written in order, one at a time, while the
    // next ones are made. Only one piece per worker is held.
    template <class Write> void runOnWorkers(unsigned workers, Write& write) {
        std::size_t next = 0;    // next piece to make
        std::size_t written = 0; // pieces written so far
        std::mutex mutex;
        std::condition_variable turn;
        const auto work = [&] {
            PieceBytes bytes;
            for (;;) {
                std::size_t k;
                {
                    std::lock_guard lock(mutex);
                    k = next++;
                }
                if (k >= m_pieceCount)
                    return;
                const Piece piece = pieceAt(k);
                make(piece, bytes);
                {
                    std::unique_lock lock(mutex);
                    turn.wait(lock, [&] { return written == k; });
                }
                write(piece, bytes); // alone: the next piece waits for written
                {
                    std::lock_guard lock(mutex);
                    written = k + 1;
                }
                turn.notify_all();
            }
        };
        std::vector<std::thread> threads;
        for (unsigned w = 1; w < workers; ++w) {
            try {
                threads.emplace_back(work);
            } catch (const std::system_error&) {
                break; // fewer workers, then
            }
        }
        work();
        for (auto& t : threads)
            t.join();
    }

    const SessionTable& m_table;
    const SessionOutputFiles& m_outputs;
    std::size_t m_textFirst = 1, m_textLast = 0;
    // The sessions written, each with the number of its first piece: a
    // piece is found from its number, so that no list of them is held.
    struct SessionPieces {
        std::size_t session = 0, pairs = 0, piecePairs = 0, firstPiece = 0;
    };
    std::vector<SessionPieces> m_sessions;
    std::size_t m_pieceCount = 0;
    std::size_t m_total = 0;
    bool m_ok = true;
};

} // namespace

bool WriteSessionOutputs(const SessionTable& table, const SessionOutputFiles& outputs,
                         const SessionOutputProgress& progress) {
    return OutputPass(table, outputs).run(progress);
}

} // namespace ostrel
