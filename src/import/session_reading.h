#pragma once
// One reading of a logger session: its 3-byte value unpacked, and the texts
// and the number that its record holds (time, value, display, unit and
// function texts), by the rules of the meter's display.

#include <cstdint>
#include <string>

namespace ostrel {

// One 3-byte value, unpacked: flags (bit 2 overload, bit 3 negative), range
// code and raw count.
struct LoggerValue {
    std::uint8_t flags = 0;
    std::uint8_t range = 0;
    std::uint16_t raw = 0;

    bool overload() const { return (flags & 0x4) != 0; }
    bool negative() const { return (flags & 0x8) != 0; }
};
static_assert(sizeof(LoggerValue) == 4);

inline LoggerValue UnpackLoggerValue(const std::uint8_t* b) {
    LoggerValue v;
    v.flags = static_cast<std::uint8_t>(b[0] >> 4);
    v.range = static_cast<std::uint8_t>(b[0] & 0x0F);
    v.raw = static_cast<std::uint16_t>(b[1] | (b[2] << 8));
    return v;
}
// The three bytes of a value.
void PackLoggerValue(const LoggerValue& value, std::uint8_t* out);

// printf's "%0<width>.<precision>f": fixed notation, zeros after the sign up
// to width.
std::string FormatFixed(double value, int precision, int width);

// The texts of one reading (its time text: session_record_maker.h).
// The value text before the degree letter is cut: digits "d.ddd", "OL" or
// "----", the degree letter of a temperature code, a leading "-".
std::string SessionValueText(const LoggerValue& value, std::uint32_t function);
// The data text of value text v (as above) with exponent e.
std::string SessionDataText(const std::string& v, std::uint32_t function, int exponent);
// The number of value text v (degree letter already cut) with exponent e.
float SessionValue(const std::string& v, std::uint32_t function, int exponent);
// Unit text (the prefix) and function text (unit and coupling suffix).
std::string SessionPrefixText(std::uint32_t function, int exponent);
std::string SessionFunctionText(std::uint32_t function, bool isMain);

// The six temperature codes that carry a degree letter ("C" or "F").
bool IsTemperatureCode(std::uint32_t function);

// How SessionDataText forms the data text of a plain reading, a value text
// "d.ddd" or "-d.ddd" of four digits (a temperature's without its degree
// letter), with exponent e: the value text itself, or the count with a number
// of decimals and zeros after the sign up to a width. Slow: by SessionDataText
// alone.
struct PlainDataLayout {
    enum Kind { Slow, ValueText, Fixed } kind = Slow;
    int decimals = 0;
    int width = 0;         // a positive reading
    int widthNegative = 0; // a negative one
};
PlainDataLayout PlainDataTextLayout(std::uint32_t function, int exponent);

} // namespace ostrel
