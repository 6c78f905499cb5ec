#include "recorder/record.h"

#include <bit>
#include <cstring>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace ostrel {
namespace {

// A text field copied with every byte after its first zero byte zeroed. The
// field is taken a machine word at a time: a file of millions of records
// passes through here twice per record.
template <std::size_t N> [[gnu::always_inline]] inline void CopyText(const void* src, void* dst) {
    static_assert(N % 4 == 0);
    using Word = std::conditional_t<N % 8 == 0, std::uint64_t, std::uint32_t>;
    constexpr Word kOnes = static_cast<Word>(0x0101010101010101ull);
    constexpr Word kHighs = static_cast<Word>(0x8080808080808080ull);
    bool ended = false;
    for (std::size_t at = 0; at < N; at += sizeof(Word)) {
        Word w;
        std::memcpy(&w, static_cast<const char*>(src) + at, sizeof w);
        if (ended) {
            w = 0;
        } else if (const Word zeros = (w - kOnes) & ~w & kHighs; zeros != 0) {
            // The lowest marked byte is the first zero byte (marks above it may be false).
            ended = true;
            const int first = std::countr_zero(zeros) / 8;
            if constexpr (std::endian::native == std::endian::little)
                w = first == 0 ? 0 : static_cast<Word>(w & ((Word{1} << (8 * first)) - 1));
            else
                for (std::size_t i = static_cast<std::size_t>(first); i < sizeof w; ++i)
                    reinterpret_cast<char*>(&w)[i] = 0;
        }
        std::memcpy(static_cast<char*>(dst) + at, &w, sizeof w);
    }
}

#if defined(__SSE2__)
// The 16-byte fields in one vector: the zero bytes as a bit mask, then every
// lane before the first of them kept.
template <> [[gnu::always_inline]] inline void CopyText<16>(const void* src, void* dst) {
    const __m128i text = _mm_loadu_si128(static_cast<const __m128i*>(src));
    const auto zeros =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(text, _mm_setzero_si128())));
    if (zeros == 0) {
        _mm_storeu_si128(static_cast<__m128i*>(dst), text);
        return;
    }
    const __m128i lanes = _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    const __m128i keep =
        _mm_cmplt_epi8(lanes, _mm_set1_epi8(static_cast<char>(std::countr_zero(zeros))));
    _mm_storeu_si128(static_cast<__m128i*>(dst), _mm_and_si128(text, keep));
}
#endif

template <std::size_t N> void ReadText(const std::uint8_t* src, std::array<char, N>& field) {
    CopyText<N>(src, field.data());
}

template <std::size_t N>
[[gnu::always_inline]] inline void WriteText(const std::array<char, N>& field, std::uint8_t* dst) {
    // Bytes after the terminator are written as zeros.
    CopyText<N>(field.data(), dst);
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
