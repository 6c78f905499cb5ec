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

// Pairs per piece: a piece of the session file is at most 630 KB.
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
            for (std::size_t from = 0; from == 0 || from < n; from += kPiecePairs)
                m_pieces.push_back({s, from, std::min(n, from + kPiecePairs), from == 0});
            if (writesFile() || inText(s))
                m_total += n;
        }
    }

    bool run(const SessionOutputProgress& progress) {
        // The headers of both outputs.
        if (m_outputs.sessionFile) {
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
        const unsigned helpers =
            m_pieces.size() < 4 ? 0 : std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
        if (helpers == 0) {
            PieceBytes bytes;
            for (const Piece& piece : m_pieces) {
                make(piece, bytes);
                write(piece, bytes);
            }
            return m_ok;
        }
        runOnHelpers(helpers, write);
        return m_ok;
    }

  private:
    bool writesFile() const { return m_outputs.sessionFile != nullptr; }
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
        SessionList::Reader pair(list, piece.from);
        for (std::size_t i = piece.from; i < piece.to && pair.next(); ++i) {
            if (file)
                bytes.fileUsed += pair.formed()
                                      ? StoreFormedPair(bytes.file.get() + bytes.fileUsed,
                                                        pair.main(), pair.sub())
                                      : StoreSessionPair(bytes.file.get() + bytes.fileUsed,
                                                         pair.main(), pair.sub());
            if (text)
                AppendSessionExportLine(bytes.text, pair.position() + 1, pair.main(), pair.sub());
        }
    }

    // Pieces made on helper threads into a ring of slots, written in order
    // here; a helper waits while the slot of its next piece is not written yet.
    template <class Write> void runOnHelpers(unsigned helpers, Write& write) {
        const std::size_t slots = 2 * helpers;
        std::vector<PieceBytes> bytes(slots);
        std::vector<std::size_t> ready(slots, SIZE_MAX); // piece made in the slot
        std::size_t written = 0;                         // pieces written so far
        std::size_t next = 0;                            // next piece to make
        std::mutex mutex;
        std::condition_variable changed;
        const auto work = [&] {
            for (;;) {
                std::size_t k;
                {
                    std::unique_lock lock(mutex);
                    k = next++;
                    if (k >= m_pieces.size())
                        return;
                    changed.wait(lock, [&] { return k < written + slots; });
                }
                make(m_pieces[k], bytes[k % slots]);
                {
                    std::lock_guard lock(mutex);
                    ready[k % slots] = k;
                }
                changed.notify_all();
            }
        };
        std::vector<std::thread> threads;
        for (unsigned h = 0; h < helpers; ++h) {
            try {
                threads.emplace_back(work);
            } catch (const std::system_error&) {
                break; // fewer helpers, then
            }
        }
        if (threads.empty()) {
            // No thread to be had: here, then.
            for (const Piece& piece : m_pieces) {
                make(piece, bytes[0]);
                write(piece, bytes[0]);
            }
            return;
        }
        for (std::size_t k = 0; k < m_pieces.size(); ++k) {
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return ready[k % slots] == k; });
            }
            write(m_pieces[k], bytes[k % slots]);
            {
                std::lock_guard lock(mutex);
                ready[k % slots] = SIZE_MAX;
                written = k + 1;
            }
            changed.notify_all();
        }
        for (auto& t : threads)
            t.join();
    }

    const SessionTable& m_table;
    const SessionOutputFiles& m_outputs;
    std::size_t m_textFirst = 1, m_textLast = 0;
    std::vector<Piece> m_pieces;
    std::size_t m_total = 0;
    bool m_ok = true;
};

} // namespace

bool WriteSessionOutputs(const SessionTable& table, const SessionOutputFiles& outputs,
                         const SessionOutputProgress& progress) {
    return OutputPass(table, outputs).run(progress);
}

} // namespace ostrel
