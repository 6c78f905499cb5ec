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
#include <cstdint>
#include <optional>
#include <vector>

namespace ostrel {

// The time text of a reading t seconds after the start of its session, as the
// record's 16-byte field ("%d:%02d'%4.3f\"", cut to the field).
using TimeField = std::array<char, 16>;
TimeField SessionTimeField(double t);

// The same for the times of one session, one after the other: the hours and
// minutes are kept while the times stay well inside their minute.
class SessionClock {
  public:
    TimeField field(double t);

  private:
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
    bool fill(TRecord& r, const LoggerValue& value) const;
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
    // A quick data text, put together from the word of a count's digits
    // after four zeros ("0000dddd", first character lowest): the sign and
    // point, then the whole digits and the decimals cut from the word.
    struct DataShape {
        std::uint64_t base = 0; // the minus and the point in their places
        std::uint64_t wholeMask = 0, decimalsMask = 0;
        std::uint8_t wholeShift = 0, wholeAt = 0, decimalsShift = 0, decimalsAt = 0;
    };
    struct Range {
        bool known = false;
        int exponent = 0;
        std::array<char, 4> exponentText{};
        std::array<char, 8> unitText{};
        PlainDataLayout layout;
        // A fixed layout's data texts, by sign, then by the number of
        // significant digits less one.
        std::array<std::array<DataShape, 4>, 2> shapes{};
        double scale = 1; // 10^|exponent - 3|, exact
        bool scaleDivides = false;
        bool quickValue = false;     // the scale is an exact power of ten
        float overloadValue[2] = {}; // of an overload, without and with the minus
    };

    void setRange(int k, std::optional<int> exponent);
    static DataShape Shape(const PlainDataLayout& layout, bool negative, unsigned significant);
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
