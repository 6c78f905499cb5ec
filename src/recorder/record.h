#pragma once
// Sample records: one display's part of a sample (TRecord, 76 bytes on disk;
// TARecord/TBRecord, 84 bytes with the mode text) and RecordPair, one sample of
// both displays. The in-memory types keep every text as its raw fixed-width
// field; the byte layouts are read and written with explicit little-endian
// offsets by the functions below, never by copying the structs.

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ostrel {

// Sizes of the stored layouts.
inline constexpr std::size_t kTRecordSize = 76;
inline constexpr std::size_t kTBRecordSize = 84;
inline constexpr std::size_t kEntrySize = 1 + 2 * kTBRecordSize; // 169

// Field offsets inside a stored record.
namespace record_offset {
inline constexpr std::size_t kValueText = 0;     // 8
inline constexpr std::size_t kExponentText = 8;  // 4
inline constexpr std::size_t kFunction = 12;     // 4, uint32 LE
inline constexpr std::size_t kTimeText = 16;     // 16
inline constexpr std::size_t kDataText = 32;     // 16
inline constexpr std::size_t kUnitText = 48;     // 8
inline constexpr std::size_t kFunctionText = 56; // 16
inline constexpr std::size_t kValue = 72;        // 4, float LE
inline constexpr std::size_t kModeText = 76;     // 8, 84-byte records only
} // namespace record_offset

// The text of a fixed-width field: up to its first NUL, or the whole field when
// it holds none.
template <std::size_t N> std::string_view FieldView(const std::array<char, N>& field) {
    std::size_t n = 0;
    while (n < N && field[n] != 0)
        ++n;
    return std::string_view(field.data(), n);
}

// Store text in a fixed-width field, cut so that its terminator stays inside;
// the rest of the field is zeroed.
template <std::size_t N> void StoreField(std::array<char, N>& field, std::string_view text) {
    field.fill(0);
    text.copy(field.data(), N - 1);
}

// One display's part of a sample. Construction leaves every text empty and
// the function code and value 0.
struct TRecord {
    std::array<char, 8> valueText{};
    std::array<char, 4> exponentText{};
    std::uint32_t function = 0;
    std::array<char, 16> timeText{};
    std::array<char, 16> dataText{};     // the display's value field
    std::array<char, 8> unitText{};      // first label (normally the prefix)
    std::array<char, 16> functionText{}; // second label (normally the unit)
    float value = 0.0f;

    bool operator==(const TRecord&) const = default;
};

// A record with the display's coupling text ("AC", "DC", "T1", …).
struct TARecord : TRecord {
    std::array<char, 8> modeText{};
    bool operator==(const TARecord&) const = default;
};

// Samples use TBRecord for both displays; it has the same layout as TARecord.
struct TBRecord : TRecord {
    std::array<char, 8> modeText{};
    bool operator==(const TBRecord&) const = default;
};

// One sample: the has-sub byte (1 when the sub display was in use) and the
// records of both displays. The pair holds its records by value, so copying
// or destroying a pair copies or frees them with it.
struct RecordPair {
    std::uint8_t hasSub = 0;
    TBRecord main;
    TBRecord sub;

    bool operator==(const RecordPair&) const = default;
};

// The recorder's sample buffer: oldest sample first. A deque, so that
// appending never moves the samples already there: a buffer of millions
// grows without the stall of copying it.
using SampleBuffer = std::deque<RecordPair>;

// Byte layouts. Readers take exactly the layout's size; texts are kept as
// stored up to their terminator and the bytes after it are zeroed, so that a
// record saved again has a defined image. A field without terminator keeps
// all its bytes.
void ReadTRecord(const std::uint8_t* bytes, TRecord& record);    // 76 bytes
void WriteTRecord(const TRecord& record, std::uint8_t* bytes);   // 76 bytes
void ReadTBRecord(const std::uint8_t* bytes, TBRecord& record);  // 84 bytes
void WriteTBRecord(const TBRecord& record, std::uint8_t* bytes); // 84 bytes
void ReadEntry(const std::uint8_t* bytes, RecordPair& pair);     // 169 bytes
void WriteEntry(const RecordPair& pair, std::uint8_t* bytes);    // 169 bytes

// Mode text of an older single-display record, derived from its function code.
std::string_view ModeTextForCode(std::uint32_t code);

// Little-endian helpers shared by the file code.
inline std::uint32_t LoadU32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}
inline void StoreU32(std::uint8_t* p, std::uint32_t v) {
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
    p[2] = std::uint8_t(v >> 16);
    p[3] = std::uint8_t(v >> 24);
}

} // namespace ostrel
