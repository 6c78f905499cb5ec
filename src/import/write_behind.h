#pragma once
// Output written to a file by a helper thread while the caller makes the
// next bytes: the caller fills a piece of about 1 MiB, hands it over and goes
// on with another; at most one piece waits to be written. A file of hundreds
// of megabytes is then made in about the time the slower of the two takes,
// not in their sum. The helper thread starts with the first full piece, so a
// small file never starts one.

#include "base/atomic_file.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace ostrel {

class WriteBehind {
  public:
    static constexpr std::size_t kPiece = std::size_t{1} << 20;

    explicit WriteBehind(AtomicFile& file);
    ~WriteBehind(); // waits for the writing (see finish)
    WriteBehind(const WriteBehind&) = delete;
    WriteBehind& operator=(const WriteBehind&) = delete;

    // Room for n more bytes (n at most kPiece); advance(k) keeps k of them.
    std::uint8_t* room(std::size_t n);
    void advance(std::size_t n) { m_used += n; }
    void append(const void* data, std::size_t n);

    // Write what is left and wait for every write. False when any failed.
    bool finish();

  private:
    void handOver();
    void writeLoop();

    AtomicFile& m_file;
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
