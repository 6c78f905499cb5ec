#include "import/write_behind.h"

#include <cstring>
#include <system_error>

namespace ostrel {

WriteBehindFile::WriteBehindFile() = default;

WriteBehindFile::~WriteBehindFile() {
    finish();
}

bool WriteBehindFile::open(const std::string& path) {
    m_piece.resize(kPiece);
    m_used = 0;
    return m_file.open(path);
}

bool WriteBehindFile::commit(bool durable) {
    if (!finish()) {
        m_file.discard();
        return false;
    }
    return m_file.commit(durable);
}

std::uint8_t* WriteBehindFile::room(std::size_t n) {
    if (m_used + n > m_piece.size())
        handOver();
    if (n > m_piece.size())
        m_piece.resize(n);
    return m_piece.data() + m_used;
}

void WriteBehindFile::append(const void* data, std::size_t n) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    while (n > 0) {
        const std::size_t part = std::min(n, kPiece);
        std::memcpy(room(part), bytes, part);
        advance(part);
        bytes += part;
        n -= part;
    }
}

void WriteBehindFile::handOver() {
    if (m_used == 0)
        return;
    if (!m_writer.joinable()) {
        try {
            m_writer = std::thread([this] { writeLoop(); });
        } catch (const std::system_error&) {
            // No thread to be had: write here, then.
            m_ok = m_file.write(m_piece.data(), m_used) && m_ok;
            m_used = 0;
            return;
        }
    }
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_hasWaiting; });
    m_waiting.swap(m_piece);
    m_waitingSize = m_used;
    m_hasWaiting = true;
    m_changed.notify_all();
    lock.unlock();
    m_used = 0;
    if (m_piece.size() < kPiece)
        m_piece.resize(kPiece);
}

void WriteBehindFile::writeLoop() {
    std::vector<std::uint8_t> piece;
    for (;;) {
        std::size_t size = 0;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this] { return m_hasWaiting || m_closing; });
            if (!m_hasWaiting)
                return;
            piece.swap(m_waiting);
            size = m_waitingSize;
            m_hasWaiting = false;
            m_changed.notify_all();
        }
        const bool ok = m_file.write(piece.data(), size);
        std::lock_guard lock(m_mutex);
        m_ok = ok && m_ok;
    }
}

bool WriteBehindFile::finish() {
    if (m_writer.joinable()) {
        handOver();
        {
            std::lock_guard lock(m_mutex);
            m_closing = true;
        }
        m_changed.notify_all();
        m_writer.join();
    } else if (m_used > 0) {
        m_ok = m_file.write(m_piece.data(), m_used) && m_ok;
    }
    m_used = 0;
    std::lock_guard lock(m_mutex);
    return m_ok;
}

} // namespace ostrel
