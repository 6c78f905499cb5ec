#pragma once
// One stored reading of one display (76 bytes of fixed-width fields) and the
// pair of records that makes one entry of a session list.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace ostrel {

inline constexpr std::size_t kSessionRecordSize = 76;

struct SessionRecord {
    std::array<char, 8> valueText{};
    std::array<char, 4> exponentText{};
    std::uint32_t function = 0;
    std::array<char, 16> timeText{};
    std::array<char, 16> dataText{};
    std::array<char, 8> unitText{};
    std::array<char, 16> functionText{};
    float value = 0.0f;
};

// One reading of both displays; the sub record exists only when hasSub is 1.
struct SessionPair {
    std::uint8_t hasSub = 0;
    SessionRecord main;
    std::unique_ptr<SessionRecord> sub;
};

// Copy text into a zero-terminated field, cut so that the terminator fits.
template <std::size_t N>
void SetRecordText(std::array<char, N>& field, std::string_view text) {
    field.fill(0);
    text.copy(field.data(), N - 1);
}

// The text of a field, up to its terminator or its width.
template <std::size_t N>
std::string_view RecordText(const std::array<char, N>& field) {
    std::size_t n = 0;
    while (n < N && field[n] != 0) ++n;
    return std::string_view(field.data(), n);
}

// The 76 stored bytes of a record, little-endian, and back.
void WriteSessionRecord(const SessionRecord& record, std::uint8_t* out);
SessionRecord ReadSessionRecord(const std::uint8_t* in);

} // namespace ostrel
