#include "base/line_reader.h"

#include <cerrno>
#include <cstring>
#include <memory>
#include <unistd.h>

namespace ostrel {
namespace {
constexpr std::size_t kBufferSize = 1 << 16;
}

LineReader::LineReader(ReadFunction read, std::size_t maxLength)
    : m_read(std::move(read)), m_maxLength(maxLength), m_buffer(kBufferSize) {}

LineReader LineReader::FromDescriptor(int fd, std::size_t maxLength) {
    return LineReader(
        [fd](char* buffer, std::size_t size) -> std::ptrdiff_t {
            for (;;) {
                const ssize_t n = ::read(fd, buffer, size);
                if (n >= 0 || errno != EINTR)
                    return n;
            }
        },
        maxLength);
}

LineReader LineReader::FromText(std::string_view text, std::size_t maxLength) {
    auto rest = std::make_shared<std::string_view>(text);
    return LineReader(
        [rest](char* buffer, std::size_t size) -> std::ptrdiff_t {
            const std::size_t n = std::min(size, rest->size());
            std::memcpy(buffer, rest->data(), n);
            rest->remove_prefix(n);
            return static_cast<std::ptrdiff_t>(n);
        },
        maxLength);
}

bool LineReader::fill() {
    if (m_atEnd)
        return false;
    const std::ptrdiff_t n = m_read(m_buffer.data(), m_buffer.size());
    if (n <= 0) {
        m_atEnd = true;
        m_failed = n < 0;
        return false;
    }
    m_begin = 0;
    m_end = static_cast<std::size_t>(n);
    return true;
}

bool LineReader::next(Line& line) {
    line = Line{};
    m_line.clear();
    bool started = false;
    for (;;) {
        if (m_begin == m_end && !fill()) {
            if (!started)
                return false;
            break; // a last line without LF
        }
        started = true;
        const char* from = m_buffer.data() + m_begin;
        const std::size_t available = m_end - m_begin;
        const auto* newline = static_cast<const char*>(std::memchr(from, '\n', available));
        const std::size_t length = newline ? static_cast<std::size_t>(newline - from) : available;
        m_begin += newline ? length + 1 : length;
        if (line.tooLong) {
            // skipping to the end of a line that is too long
        } else if (m_line.size() + length > m_maxLength) {
            line.tooLong = true;
            m_line.clear();
        } else if (newline && m_line.empty()) {
            // The whole line lies in the buffer: no copy.
            line.text = std::string_view(from, length);
            line.number = ++m_number;
            return true;
        } else {
            m_line.append(from, length);
        }
        if (newline)
            break;
    }
    if (!line.tooLong)
        line.text = m_line;
    line.number = ++m_number;
    return true;
}

} // namespace ostrel
