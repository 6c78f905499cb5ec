#include "recorder/sample_conversion.h"

#include "base/number_format.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <string>

namespace ostrel {
namespace {

// A double beyond the float range becomes an infinity instead of undefined behaviour.
float ToFloat(double v) {
    if (v > FLT_MAX)
        return INFINITY;
    if (v < -FLT_MAX)
        return -INFINITY;
    return static_cast<float>(v);
}

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

std::string TrimRight(std::string_view s) {
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return std::string(s);
}

std::string Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    return TrimRight(s);
}

bool Contains(std::string_view s, char c) {
    return s.find(c) != std::string_view::npos;
}

bool ParseInt(std::string_view text, int& value) {
    double d = 0.0;
    if (text.empty() || Contains(text, '.') || Contains(text, 'E') || Contains(text, 'e'))
        return false;
    if (!ParseDecimal(text, d) || std::fabs(d) > 1e6)
        return false;
    value = static_cast<int>(d);
    return true;
}

bool IsMainTemperature(std::uint32_t c) {
    return c == 0x4020 || c == 0x4040 || c == 0x8020 || c == 0x8040 || c == 0xC020 || c == 0xC040;
}

bool IsCelsiusCode(std::uint32_t c) {
    return c == 0x20 || c == 0x4020 || c == 0x8020 || c == 0xC020;
}
bool IsFahrenheitCode(std::uint32_t c) {
    return c == 0x40 || c == 0x4040 || c == 0x8040 || c == 0xC040;
}

// The display text as the record keeps it: an overload text loses only its
// trailing blanks (and only when it has a point), a negative display gets its
// sign in place of the sign slot, anything else is trimmed; a dual-sensor
// temperature loses its degree letter.
std::string CleanText(const DisplayReading& d, bool dropLetter) {
    const std::string_view raw = d.valueText;
    std::string t;
    if (Contains(raw, 'L')) {
        t = Contains(raw, '.') ? TrimRight(raw) : std::string(raw);
    } else if (d.negative) {
        t = "-" + Trim(raw.empty() ? raw : raw.substr(1));
    } else {
        t = Trim(raw);
    }
    if (dropLetter && !t.empty() && (Contains(t, 'C') || Contains(t, 'F')))
        t.pop_back();
    return t;
}

// The decimal shift d of a display text: the characters before its point,
// less one (the sign not counted); without a point, its length less one.
int DigitShift(const std::string& t, bool negative) {
    const std::string_view digits =
        negative && !t.empty() ? std::string_view(t).substr(1) : std::string_view(t);
    const auto dot = digits.find('.');
    if (dot != std::string_view::npos)
        return static_cast<int>(dot) + 1 - 2;
    return static_cast<int>(digits.size()) - 1;
}

// 6.6 and 10.9989 are doubles; only the product becomes a float.
double Scaled(double base, int d, int e) {
    return base * std::pow(10.0, d) * std::pow(10.0, e);
}

std::optional<double> MainOverload(std::uint32_t c, int d, int e) {
    switch (c) {
    case 0x4:
    case 0x80:
    case 0x180:
    case 0x201:
    case 0x202:
    case 0x203:
    case 0x2080:
    case 0x1000005:
    case 0x1000006:
        return Scaled(6.6, d, e);
    case 0x5:
    case 0x6:
    case 0x7:
    case 0x400:
        return Scaled(10.9989, d, e);
    case 0x8:
        return Scaled(6.6, d, e) * 1e6;
    case 0x1000:
        return Scaled(10.9989, d, e) * 1e9;
    case 0x800:
        return 110.0;
    case 0x2000:
        return 1100.0;
    default:
        return std::nullopt;
    }
}

std::optional<double> SubOverload(std::uint32_t c, int d, int e) {
    switch (c) {
    case 0x5:
    case 0x201:
        return Scaled(6.6, d, e);
    case 0x400:
    case 0x200000:
        return Scaled(10.9989, d, e);
    default:
        return std::nullopt;
    }
}

void FillRecord(TBRecord& r, const DisplayReading& d, std::string_view valueText,
                std::string_view timeText, float value) {
    StoreField(r.valueText, valueText);
    StoreField(r.exponentText, d.exponentText);
    r.function = static_cast<std::uint32_t>(d.function);
    StoreField(r.timeText, timeText);
    StoreField(r.dataText, FieldText(d.valueField));
    StoreField(r.unitText, FieldText(d.firstLabelField));
    StoreField(r.functionText, FieldText(d.secondLabelField));
    r.value = value;
    StoreField(r.modeText, d.couplingText);
}

} // namespace

bool ParseDecimal(std::string_view s, double& value) {
    if (!IsDecimalRealText(s))
        return false;
    // from_chars reads "." as the decimal separator whatever the locale; it
    // takes no "+" sign.
    const char* first = s.data() + (s[0] == '+' ? 1 : 0);
    const auto [end, ec] = std::from_chars(first, s.data() + s.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // Beyond the double range: a zero for a negative exponent (too small),
        // else an infinity, with the number's sign.
        const auto e = s.find_first_of("Ee");
        const bool tiny = e != std::string_view::npos && e + 1 < s.size() && s[e + 1] == '-';
        const double magnitude = tiny ? 0.0 : HUGE_VAL;
        value = s[0] == '-' ? -magnitude : magnitude;
        return true;
    }
    return ec == std::errc() && end == s.data() + s.size();
}

std::string FormatSampleTime(int hour, int minute, int second, int tenths) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%3d:%02d:%02d.%1d", hour, minute, second, tenths);
    return buf;
}

std::string SampleTimeText(std::chrono::system_clock::time_point when) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    std::tm local{};
    ::localtime_r(&seconds, &local);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(when.time_since_epoch()).count() %
        1000;
    return FormatSampleTime(local.tm_hour, local.tm_min, local.tm_sec,
                            static_cast<int>((ms + 1000) % 1000 / 100));
}

std::optional<TBRecord> ConvertMainDisplay(const DisplayReading& m, std::string_view timeText) {
    const auto c = static_cast<std::uint32_t>(m.function);
    const std::string t = CleanText(m, IsMainTemperature(c));
    if (t == ".")
        return std::nullopt;
    const bool decibel = c == 0x2000 || c == 0x2080;
    const std::string number = decibel ? t : t + "E" + m.exponentText;
    double v = 0.0;
    if (ParseDecimal(number, v)) {
        if (c == 0x8)
            v *= 1e6;
        else if (c == 0x1000)
            v *= 1e9;
    } else if (Contains(t, 'L')) {
        int e = 0;
        if (!ParseInt(m.exponentText, e))
            return std::nullopt;
        const auto o = MainOverload(c, DigitShift(t, m.negative), e);
        if (!o)
            return std::nullopt;
        v = m.negative ? -*o : *o;
    } else if (t == "---" || t == "----") {
        const double sign = t == "---" ? 1.0 : -1.0;
        if (IsCelsiusCode(c))
            v = sign * 1375.0;
        else if (IsFahrenheitCode(c))
            v = sign * 2510.0;
        else
            return std::nullopt;
    } else {
        return std::nullopt;
    }
    TBRecord record;
    FillRecord(record, m, t, timeText, ToFloat(v));
    return record;
}

std::optional<TBRecord> ConvertSubDisplay(const DisplayReading& s, std::string_view timeText) {
    const auto cs = static_cast<std::uint32_t>(s.function);
    TBRecord record;
    if (cs == 0) {
        FillRecord(record, s, s.valueText, timeText, 0.0f);
        return record;
    }
    const std::string ts = CleanText(s, cs == 0x4020 || cs == 0x4040);
    if (ts == ".")
        return std::nullopt;
    double vs = 0.0;
    if (!ParseDecimal(ts + "E" + s.exponentText, vs)) {
        vs = 0.0;
        if (Contains(ts, 'L')) {
            int e = 0;
            if (!ParseInt(s.exponentText, e))
                return std::nullopt;
            const auto o = SubOverload(cs, DigitShift(ts, s.negative), e);
            if (!o)
                return std::nullopt;
            vs = s.negative ? -*o : *o;
        } else if (ts == "---" || ts == "----") {
            const double sign = ts == "---" ? 1.0 : -1.0;
            if (cs == 0x4020)
                vs = sign * 1375.0;
            else if (cs == 0x4040)
                vs = sign * 2510.0;
        }
    }
    FillRecord(record, s, ts, timeText, ToFloat(vs));
    return record;
}

std::optional<RecordPair> ConvertSample(const MeterReading& snapshot, std::string_view timeText) {
    // Each display's record depends on that display alone; either one can
    // refuse the sample.
    std::optional<TBRecord> main = ConvertMainDisplay(snapshot.main, timeText);
    if (!main)
        return std::nullopt;
    std::optional<TBRecord> sub = ConvertSubDisplay(snapshot.sub, timeText);
    if (!sub)
        return std::nullopt;
    RecordPair pair;
    pair.hasSub = snapshot.sub.function != 0 ? 1 : 0;
    pair.main = *main;
    pair.sub = *sub;
    return pair;
}

} // namespace ostrel
