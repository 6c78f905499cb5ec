#include "import/session_decoder.h"

#include "import/session_codes.h"
#include "link/reading.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>

namespace ostrel {
namespace {

constexpr std::size_t kHeaderSize = 6;      // byte 0, L (3 bytes), session count (2 bytes)
constexpr std::size_t kDescriptorSize = 14; // up to the first reading

bool IsCelsiusCode(std::uint32_t c) {
    return c == nFunc_T1C || c == nFunc_T2C || c == nFunc_T1T2C;
}
bool IsFahrenheitCode(std::uint32_t c) {
    return c == nFunc_T1F || c == nFunc_T2F || c == nFunc_T1T2F;
}
bool IsTemperatureCode(std::uint32_t c) {
    return IsCelsiusCode(c) || IsFahrenheitCode(c);
}

bool IsVoltCode(std::uint32_t c) {
    return c == 4 || c == 5 || c == 6 || c == 7 || c == 0x14 || c == nFunc_AcV6 || c == nFunc_DcV6;
}
bool IsAmpCode(std::uint32_t c) {
    return c == 0x201 || c == 0x202 || c == 0x203;
}

// A whole text read as a decimal number ("." as the point), nothing left over.
bool ParseNumber(std::string_view text, double* out) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    if (text.empty())
        return false;
    // Only digits, a sign, a point and an exponent count; from_chars would
    // also take "inf" and "nan".
    for (char ch : text)
        if (!((ch >= '0' && ch <= '9') || ch == '-' || ch == '.' || ch == 'E' || ch == 'e'))
            return false;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, *out);
    return ec == std::errc() && ptr == end;
}

double Pow10(int e) {
    static constexpr double kPowers[] = {1e-9, 1e-8, 1e-7, 1e-6, 1e-5, 1e-4, 1e-3, 1e-2, 1e-1, 1e0,
                                         1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9};
    if (e >= -9 && e <= 9)
        return kPowers[e + 9];
    return std::pow(10.0, e);
}

} // namespace

std::string FormatFixed(double value, int precision, int width) {
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed,
                                   std::clamp(precision, 0, 12));
    if (ec != std::errc())
        return {};
    std::string text(buf, end);
    // Zeros go after the sign, as with the "0" flag of printf.
    const std::size_t w = static_cast<std::size_t>(std::max(width, 0));
    if (text.size() < w)
        text.insert(text.front() == '-' ? 1 : 0, w - text.size(), '0');
    return text;
}

namespace {

std::string Format(int width, int w, double h) {
    return FormatFixed(Pow10(w) * h, 3 - w, width);
}

// The display texts of the volt row (codes 4-7, 0x14, 0x1000005/6) and the
// ampere row for a number h: "%05.*f"/"%06.*f" with a minus in the text,
// "%04.*f"/"%05.*f" without, the narrower one when w = 3.
std::string MeterStyleText(const std::string& v, int w, double h) {
    const bool minus = v.find('-') != std::string::npos;
    return Format((minus ? 6 : 5) - (w == 3 ? 1 : 0), w, h);
}

} // namespace

std::int64_t LoggerAddressOffset(std::uint8_t lo, std::uint8_t mid, std::uint8_t hi) {
    // The division truncates toward zero: hi 0xA0 and 0xA1 are the same bank.
    const std::int64_t bank = (static_cast<std::int64_t>(hi) - 160) / 2;
    return bank * 65536 + static_cast<std::int64_t>(mid) * 256 + lo - 122;
}

LoggerValue UnpackLoggerValue(const std::uint8_t* b) {
    LoggerValue v;
    v.flags = static_cast<std::uint8_t>(b[0] >> 4);
    v.range = static_cast<std::uint8_t>(b[0] & 0x0F);
    v.raw = static_cast<std::uint16_t>(b[1] | (b[2] << 8));
    return v;
}

std::string SessionTimeText(double t) {
    const int h = static_cast<int>(t / 60 / 60);
    const int m = static_cast<int>((t - 3600.0 * h) / 60);
    const float s = static_cast<float>(t - 3600.0 * h - 60.0 * m);
    // "%d:%02d'%4.3f\"", without the cost of printf for millions of readings.
    char buf[48];
    char* p = std::to_chars(buf, buf + 16, h).ptr;
    *p++ = ':';
    if (m < 10 && m >= 0)
        *p++ = '0';
    p = std::to_chars(p, buf + 32, m).ptr;
    *p++ = '\'';
    std::string text(buf, p);
    text += FormatFixed(static_cast<double>(s), 3, 4);
    text += '"';
    return text;
}

std::string SessionValueText(const LoggerValue& value, std::uint32_t function) {
    std::string v;
    if (value.overload()) {
        v = IsTemperatureCode(function) ? "----" : "OL";
    } else {
        // At least four digits ("%04.4i"), then the point after the first.
        char buf[8];
        char* end = std::to_chars(buf, buf + sizeof buf, static_cast<unsigned>(value.raw)).ptr;
        v.assign(static_cast<std::size_t>(4 - std::min<std::ptrdiff_t>(end - buf, 4)), '0');
        v.append(buf, end);
        v.insert(1, ".");
    }
    if (IsCelsiusCode(function))
        v += 'C';
    if (IsFahrenheitCode(function))
        v += 'F';
    // An open or overloaded temperature sensor shows "----" whatever the sign
    // bit says: a minus before it would only make a longer row of dashes.
    if (value.negative() && !(value.overload() && IsTemperatureCode(function)))
        v.insert(0, "-");
    return v;
}

std::string SessionDataText(const std::string& v, std::uint32_t c, int e) {
    double h = 0;
    if (IsTemperatureCode(c)) {
        const std::string cut = v.empty() ? v : v.substr(0, v.size() - 1);
        if (!ParseNumber(cut, &h))
            return cut;
        return FormatFixed(Pow10(e) * h, 0, 3); // "%03.0f"
    }
    const bool number = ParseNumber(v, &h);
    const bool overload = v.find('L') != std::string::npos;
    if (IsVoltCode(c)) {
        const int w = e < 0 ? e + 3 : e;
        if (number)
            return MeterStyleText(v, w, h);
        if (!overload)
            return v;
        switch (e) {
        case -2:
            return "O.L";
        case -1:
            return "OL.";
        case 0:
            return ".OL";
        case 1:
            return "O.L";
        case 2:
            return "OL.";
        default:
            return v; // no decimal point position for this range: the value text
        }
    }
    if (IsAmpCode(c)) {
        const int w = e < 0 ? (e % 3) + 3 : e;
        if (number)
            return MeterStyleText(v, w, h);
        if (!overload)
            return v;
        switch (e) {
        case 0:
            return ".OL";
        case 1:
            return "O.L";
        case 2:
            return "OL.";
        case 3:
            return "OL";
        default:
            return v;
        }
    }
    if (!number)
        return v;
    switch (c) {
    case nFunc_Cx: {
        const int w = e == 3 ? 3 : (e + 3) % 3;
        if (w == 3)
            return FormatFixed(1e3 * h, 0, 4); // "%04.0f"
        return Format(5, w, h);
    }
    case nFunc_Ohm:
    case nFunc_Conti:
    case nFunc_Hz:
    case nFunc_Duty:
        return Format(5, e % 3, h);
    case nFunc_S:
        return Format(5, e, h);
    default:
        return v;
    }
}

float SessionValue(const std::string& v, std::uint32_t c, int e) {
    std::string text = v;
    text += 'E';
    char digits[16];
    text.append(digits, std::to_chars(digits, digits + sizeof digits, e).ptr);
    double number = 0;
    if (ParseNumber(text, &number))
        return static_cast<float>(number);
    const bool minus = !v.empty() && v.front() == '-';
    if (IsCelsiusCode(c))
        return minus ? -1375.0f : 1375.0f;
    if (IsFahrenheitCode(c))
        return minus ? -2510.0f : 2510.0f;
    if (v.find('L') == std::string::npos)
        return 10998.9f;
    double r;
    switch (c) {
    case 5:
    case 6:
    case 7:
    case nFunc_Hz:
    case nFunc_S:
        r = Pow10(e) * 10.9989;
        break;
    case nFunc_Ohm:
    case nFunc_Conti:
    case 0x201:
    case 0x202:
    case 0x203:
    case nFunc_AcV6:
    case nFunc_DcV6:
        r = Pow10(e) * 6.6;
        break;
    case nFunc_Duty:
        r = 110;
        break;
    case nFunc_dB:
        r = 1100;
        break;
    default:
        r = 10998.9;
        break;
    }
    return static_cast<float>(minus ? -r : r);
}

std::string SessionPrefixText(std::uint32_t function, int exponent) {
    char buf[16] = {};
    const int recordExponent = RecordExponent(function, std::to_string(exponent));
    const int n = RecordPrefixText(function, recordExponent, buf);
    return std::string(buf, static_cast<std::size_t>(std::clamp(n, 0, 15)));
}

std::string SessionFunctionText(std::uint32_t c, bool isMain) {
    char buf[16] = {};
    const int n = RecordUnitText(c, buf);
    std::string text(buf, static_cast<std::size_t>(std::clamp(n, 0, 15)));
    switch (c) {
    case 5:
    case 0x201:
    case nFunc_AcV6:
        text += " [AC]";
        break;
    case 6:
    case 0x202:
    case nFunc_DcV6:
        if (isMain)
            text += " [DC]";
        break;
    case 7:
    case 0x203:
        if (isMain)
            text += " [DC+AC]";
        break;
    case 0x4000:
    case 0x4020:
    case 0x4040:
        text += " [T2]";
        break;
    case 0x8000:
    case 0x8020:
    case 0x8040:
        text += " [T1]";
        break;
    case 0xC000:
    case 0xC020:
    case 0xC040:
        text += " [T1-T2]";
        break;
    default:
        break;
    }
    return text;
}

namespace {

// The unit and function texts of one display depend only on its function
// and exponent: worked out once per session, not once per reading.
class RecordTexts {
  public:
    RecordTexts(std::uint32_t function, bool isMain)
        : m_function(function), m_functionText(SessionFunctionText(function, isMain)) {}

    std::uint32_t function() const { return m_function; }
    const std::string& functionText() const { return m_functionText; }
    const std::string& prefix(int e) {
        const int i = e - kLowest;
        if (i < 0 || i >= static_cast<int>(m_prefix.size())) {
            m_other = SessionPrefixText(m_function, e);
            return m_other;
        }
        auto& slot = m_prefix[static_cast<std::size_t>(i)];
        if (!slot)
            slot = SessionPrefixText(m_function, e);
        return *slot;
    }

  private:
    static constexpr int kLowest = -9;
    std::uint32_t m_function;
    std::string m_functionText;
    std::array<std::optional<std::string>, 19> m_prefix;
    std::string m_other;
};

TRecord MakeRecord(const LoggerValue& value, int table, const std::string& timeText,
                   RecordTexts& texts, bool* unknownRange) {
    const std::uint32_t function = texts.function();
    const std::optional<int> exponent = RangeExponent(table, value.range);
    if (unknownRange)
        *unknownRange = !exponent;
    const int e = exponent.value_or(0);
    std::string v = SessionValueText(value, function);
    const std::string data = SessionDataText(v, function, e);
    if (IsTemperatureCode(function) && !v.empty())
        v.pop_back();

    TRecord r;
    StoreField(r.valueText, v);
    char exponentText[8];
    StoreField(
        r.exponentText,
        std::string_view(exponentText, std::to_chars(exponentText, exponentText + 8, e).ptr));
    r.function = function;
    StoreField(r.timeText, timeText);
    StoreField(r.dataText, data);
    StoreField(r.unitText, texts.prefix(e));
    StoreField(r.functionText, texts.functionText());
    r.value = SessionValue(v, function, e);
    return r;
}

} // namespace

TRecord MakeTRecord(const LoggerValue& value, std::uint32_t function, int table,
                    const std::string& timeText, bool isMain, bool* unknownRange) {
    RecordTexts texts(function, isMain);
    return MakeRecord(value, table, timeText, texts, unknownRange);
}

namespace {

struct UnpackedSession {
    std::uint8_t f = 0, m = 0, g = 0;
    bool dual = false;
    std::vector<LoggerValue> values; // main (and sub) values in reading order
};

} // namespace

SessionDecodeResult DecodeLoggerImage(const std::uint8_t* image, std::size_t size,
                                      const SessionDecodeCallbacks& cb) {
    SessionDecodeResult result;
    auto notice = [&result](int id) {
        if (std::find(result.notices.begin(), result.notices.end(), id) == result.notices.end())
            result.notices.push_back(id);
    };
    if (size < kHeaderSize)
        return result;
    const std::size_t announced = image[4] | (image[5] << 8);
    result.announcedSessions = announced;
    std::size_t wanted = announced;
    if (wanted > kMaxSessions) {
        wanted = kMaxSessions;
        result.sessionsCut += announced - kMaxSessions;
        notice(7133);
    }

    // Unpack pass: follow the chain for the announced sessions, as long as it
    // stays inside the image.
    // Sessions follow one another: a descriptor that points back into what
    // was already read ends the chain, so that no byte is read twice and the
    // readings never outnumber what the image holds.
    std::vector<UnpackedSession> sessions;
    std::uint8_t lo = 0x80, mid = 0x00, hi = 0xA0;
    std::int64_t readUpTo = static_cast<std::int64_t>(kHeaderSize);
    for (std::size_t s = 0; s < wanted; ++s) {
        const std::int64_t d = LoggerAddressOffset(lo, mid, hi);
        if (d < readUpTo) {
            result.sessionsCut += wanted - s;
            notice(d < 0 ? 7132 : 7136);
            break;
        }
        if (static_cast<std::uint64_t>(d) + kDescriptorSize > size) {
            result.sessionsCut += wanted - s;
            notice(7132);
            break;
        }
        const std::uint8_t* desc = image + d;
        UnpackedSession& u = sessions.emplace_back();
        u.f = desc[8];
        u.m = desc[9];
        u.g = desc[10];
        u.dual = (u.g & 0x80) != 0;
        const std::size_t b = desc[11] | (desc[12] << 8) | (std::size_t(desc[13]) << 16);
        const std::size_t width = u.dual ? 6 : 3;
        const std::size_t first = static_cast<std::size_t>(d) + kDescriptorSize;
        std::size_t n = b / width;
        const std::size_t fit = (size - first) / width;
        if (n > fit) {
            result.readingsCut += n - fit;
            notice(7132);
            n = fit;
        }
        if (cb.setRange)
            cb.setRange(n);
        u.values.resize(n * (u.dual ? 2 : 1));
        const std::uint8_t* p = image + first;
        for (std::size_t i = 0; i < u.values.size(); ++i, p += 3) {
            u.values[i] = UnpackLoggerValue(p);
            if (cb.step && (!u.dual || (i & 1)))
                cb.step();
        }
        readUpTo = static_cast<std::int64_t>(first + n * width);
        lo = desc[5];
        mid = desc[6];
        hi = desc[7];
    }

    // Record pass.
    for (auto& u : sessions) {
        SessionList& list = *result.table.addSession();
        const SessionFunction fn = DecodeSessionFunction(u.f, u.m, u.g);
        if (!fn.known) {
            ++result.unknownFunctions;
            notice(7134);
        }
        const double interval = SampleInterval(u.g);
        RecordTexts mainTexts(fn.mainFunction, true);
        RecordTexts subTexts(fn.subFunction, false);
        const std::size_t n = u.values.size() / (u.dual ? 2 : 1);
        if (cb.setRange)
            cb.setRange(n);
        list.reserve(n);
        double t = 0;
        for (std::size_t i = 0; i < n; ++i) {
            if (cb.cancelled && cb.cancelled()) {
                result.table.clear();
                result.cancelled = true;
                return result;
            }
            if (i > 0)
                t += interval;
            const std::string time = SessionTimeText(t);
            SessionPair pair;
            bool unknown = false;
            const LoggerValue& mv = u.values[u.dual ? 2 * i : i];
            pair.main = MakeRecord(mv, fn.mainTable, time, mainTexts, &unknown);
            if (unknown)
                ++result.unknownRanges;
            if (u.dual) {
                pair.hasSub = 1;
                pair.sub = std::make_unique<TRecord>(
                    MakeRecord(u.values[2 * i + 1], fn.subTable, time, subTexts, &unknown));
                if (unknown)
                    ++result.unknownRanges;
            }
            list.push_back(std::move(pair));
            if (cb.step)
                cb.step();
        }
        std::vector<LoggerValue>().swap(u.values);
    }
    if (result.unknownRanges > 0)
        notice(7135);
    return result;
}

} // namespace ostrel
