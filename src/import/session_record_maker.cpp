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

// The four digits of a count below 10,000.
void FourDigits(unsigned raw, char* out) {
    out[0] = static_cast<char>('0' + raw / 1000);
    out[1] = static_cast<char>('0' + raw / 100 % 10);
    out[2] = static_cast<char>('0' + raw / 10 % 10);
    out[3] = static_cast<char>('0' + raw % 10);
}

// A count below 10,000 with `decimals` digits after the point (at least one
// before it), a minus when negative and zeros after the sign up to width,
// into a field that is zero beyond it.
std::array<char, 16> FixedText(unsigned raw, bool negative, int decimals, int width) {
    const auto d = static_cast<std::size_t>(decimals);
    char four[4];
    FourDigits(raw, four);
    // Significant digits, and never fewer than the decimals and one more.
    std::size_t n = raw >= 1000 ? 4 : raw >= 100 ? 3 : raw >= 10 ? 2 : 1;
    n = std::min<std::size_t>(std::max(n, d + 1), 4);
    const char* digits = four + (4 - n);
    std::array<char, 16> out{};
    std::size_t len = 0;
    if (negative)
        out[len++] = '-';
    const std::size_t body = n + (d > 0 ? 1 : 0);
    while (len + body < static_cast<std::size_t>(width))
        out[len++] = '0';
    for (std::size_t i = 0; i < n - d; ++i)
        out[len++] = digits[i];
    if (d > 0) {
        out[len++] = '.';
        for (std::size_t i = n - d; i < n; ++i)
            out[len++] = digits[i];
    }
    return out;
}

} // namespace

namespace {

// "h:mm'" of hours and minutes; returns the end.
char* HoursAndMinutes(int h, int m, char* p) {
    if (h >= 0 && h < 10)
        *p++ = static_cast<char>('0' + h);
    else
        p = std::to_chars(p, p + 16, h).ptr;
    *p++ = ':';
    if (m >= 0 && m < 100) {
        *p++ = static_cast<char>('0' + m / 10);
        *p++ = static_cast<char>('0' + m % 10);
    } else {
        p = std::to_chars(p, p + 16, m).ptr;
    }
    *p++ = '\'';
    return p;
}

// The whole field: "h:mm'" (len bytes at prefix), then "%4.3f\"" of s.
TimeField WithSeconds(const char* prefix, std::size_t len, float s) {
    char buf[64];
    std::memcpy(buf, prefix, len);
    char* p = buf + len;
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
    if (whole < 10) {
        *p++ = static_cast<char>('0' + whole);
    } else if (whole < 100) {
        *p++ = static_cast<char>('0' + whole / 10);
        *p++ = static_cast<char>('0' + whole % 10);
    } else {
        p = std::to_chars(p, buf + 56, whole).ptr;
    }
    const auto frac = static_cast<unsigned>(q % 1000);
    p[0] = '.';
    p[1] = static_cast<char>('0' + frac / 100);
    p[2] = static_cast<char>('0' + frac / 10 % 10);
    p[3] = static_cast<char>('0' + frac % 10);
    p[4] = '"';
    p += 5;
    TimeField field{};
    const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(p - buf), 15);
    std::memcpy(field.data(), buf, n);
    return field;
}

} // namespace

TimeField SessionTimeField(double t) {
    const int h = static_cast<int>(t / 60 / 60);
    const int m = static_cast<int>((t - 3600.0 * h) / 60);
    char prefix[40];
    const auto len = static_cast<std::size_t>(HoursAndMinutes(h, m, prefix) - prefix);
    return WithSeconds(prefix, len, static_cast<float>(t - 3600.0 * h - 60.0 * m));
}

TimeField SessionClock::field(double t) {
    // Well inside the minute of the last time, its hours and minutes are
    // what the divisions would give again; near its edges they are worked out.
    if (!(t >= m_from && t < m_to)) {
        m_hours = static_cast<int>(t / 60 / 60);
        m_minutes = static_cast<int>((t - 3600.0 * m_hours) / 60);
        const double start = 3600.0 * m_hours + 60.0 * m_minutes;
        m_from = start + kMargin;
        m_to = start + 60.0 - kMargin;
        std::memset(m_prefix, 0, sizeof m_prefix);
        m_prefixLength =
            static_cast<std::size_t>(HoursAndMinutes(m_hours, m_minutes, m_prefix) - m_prefix);
    }
    const float s = static_cast<float>(t - 3600.0 * m_hours - 60.0 * m_minutes);
    if (std::signbit(s) || !(s < 99.0f))
        return WithSeconds(m_prefix, m_prefixLength, s);
    // The usual case: "s.sss\"" or "ss.sss\"" after a prefix short enough
    // for the whole text to fit the field; the prefix is zero beyond its end,
    // so is the field. Rounded as in WithSeconds.
    if (m_prefixLength > 8)
        return WithSeconds(m_prefix, m_prefixLength, s);
    TimeField field;
    std::memcpy(field.data(), m_prefix, field.size());
    const double x = static_cast<double>(s) * 1000.0;
    auto q = static_cast<unsigned>(x);
    const double rest = x - static_cast<double>(q);
    if (rest > 0.5 || (rest == 0.5 && (q & 1) != 0))
        ++q;
    char* p = field.data() + m_prefixLength;
    const unsigned whole = q / 1000;
    if (whole >= 10)
        *p++ = static_cast<char>('0' + whole / 10);
    *p++ = static_cast<char>('0' + whole % 10);
    const unsigned frac = q % 1000;
    p[0] = '.';
    p[1] = static_cast<char>('0' + frac / 100);
    p[2] = static_cast<char>('0' + frac / 10 % 10);
    p[3] = static_cast<char>('0' + frac % 10);
    p[4] = '"';
    return field;
}

SessionRecordMaker::SessionRecordMaker(std::uint32_t function, int table, bool isMain)
    : SessionRecordMaker(function, isMain) {
    for (int k = 0; k < 16; ++k)
        setRange(k, RangeExponent(table, k));
    m_rangesGiven = 16;
}

SessionRecordMaker::SessionRecordMaker(std::uint32_t function, bool isMain)
    : m_function(function), m_temperature(IsTemperatureCode(function)),
      m_functionText(Field<16>(SessionFunctionText(function, isMain))) {}

int SessionRecordMaker::addExponent(int e) {
    for (int k = 0; k < m_rangesGiven; ++k)
        if (m_ranges[static_cast<std::size_t>(k)].exponent == e)
            return k;
    if (m_rangesGiven == 16)
        return -1;
    setRange(m_rangesGiven, e);
    return m_rangesGiven++;
}

void SessionRecordMaker::setRange(int k, std::optional<int> e) {
    Range& r = m_ranges[static_cast<std::size_t>(k)];
    r.known = e.has_value();
    r.exponent = e.value_or(0);
    char text[16];
    r.exponentText =
        Field<4>(std::string_view(text, std::to_chars(text, text + sizeof text, r.exponent).ptr));
    r.unitText = Field<8>(SessionPrefixText(m_function, r.exponent));
    r.layout = PlainDataTextLayout(m_function, r.exponent);
    // The value "d.dddEe" is count × 10^(e - 3): one exact power of ten
    // and one rounding, as the correctly rounded reading of the text.
    const int q = r.exponent - 3;
    r.scaleDivides = q < 0;
    r.quickValue = std::abs(q) <= 22;
    r.scale = r.quickValue ? std::pow(10.0, std::abs(q)) : 1.0;
    if (!r.quickValue)
        r.layout.kind = PlainDataLayout::Slow;
    // An overload's number depends on its range and sign alone.
    for (const bool negative : {false, true}) {
        LoggerValue overload;
        overload.flags = negative ? 0xC : 0x4;
        overload.range = static_cast<std::uint8_t>(k);
        TRecord record;
        fillSlow(record, overload, r);
        r.overloadValue[negative ? 1 : 0] = record.value;
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

float SessionRecordMaker::slowValue(const LoggerValue& value) const {
    TRecord r;
    fillSlow(r, value, m_ranges[value.range & 0x0F]);
    return r.value;
}

bool SessionRecordMaker::fill(TRecord& r, const LoggerValue& value) const {
    const Range& range = m_ranges[value.range & 0x0F];
    r.exponentText = range.exponentText;
    r.function = m_function;
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
    char digits[4];
    FourDigits(raw, digits);
    std::array<char, 8> v{};
    std::size_t at = 0;
    if (negative)
        v[at++] = '-';
    v[at] = digits[0];
    v[at + 1] = '.';
    v[at + 2] = digits[1];
    v[at + 3] = digits[2];
    v[at + 4] = digits[3];
    r.valueText = v;
    const PlainDataLayout& layout = range.layout;
    if (layout.kind == PlainDataLayout::ValueText) {
        std::array<char, 16> data{};
        std::copy(v.begin(), v.end(), data.begin());
        r.dataText = data;
    } else {
        r.dataText = FixedText(raw, negative, layout.decimals,
                               negative ? layout.widthNegative : layout.width);
    }
    r.value = QuickValue(range, raw, negative);
    return range.known;
}

std::vector<float> SessionRecordMaker::countValues(int k) const {
    const Range& range = m_ranges[static_cast<std::size_t>(k & 0x0F)];
    if (!range.known || !range.quickValue)
        return {};
    std::vector<float> values(10000);
    for (unsigned raw = 0; raw < values.size(); ++raw)
        values[raw] = QuickValue(range, raw, false);
    return values;
}

} // namespace ostrel
