#include "simulator/logger_responder.h"

#include "import/logger_protocol.h"

namespace ostrel {

LoggerMemoryResponder::LoggerMemoryResponder(std::vector<std::uint8_t> image, LoggerFaults faults)
    : m_image(std::move(image)), m_faults(faults), m_headerSilences(faults.headerTimeouts) {}

bool LoggerMemoryResponder::IsLoggerCommand(std::uint8_t c1, std::uint8_t c2) {
    return c1 == 0x52 && (c2 == 0x88 || c2 == 0x89 || c2 == 0x8A);
}

std::vector<InputReport> LoggerMemoryResponder::answer(std::uint8_t c2) {
    switch (c2) {
    case 0x88:
        if (m_headerSilences > 0) {
            --m_headerSilences;
            return {};
        }
        m_position = 0;
        return blockAnswer(m_position);
    case 0x89:
        m_position += kLoggerBlockSize;
        return blockAnswer(m_position);
    case 0x8A:
        return blockAnswer(m_position);
    default:
        return {};
    }
}

std::vector<InputReport> LoggerMemoryResponder::blockAnswer(std::size_t position) {
    LoggerBlock data{};
    for (std::size_t i = 0; i < data.size(); ++i)
        if (position + i < m_image.size())
            data[i] = m_image[position + i];
    std::uint16_t sum = LoggerChecksum(data.data());
    if (position != m_faultyBlock) { // a new block: its first answers are bad again
        m_faultyBlock = position;
        m_badLeft = m_faults.badChecksums;
    }
    if (m_badLeft > 0) {
        --m_badLeft;
        sum = static_cast<std::uint16_t>(sum ^ 0x5A5A);
    }
    std::vector<InputReport> reports(4);
    for (int r = 0; r < 3; ++r)
        for (int i = 0; i < 8; ++i)
            reports[r][1 + i] = data[8 * r + i];
    reports[3][1] = static_cast<std::uint8_t>(sum & 0xFF);
    reports[3][2] = static_cast<std::uint8_t>(sum >> 8);
    ++m_answers;
    return reports;
}

} // namespace ostrel
