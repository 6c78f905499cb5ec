#include "import/session_record_maker.h"

#include "import/session_codes.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace ostrel {

namespace digit_words {
namespace {

// The digits of the numbers 0 … n - 1, each with `digits` digits (leading
// zeros included).
template <std::size_t n> constexpr std::array<std::uint64_t, n> DigitWords(unsigned digits) {
    std::array<std::uint64_t, n> words{};
    for (std::size_t i = 0; i < n; ++i) {
        std::size_t rest = i;
        for (unsigned d = digits; d-- > 0; rest /= 10)
            words[i] |= static_cast<std::uint64_t>('0' + rest % 10) << (8 * d);
    }
    return words;
}

} // namespace

constexpr std::array<std::uint64_t, 10000> kCounts = [] {
    std::array<std::uint64_t, 10000> words = DigitWords<10000>(4);
    for (std::size_t i = 0; i < words.size(); ++i)
        words[i] |= static_cast<std::uint64_t>((i >= 10) + (i >= 100) + (i >= 1000)) << 32;
    return words;
}();

constexpr std::array<std::uint64_t, 1000> kThousandths = [] {
    std::array<std::uint64_t, 1000> words = DigitWords<1000>(3);
    for (std::uint64_t& word : words)
        word = '.' | word << 8 | std::uint64_t{'"'} << 32;
    return words;
}();

constexpr std::array<std::uint64_t, 100> kPairs = DigitWords<100>(2);

} // namespace digit_words

namespace {

template <std::size_t N> std::array<char, N> Field(std::string_view text) {
    std::array<char, N> field{};
    StoreField(field, text);
    return field;
}

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

TimeField SessionClock::other(double t) {
    // Well inside the minute of the last time, its hours and minutes are
    // what the divisions would give again; near its edges they are worked out.
    if (!(t >= m_from && t < m_to)) {
        m_hours = static_cast<int>(t / 60 / 60);
        m_minutes = static_cast<int>((t - 3600.0 * m_hours) / 60);
        m_hourSeconds = 3600.0 * m_hours;
        m_minuteSeconds = 60.0 * m_minutes;
        const double start = m_hourSeconds + m_minuteSeconds;
        m_from = start + kMargin;
        m_to = start + 60.0 - kMargin;
        std::memset(m_prefix, 0, sizeof m_prefix);
        m_prefixLength =
            static_cast<std::size_t>(HoursAndMinutes(m_hours, m_minutes, m_prefix) - m_prefix);
    }
    const float s = static_cast<float>(t - m_hourSeconds - m_minuteSeconds);
    if (std::signbit(s) || !(s < 99.0f) || m_prefixLength > 8)
        return WithSeconds(m_prefix, m_prefixLength, s);
    return usual(s);
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
    // The quick data texts fit a machine word.
    const bool fixedFits = r.layout.decimals >= 0 && r.layout.decimals <= 3 &&
                           std::min(r.layout.width, r.layout.widthNegative) >= 0 &&
                           std::max(r.layout.width, r.layout.widthNegative) <= kMaxFixedWidth;
    if (!r.quickValue || (r.layout.kind == PlainDataLayout::Fixed && !fixedFits))
        r.layout.kind = PlainDataLayout::Slow;
    if (r.layout.kind == PlainDataLayout::Fixed) {
        r.shapes[0] = &Shapes(r.layout.decimals, r.layout.width, false);
        r.shapes[1] = &Shapes(r.layout.decimals, r.layout.widthNegative, true);
    }
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

// The shapes of every fixed layout: a count with `decimals` (0 to 3) digits
// after the point, a minus when negative and zeros after the sign up to the
// width (at most 8): its significant digits, never fewer than the decimals
// and one more.
const SessionRecordMaker::DataShapes& SessionRecordMaker::Shapes(int decimals, int width,
                                                                 bool negative) {
    // By sign, decimals and width.
    using FixedShapes = std::array<std::array<std::array<DataShapes, kMaxFixedWidth + 1>, 4>, 2>;
    static constexpr FixedShapes kShapes = [] {
        FixedShapes shapes{};
        for (unsigned sign = 0; sign < 2; ++sign)
            for (unsigned d = 0; d < 4; ++d)
                for (int width = 0; width <= kMaxFixedWidth; ++width)
                    for (unsigned n = 1; n <= 4; ++n) {
                        // Digits before the point: the count's own, or more
                        // to fill the width.
                        const unsigned point = d > 0 ? 1 : 0;
                        const auto whole = static_cast<unsigned>(
                            std::max(width - static_cast<int>(sign + point + d),
                                     static_cast<int>(std::max(n, d + 1) - d)));
                        DataShape& shape = shapes[sign][d][static_cast<std::size_t>(width)][n - 1];
                        shape.base = sign ? '-' : 0;
                        // The whole digits end where the decimals begin:
                        // to the top of the word, to its bottom, after the
                        // sign.
                        shape.wholeLeft = static_cast<std::uint8_t>(8 * d);
                        shape.wholeRight = static_cast<std::uint8_t>(64 - 8 * whole);
                        shape.wholeAt = static_cast<std::uint8_t>(8 * sign);
                        shape.decimalsRight = static_cast<std::uint8_t>(8 * (4 - d));
                        if (d > 0) {
                            shape.base |= std::uint64_t{'.'} << (8 * (sign + whole));
                            shape.decimalsAt = static_cast<std::uint8_t>(8 * (sign + whole + 1));
                        }
                    }
        return shapes;
    }();
    return kShapes[negative ? 1 : 0][static_cast<std::size_t>(decimals)]
                  [static_cast<std::size_t>(width)];
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
