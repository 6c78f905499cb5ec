#include "base/number_format.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>
#include <system_error>

namespace ostrel {
namespace {

constexpr int kSignificantDigits = 15;
// Decimal exponents (value = d.ddd × 10^x) that keep the fixed form:
// 0.00001 (x = -5) is the smallest, 15 integer digits (x = 14) the largest.
constexpr int kSmallestFixedExponent = -5;
constexpr int kLargestFixedExponent = kSignificantDigits - 1;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

// True when s is [+-]digits[.digits][(e|E)[+-]digits] with at least one
// mantissa digit; "5.", ".5" are accepted.
bool IsDecimalRealText(std::string_view s) {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    std::size_t mantissaDigits = 0;
    while (i < s.size() && IsDigit(s[i]))
        ++i, ++mantissaDigits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && IsDigit(s[i]))
            ++i, ++mantissaDigits;
    }
    if (mantissaDigits == 0)
        return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            ++i;
        std::size_t exponentDigits = 0;
        while (i < s.size() && IsDigit(s[i]))
            ++i, ++exponentDigits;
        if (exponentDigits == 0)
            return false;
    }
    return i == s.size();
}

namespace {

std::string FormatSignificant(double value, int significantDigits) {
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    if (value == 0.0)
        return "0";

    // d.ddd…e±x: the significant digits, correctly rounded, never touched by
    // the locale.
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific,
                                   significantDigits - 1);
    if (ec != std::errc())
        return "NAN"; // cannot happen with this buffer size
    std::string_view sci(buf, static_cast<std::size_t>(end - buf));

    const bool negative = sci.front() == '-';
    if (negative)
        sci.remove_prefix(1);
    const std::size_t ePos = sci.find('e');
    std::string digits;
    for (char c : sci.substr(0, ePos))
        if (IsDigit(c))
            digits += c;
    int exponent = 0;
    std::string_view expText = sci.substr(ePos + 1);
    if (!expText.empty() && expText.front() == '+')
        expText.remove_prefix(1);
    std::from_chars(expText.data(), expText.data() + expText.size(), exponent);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    std::string out = negative ? "-" : "";
    if (exponent < kSmallestFixedExponent || exponent > kLargestFixedExponent) {
        out += digits[0];
        if (digits.size() > 1) {
            out += '.';
            out.append(digits, 1, std::string::npos);
        }
        out += 'E';
        out += std::to_string(exponent);
        return out;
    }
    if (exponent < 0) {
        out += "0.";
        out.append(static_cast<std::size_t>(-exponent - 1), '0');
        out += digits;
        return out;
    }
    const std::size_t integerDigits = static_cast<std::size_t>(exponent) + 1;
    if (digits.size() <= integerDigits) {
        out += digits;
        out.append(integerDigits - digits.size(), '0');
    } else {
        out.append(digits, 0, integerDigits);
        out += '.';
        out.append(digits, integerDigits, std::string::npos);
    }
    return out;
}

} // namespace

std::string FormatGeneral(double value) {
    return FormatSignificant(value, kSignificantDigits);
}

bool GeneralFormReadsBack(double value) {
    double read = 0.0;
    return ParseReal(FormatGeneral(value), &read);
}

std::string FormatGeneralReadable(double value) {
    // 17 significant digits tell every double from its neighbours.
    constexpr int kExactDigits = 17;
    return GeneralFormReadsBack(value) ? FormatGeneral(value)
                                       : FormatSignificant(value, kExactDigits);
}

namespace {

template <typename T> std::string Shortest(T value) {
    char text[48];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

} // namespace

std::string FormatShortest(double value) {
    return Shortest(value);
}

std::string FormatShortest(float value) {
    return Shortest(value);
}

bool ParseReal(std::string_view text, double* value) {
    std::string_view s = TrimBlanks(text);
    if (!IsDecimalRealText(s))
        return false;
    const bool plus = s.front() == '+';
    if (plus)
        s.remove_prefix(1); // from_chars takes no "+"
    double result = 0.0;
    auto [ptr, ec] =
        std::from_chars(s.data(), s.data() + s.size(), result, std::chars_format::general);
    if (ec != std::errc() || ptr != s.data() + s.size() || !std::isfinite(result))
        return false;
    *value = result;
    return true;
}

bool ParseInteger(std::string_view text, int* value) {
    std::string_view s = TrimBlanks(text);
    if (!s.empty() && s.front() == '+') {
        s.remove_prefix(1);
        if (!s.empty() && s.front() == '-')
            return false;
    }
    if (s.empty())
        return false;
    int result = 0;
    auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), result, 10);
    if (ec != std::errc() || ptr != s.data() + s.size())
        return false;
    *value = result;
    return true;
}

} // namespace ostrel
