#pragma once
// Lines of a text stream, one at a time and each at most a fixed length: a
// longer line is reported as too long and skipped to its end without being
// stored, so that no input can make the reader hold more than that length.
// A line ends at LF; a last line without LF counts as a line, an empty tail
// after the last LF does not.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace ostrel {

class LineReader {
  public:
    // Reads up to size bytes into buffer: the count read, 0 at the end of the
    // stream, a negative number on a read error (which ends the stream too).
    using ReadFunction = std::function<std::ptrdiff_t(char* buffer, std::size_t size)>;

    explicit LineReader(ReadFunction read, std::size_t maxLength = 4096);
    // The lines of a file descriptor (read until its end; EINTR is retried).
    static LineReader FromDescriptor(int fd, std::size_t maxLength = 4096);
    // The lines of text in memory.
    static LineReader FromText(std::string_view text, std::size_t maxLength = 4096);

    struct Line {
        std::string_view text; // without its LF; empty when tooLong
        bool tooLong = false;
        std::uint64_t number = 0; // 1 for the first line
    };
    // The next line; false at the end of the stream. The text stays valid
    // until the next call.
    bool next(Line& line);

    // True when the stream ended with a read error.
    bool failed() const { return m_failed; }

  private:
    bool fill();

    ReadFunction m_read;
    std::size_t m_maxLength;
    std::vector<char> m_buffer;
    std::size_t m_begin = 0;
    std::size_t m_end = 0;
    bool m_atEnd = false;
    bool m_failed = false;
    std::string m_line;
    std::uint64_t m_number = 0;
};

} // namespace ostrel
