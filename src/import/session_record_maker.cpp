#include "import/session_record_maker.h"

#include "import/session_codes.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace ostrel {
namespace {

template <std::size_t N> std::array<char, N> Field(std::string_view text) {
    std::array<char, N> field{};
    StoreField(field, text);
    return field;
}

// Copy len bytes of text into a field and zero the rest (len < N).
template <std::size_t N>
void PutField(std::array<char, N>& field, const char* text, std::size_t len) {
    std::memcpy(field.data(), text, len);
    std::memset(field.data() + len, 0, N - len);
}

// The four digits of a count below 10,000.
void FourDigits(unsigned raw, char* out) {
    out[0] = static_cast<char>('0' + raw / 1000);
    out[1] = static_cast<char>('0' + raw / 100 % 10);
    out[2] = static_cast<char>('0' + raw / 10 % 10);
    out[3] = static_cast<char>('0' + raw % 10);
}

// The count with `decimals` digits after the point (at least one before it),
// a minus when negative and zeros after the sign up to width. Returns the
// length.
std::size_t FixedText(unsigned raw, bool negative, int decimals, int width, char* out) {
    const auto d = static_cast<std::size_t>(decimals);
    char all[16];
    char* begin = all + 8;
    char* end = std::to_chars(begin, all + sizeof all, raw).ptr;
    while (static_cast<std::size_t>(end - begin) < d + 1)
        *--begin = '0';
    const auto n = static_cast<std::size_t>(end - begin);
    const std::size_t body = n + (d > 0 ? 1 : 0);
    std::size_t len = 0;
    if (negative)
        out[len++] = '-';
    while (len + body < static_cast<std::size_t>(width))
        out[len++] = '0';
    std::memcpy(out + len, begin, n - d);
    len += n - d;
    if (d > 0) {
        out[len++] = '.';
        std::memcpy(out + len, begin + n - d, d);
        len += d;
    }
    return len;
}

} // namespace

TimeField SessionTimeField(double t) {
    const int h = static_cast<int>(t / 60 / 60);
    const int m = static_cast<int>((t - 3600.0 * h) / 60);
    const float s = static_cast<float>(t - 3600.0 * h - 60.0 * m);
    char buf[64];
    char* p = std::to_chars(buf, buf + 16, h).ptr;
    *p++ = ':';
    if (m >= 0 && m < 10) {
        *p++ = '0';
        *p++ = static_cast<char>('0' + m);
    } else {
        p = std::to_chars(p, buf + 32, m).ptr;
    }
    *p++ = '\'';
    // "%4.3f" of s: a float times 1000 is exact in a double, so rounding it to
    // a whole number, to nearest with ties to even as printf rounds, gives the
    // same three decimals.
    if (std::signbit(s))
        *p++ = '-';
    const double x = std::fabs(static_cast<double>(s)) * 1000.0;
    auto q = static_cast<std::uint64_t>(x);
    const double rest = x - static_cast<double>(q);
    if (rest > 0.5 || (rest == 0.5 && (q & 1) != 0))
        ++q;
    const std::uint64_t whole = q / 1000;
    if (whole < 10)
        *p++ = static_cast<char>('0' + whole);
    else
        p = std::to_chars(p, buf + 56, whole).ptr;
    const auto frac = static_cast<unsigned>(q % 1000);
    p[0] = '.';
    p[1] = static_cast<char>('0' + frac / 100);
    p[2] = static_cast<char>('0' + frac / 10 % 10);
    p[3] = static_cast<char>('0' + frac % 10);
    p[4] = '"';
    p += 5;
    TimeField field{};
    const std::size_t len = std::min<std::size_t>(static_cast<std::size_t>(p - buf), 15);
    std::memcpy(field.data(), buf, len);
    return field;
}

SessionRecordMaker::SessionRecordMaker(std::uint32_t function, int table, bool isMain)
    : m_function(function), m_temperature(IsTemperatureCode(function)),
      m_functionText(Field<16>(SessionFunctionText(function, isMain))) {
    for (int k = 0; k < 16; ++k) {
        Range& r = m_ranges[static_cast<std::size_t>(k)];
        const std::optional<int> e = RangeExponent(table, k);
        r.known = e.has_value();
        r.exponent = e.value_or(0);
        char text[8];
        r.exponentText =
            Field<4>(std::string_view(text, std::to_chars(text, text + 8, r.exponent).ptr));
        r.unitText = Field<8>(SessionPrefixText(function, r.exponent));
        r.layout = PlainDataTextLayout(function, r.exponent);
        // The value "d.dddEe" is count × 10^(e - 3): one exact power of ten
        // and one rounding, as the correctly rounded reading of the text.
        const int q = r.exponent - 3;
        r.scaleDivides = q < 0;
        r.scale = std::pow(10.0, std::abs(q));
        if (std::abs(q) > 22)
            r.layout.kind = PlainDataLayout::Slow;
    }
}

void SessionRecordMaker::fillSlow(TRecord& r, const LoggerValue& value, const Range& range) const {
    std::string v = SessionValueText(value, m_function);
    const std::string data = SessionDataText(v, m_function, range.exponent);
    if (m_temperature && !v.empty())
        v.pop_back();
    StoreField(r.valueText, v);
    StoreField(r.dataText, data);
    r.value = SessionValue(v, m_function, range.exponent);
}

bool SessionRecordMaker::fill(TRecord& r, const LoggerValue& value, const TimeField& time) const {
    const Range& range = m_ranges[value.range & 0x0F];
    r.exponentText = range.exponentText;
    r.function = m_function;
    r.timeText = time;
    r.unitText = range.unitText;
    r.functionText = m_functionText;
    if (value.overload() || value.raw > 9999 || range.layout.kind == PlainDataLayout::Slow) {
        fillSlow(r, value, range);
        return range.known;
    }
    const bool negative = value.negative();
    const unsigned raw = value.raw;
    // Value text: "d.ddd" with a leading minus (the degree letter of a
    // temperature is cut from the stored text).
    char v[8];
    std::size_t vlen = 0;
    if (negative)
        v[vlen++] = '-';
    char digits[4];
    FourDigits(raw, digits);
    v[vlen++] = digits[0];
    v[vlen++] = '.';
    std::memcpy(v + vlen, digits + 1, 3);
    vlen += 3;
    PutField(r.valueText, v, vlen);

    const PlainDataLayout& layout = range.layout;
    if (layout.kind == PlainDataLayout::ValueText) {
        PutField(r.dataText, v, vlen);
    } else {
        char data[16];
        const std::size_t n = FixedText(raw, negative, layout.decimals,
                                        negative ? layout.widthNegative : layout.width, data);
        PutField(r.dataText, data, n);
    }
    const double magnitude = range.scaleDivides ? static_cast<double>(raw) / range.scale
                                                : static_cast<double>(raw) * range.scale;
    r.value = static_cast<float>(negative ? -magnitude : magnitude);
    return range.known;
}

} // namespace ostrel
