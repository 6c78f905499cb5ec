#pragma once
// The meter's side of the logger-memory exchanges: given an image, answers
// the header request (0x52 0x88), the next-block request (0x52 0x89) and the
// repeat request (0x52 0x8A) with the four input reports of a block answer.
// The simulated meter and the tests' fake cable both use it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace ostrel {

using InputReport = std::array<std::uint8_t, 9>;

struct LoggerFaults {
    int badChecksums = 0;   // the first N answers of every block carry a wrong checksum
    int headerTimeouts = 0; // the first N header requests get no answer
};

class LoggerMemoryResponder {
  public:
    LoggerMemoryResponder() = default;
    LoggerMemoryResponder(std::vector<std::uint8_t> image, LoggerFaults faults);

    // True for the three logger commands (c1 0x52, c2 0x88 … 0x8A).
    static bool IsLoggerCommand(std::uint8_t c1, std::uint8_t c2);

    // The answer to a command: four reports, or none when the meter stays
    // silent. Bytes beyond the image read as 0.
    std::vector<InputReport> answer(std::uint8_t c2);

    std::size_t position() const { return m_position; }
    std::size_t blockAnswers() const { return m_answers; }

  private:
    std::vector<InputReport> blockAnswer(std::size_t position);

    std::vector<std::uint8_t> m_image;
    LoggerFaults m_faults;
    std::size_t m_position = 0;
    std::size_t m_faultyBlock = SIZE_MAX;
    int m_badLeft = 0;
    int m_headerSilences = 0;
    std::size_t m_answers = 0;
};

} // namespace ostrel
