#include "import/session_record.h"

#include <bit>
#include <cstring>

namespace ostrel {
namespace {

void PutU32(std::uint8_t* out, std::uint32_t v) {
    out[0] = static_cast<std::uint8_t>(v);
    out[1] = static_cast<std::uint8_t>(v >> 8);
    out[2] = static_cast<std::uint8_t>(v >> 16);
    out[3] = static_cast<std::uint8_t>(v >> 24);
}

std::uint32_t GetU32(const std::uint8_t* in) {
    return std::uint32_t(in[0]) | std::uint32_t(in[1]) << 8 | std::uint32_t(in[2]) << 16 |
           std::uint32_t(in[3]) << 24;
}

template <std::size_t N>
void PutField(std::uint8_t* out, const std::array<char, N>& field) {
    std::memcpy(out, field.data(), N);
}

// Stored bytes after the terminator are undefined: keep the text only. A
// text without a terminator is cut at the width of its field.
template <std::size_t N>
void GetField(const std::uint8_t* in, std::array<char, N>& field) {
    field.fill(0);
    for (std::size_t i = 0; i < N && in[i] != 0; ++i) field[i] = static_cast<char>(in[i]);
}

} // namespace

void WriteSessionRecord(const SessionRecord& r, std::uint8_t* out) {
    PutField(out + 0, r.valueText);
    PutField(out + 8, r.exponentText);
    PutU32(out + 12, r.function);
    PutField(out + 16, r.timeText);
    PutField(out + 32, r.dataText);
    PutField(out + 48, r.unitText);
    PutField(out + 56, r.functionText);
    PutU32(out + 72, std::bit_cast<std::uint32_t>(r.value));
}

SessionRecord ReadSessionRecord(const std::uint8_t* in) {
    SessionRecord r;
    GetField(in + 0, r.valueText);
    GetField(in + 8, r.exponentText);
    r.function = GetU32(in + 12);
    GetField(in + 16, r.timeText);
    GetField(in + 32, r.dataText);
    GetField(in + 48, r.unitText);
    GetField(in + 56, r.functionText);
    r.value = std::bit_cast<float>(GetU32(in + 72));
    return r;
}

} // namespace ostrel
