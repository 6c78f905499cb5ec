#include "import/session_reading.h"

#include "link/reading.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <string_view>

namespace ostrel {
namespace {

bool IsCelsiusCode(std::uint32_t c) {
    return c == nFunc_T1C || c == nFunc_T2C || c == nFunc_T1T2C;
}
bool IsFahrenheitCode(std::uint32_t c) {
    return c == nFunc_T1F || c == nFunc_T2F || c == nFunc_T1T2F;
}
} // namespace

bool IsTemperatureCode(std::uint32_t c) {
    return IsCelsiusCode(c) || IsFahrenheitCode(c);
}

namespace {

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

void PackLoggerValue(const LoggerValue& v, std::uint8_t* out) {
    out[0] = static_cast<std::uint8_t>((v.flags & 0x0F) << 4 | (v.range & 0x0F));
    out[1] = static_cast<std::uint8_t>(v.raw & 0xFF);
    out[2] = static_cast<std::uint8_t>(v.raw >> 8);
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

PlainDataLayout PlainDataTextLayout(std::uint32_t c, int e) {
    // 10^w × H with 3 - w decimals is the count with 3 - w decimals, for
    // 0 <= w <= 3; other w round or pad and are left to SessionDataText.
    const auto fixed = [](int w, int width, int widthNegative) {
        if (w < 0 || w > 3)
            return PlainDataLayout{};
        return PlainDataLayout{PlainDataLayout::Fixed, 3 - w, width, widthNegative};
    };
    // The volt and ampere rows: "%05.*f"/"%06.*f" with a minus, "%04.*f"/
    // "%05.*f" without, the narrower one when w = 3.
    const auto meterStyle = [&fixed](int w) { return fixed(w, w == 3 ? 4 : 5, w == 3 ? 5 : 6); };
    // A temperature: "%03.0f" of 10^e × H, the count itself when e = 3.
    if (IsTemperatureCode(c))
        return e == 3 ? PlainDataLayout{PlainDataLayout::Fixed, 0, 3, 3} : PlainDataLayout{};
    if (IsVoltCode(c))
        return meterStyle(e < 0 ? e + 3 : e);
    if (IsAmpCode(c))
        return meterStyle(e < 0 ? (e % 3) + 3 : e);
    switch (c) {
    case nFunc_Cx:
        return e == 3 ? fixed(3, 4, 4) : fixed((e + 3) % 3, 5, 5);
    case nFunc_Ohm:
    case nFunc_Conti:
    case nFunc_Hz:
    case nFunc_Duty:
        return fixed(e % 3, 5, 5);
    case nFunc_S:
        return fixed(e, 5, 5);
    default:
        return PlainDataLayout{PlainDataLayout::ValueText};
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

} // namespace ostrel
