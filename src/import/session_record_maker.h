#pragma once
// Forms the records of one display of a logger session at the speed of a
// maximal memory (millions of readings): everything that depends only on the
// display's function and range code is worked out once per session, and the
// common reading, four digits without overload, is formed with integer
// arithmetic. Every other reading goes through the text rules of
// session_reading.h; both ways give the same bytes.

#include "import/session_reading.h"
#include "recorder/record.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

namespace ostrel {

// Texts of digits as the lowest bytes of machine words (the first character
// lowest), copied into the fields whole.
namespace digit_words {
static_assert(std::endian::native == std::endian::little);
// The four digits of each count below 10,000 (leading zeros included) and,
// in the fifth byte, how many of them are significant less one (0 to 3).
extern const std::array<std::uint64_t, 10000> kCounts;
// ".ddd\"" of each number of thousandths below 1,000.
extern const std::array<std::uint64_t, 1000> kThousandths;
// The two digits of each number below 100.
extern const std::array<std::uint64_t, 100> kPairs;
} // namespace digit_words

// The time text of a reading t seconds after the start of its session, as the
// record's 16-byte field ("%d:%02d'%4.3f\"", cut to the field).
using TimeField = std::array<char, 16>;
TimeField SessionTimeField(double t);

// The same for the times of one session, one after the other: the hours and
// minutes are kept while the times stay well inside their minute.
class SessionClock {
  public:
    TimeField field(double t) {
        if (t >= m_from && t < m_to) {
            const float s = static_cast<float>(t - m_hourSeconds - m_minuteSeconds);
            if (!std::signbit(s) && s < 99.0f && m_prefixLength <= 8)
                return usual(s);
        }
        return other(t);
    }

  private:
    // Seconds from 0 to 99 after a prefix short enough for the whole text to
    // fit the field: "s.sss\"" or "ss.sss\"".
    TimeField usual(float s) const {
        // "%4.3f" of s: a float times 1000 is exact in a double, so rounding
        // it to a whole number, to nearest with ties to even as printf rounds,
        // gives the same three decimals.
        const double x = static_cast<double>(s) * 1000.0;
        auto q = static_cast<unsigned>(x);
        const double rest = x - static_cast<double>(q);
        if (rest > 0.5 || (rest == 0.5 && (q & 1) != 0))
            ++q;
        // Put together with room to spare (the prefix is zero beyond its
        // end), then cut to the field.
        char text[24];
        std::memcpy(text, m_prefix, sizeof text);
        char* p = text + m_prefixLength;
        const unsigned whole = q / 1000;
        if (whole >= 10) {
            std::memcpy(p, &digit_words::kPairs[whole], 2);
            p += 2;
        } else {
            *p++ = static_cast<char>('0' + whole);
        }
        std::memcpy(p, &digit_words::kThousandths[q % 1000], 8);
        TimeField field;
        std::memcpy(field.data(), text, field.size());
        return field;
    }
    // Any other time; keeps its hours and minutes.
    TimeField other(double t);

    // Far more than the rounding of the divisions at any time a session reaches.
    static constexpr double kMargin = 1e-3;
    double m_from = 1.0, m_to = 0.0; // nothing kept yet
    int m_hours = 0, m_minutes = 0;
    double m_hourSeconds = 0, m_minuteSeconds = 0; // 3600 × hours, 60 × minutes
    char m_prefix[40] = {};
    std::size_t m_prefixLength = 0;
};

class SessionRecordMaker {
  public:
    // The range codes of a range table.
    SessionRecordMaker(std::uint32_t function, int table, bool isMain);
    // No range codes yet: addExponent() gives them.
    SessionRecordMaker(std::uint32_t function, bool isMain);

    // Fill every field of r for one value. Returns false when the range code
    // is not in the range table (the exponent is then 0).
    bool fill(TRecord& r, const LoggerValue& value) const {
        const Range& range = m_ranges[value.range & 0x0F];
        r.exponentText = range.exponentText;
        r.function = m_function;
        r.unitText = range.unitText;
        r.functionText = m_functionText;
        if (value.overload() || value.raw > 9999 || range.layout.kind == PlainDataLayout::Slow)
            fillSlow(r, value, range);
        else
            fillQuick(r, value.raw, value.negative(), range);
        return range.known;
    }
    bool fill(TRecord& r, const LoggerValue& value, const TimeField& time) const {
        r.timeText = time;
        return fill(r, value);
    }
    // The number alone, as fill() gives it.
    float value(const LoggerValue& value) const {
        const Range& range = m_ranges[value.range & 0x0F];
        if (value.overload())
            return range.overloadValue[value.negative() ? 1 : 0];
        if (value.raw > 9999 || !range.quickValue)
            return slowValue(value);
        return QuickValue(range, value.raw, value.negative());
    }

    // The numbers of the counts 0 … 9999 of range code k without overload or
    // minus, as value() gives them (with the minus: the same, negated); empty
    // for a range code the table does not list or whose numbers value()
    // works out another way.
    std::vector<float> countValues(int k) const;

    std::uint32_t function() const { return m_function; }
    // The range code whose exponent is e: one already given, else the next
    // free one; -1 when all 16 are taken.
    int addExponent(int e);

  private:
    // A quick data text, put together from the word of a count's four
    // digits after four zeros ("0000dddd", first character lowest): the
    // minus and the point in their places, the whole digits shifted out of
    // the word and the decimals out of the four digits.
    struct DataShape {
        std::uint64_t base = 0;
        std::uint8_t wholeLeft = 0, wholeRight = 0, wholeAt = 0, decimalsRight = 0, decimalsAt = 0;
    };
    // By the number of significant digits less one.
    using DataShapes = std::array<DataShape, 4>;
    static constexpr int kMaxFixedWidth = 8;
    static const DataShapes& Shapes(int decimals, int width, bool negative);
    struct Range {
        bool known = false;
        int exponent = 0;
        std::array<char, 4> exponentText{};
        std::array<char, 8> unitText{};
        PlainDataLayout layout;
        // A fixed layout's data texts, without and with the minus.
        const DataShapes* shapes[2] = {};
        double scale = 1; // 10^|exponent - 3|, exact
        bool scaleDivides = false;
        bool quickValue = false;     // the scale is an exact power of ten
        float overloadValue[2] = {}; // of an overload, without and with the minus
    };

    void setRange(int k, std::optional<int> exponent);
    // A count of four digits or fewer without overload, of a range whose
    // data text is not left to the text rules.
    static void fillQuick(TRecord& r, unsigned raw, bool negative, const Range& range) {
        const std::uint64_t count = digit_words::kCounts[raw];
        const std::uint64_t four = count & 0xFFFFFFFF;
        // Value text: "d.ddd" with a leading minus (the degree letter of a
        // temperature is cut from the stored text).
        std::uint64_t text = (four & 0xFF) | std::uint64_t{'.'} << 8 | (four & 0xFFFFFF00) << 8;
        if (negative)
            text = text << 8 | '-';
        std::memcpy(r.valueText.data(), &text, 8);
        if (range.layout.kind == PlainDataLayout::Fixed) {
            const DataShape& shape = (*range.shapes[negative ? 1 : 0])[count >> 32];
            const std::uint64_t padded = 0x30303030u | four << 32;
            text = shape.base | (padded << shape.wholeLeft) >> shape.wholeRight << shape.wholeAt |
                   (four >> shape.decimalsRight) << shape.decimalsAt;
        }
        const std::uint64_t zero = 0;
        std::memcpy(r.dataText.data(), &text, 8);
        std::memcpy(r.dataText.data() + 8, &zero, 8);
        r.value = QuickValue(range, raw, negative);
    }
    // The number of a count of four digits or fewer without overload.
    static float QuickValue(const Range& range, unsigned raw, bool negative) {
        const double magnitude = range.scaleDivides ? static_cast<double>(raw) / range.scale
                                                    : static_cast<double>(raw) * range.scale;
        return static_cast<float>(negative ? -magnitude : magnitude);
    }
    float slowValue(const LoggerValue& value) const;
    void fillSlow(TRecord& r, const LoggerValue& value, const Range& range) const;

    std::uint32_t m_function;
    bool m_temperature;
    std::array<char, 16> m_functionText{};
    std::array<Range, 16> m_ranges{};
    int m_rangesGiven = 0; // by addExponent
};

} // namespace ostrel
