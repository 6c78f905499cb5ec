#include "recorder/record.h"

#include <bit>
#include <cstring>

namespace ostrel {
namespace {

// Fields are a few bytes wide: a plain loop beats a library call here.
template <std::size_t N> std::size_t TextLength(const char* p) {
    std::size_t n = 0;
    while (n < N && p[n] != 0)
        ++n;
    return n;
}

template <std::size_t N> void ReadText(const std::uint8_t* src, std::array<char, N>& field) {
    std::memcpy(field.data(), src, N);
    const std::size_t n = TextLength<N>(field.data());
    for (std::size_t i = n; i < N; ++i)
        field[i] = 0;
}

template <std::size_t N> void WriteText(const std::array<char, N>& field, std::uint8_t* dst) {
    // Bytes after the terminator are written as zeros.
    std::memcpy(dst, field.data(), N);
    const std::size_t n = TextLength<N>(field.data());
    for (std::size_t i = n; i < N; ++i)
        dst[i] = 0;
}

} // namespace

void ReadTRecord(const std::uint8_t* b, TRecord& r) {
    using namespace record_offset;
    ReadText(b + kValueText, r.valueText);
    ReadText(b + kExponentText, r.exponentText);
    r.function = LoadU32(b + kFunction);
    ReadText(b + kTimeText, r.timeText);
    ReadText(b + kDataText, r.dataText);
    ReadText(b + kUnitText, r.unitText);
    ReadText(b + kFunctionText, r.functionText);
    r.value = std::bit_cast<float>(LoadU32(b + kValue));
}

void WriteTRecord(const TRecord& r, std::uint8_t* b) {
    using namespace record_offset;
    WriteText(r.valueText, b + kValueText);
    WriteText(r.exponentText, b + kExponentText);
    StoreU32(b + kFunction, r.function);
    WriteText(r.timeText, b + kTimeText);
    WriteText(r.dataText, b + kDataText);
    WriteText(r.unitText, b + kUnitText);
    WriteText(r.functionText, b + kFunctionText);
    StoreU32(b + kValue, std::bit_cast<std::uint32_t>(r.value));
}

void ReadTBRecord(const std::uint8_t* b, TBRecord& r) {
    ReadTRecord(b, r);
    ReadText(b + record_offset::kModeText, r.modeText);
}

void WriteTBRecord(const TBRecord& r, std::uint8_t* b) {
    WriteTRecord(r, b);
    WriteText(r.modeText, b + record_offset::kModeText);
}

void ReadEntry(const std::uint8_t* b, RecordPair& pair) {
    pair.hasSub = b[0];
    ReadTBRecord(b + 1, pair.main);
    ReadTBRecord(b + 1 + kTBRecordSize, pair.sub);
}

void WriteEntry(const RecordPair& pair, std::uint8_t* b) {
    b[0] = pair.hasSub;
    WriteTBRecord(pair.main, b + 1);
    WriteTBRecord(pair.sub, b + 1 + kTBRecordSize);
}

std::string_view ModeTextForCode(std::uint32_t code) {
    switch (code) {
    case 0x5:
    case 0x201:
    case 0x1000005:
        return "AC";
    case 0x6:
    case 0x202:
    case 0x1000006:
        return "DC";
    case 0x7:
    case 0x203:
        return "DC+AC";
    case 0x4000:
    case 0x4020:
    case 0x4040:
        return "T2";
    case 0x8000:
    case 0x8020:
    case 0x8040:
        return "T1";
    case 0xC000:
    case 0xC020:
    case 0xC040:
        return "T1-T2";
    default:
        return {};
    }
}

} // namespace ostrel
