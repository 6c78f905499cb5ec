#pragma once
// A file replaced as a whole (AtomicFile) whose bytes are written by a helper
// thread while the caller makes the next ones: the caller fills a piece of
// about 1 MiB, hands it over and goes on with another; at most one piece
// waits to be written. A file of hundreds of megabytes is then made in about
// the time the slower of the two takes, not in their sum. The helper thread
// starts with the first full piece, so a small file never starts one.

#include "base/atomic_file.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace ostrel {

class WriteBehindFile {
  public:
    static constexpr std::size_t kPiece = std::size_t{1} << 20;

    WriteBehindFile();
    ~WriteBehindFile(); // an uncommitted file is discarded
    WriteBehindFile(const WriteBehindFile&) = delete;
    WriteBehindFile& operator=(const WriteBehindFile&) = delete;

    // Create the temporary file beside path. False when it cannot be created.
    bool open(const std::string& path);
    // Room for n more bytes; advance(k) keeps k of them.
    std::uint8_t* room(std::size_t n);
    void advance(std::size_t n) { m_used += n; }
    void append(const void* data, std::size_t n);
    // Write what is left, wait for every write and replace the target (see
    // AtomicFile::commit). False when anything failed; the target is then
    // unchanged.
    bool commit(bool durable = true);
    // The errno of the first failure (see AtomicFile::error); read it after
    // commit, when the writing thread has ended.
    int error() const { return m_file.error(); }

  private:
    bool finish();
    void handOver();
    void writeLoop();

    AtomicFile m_file;
    std::vector<std::uint8_t> m_piece; // being filled by the caller
    std::size_t m_used = 0;
    std::thread m_writer;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::uint8_t> m_waiting; // handed over, not yet taken by the writer
    std::size_t m_waitingSize = 0;
    bool m_hasWaiting = false;
    bool m_closing = false;
    bool m_ok = true;
};

} // namespace ostrel
