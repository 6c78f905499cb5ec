#pragma once
// Locale-independent number texts: "." is always the decimal separator,
// whatever LC_NUMERIC says.

#include <string>
#include <string_view>

namespace ostrel {

// The general real format of the configuration file and the limit panels:
// rounded to 15 significant digits, trailing zeros dropped, no decimal point
// for whole numbers. Values whose magnitude is below 0.00001 (after rounding,
// zero excepted) or that have more than 15 integer digits use the exponent
// form: the mantissa written like the fixed form, "E", a "-" only for a
// negative exponent, and the exponent without leading zeros
// ("1E-6", "1.5E-6", "-2.5E-7", "1E16", "1.23456789012346E17").
// Zero of either sign is "0"; NaN is "NAN", infinities "INF" and "-INF".
std::string FormatGeneral(double value);

// True when the general format of value reads back (ParseReal) as a number.
// It does not for values so near the largest double that 15 digits round
// them past it (1.797693134862315E308 and up, either sign).
bool GeneralFormReadsBack(double value);

// The general format where it reads back, else the same form with 17
// significant digits, which reads back as the very same value. A finite value
// written this way is always read again by ParseReal.
std::string FormatGeneralReadable(double value);

// The shortest text that reads back as the same number ("0.01234" for the
// float nearest 0.01234, "1e+20"): the figures of stored values and of
// levels a user typed.
std::string FormatShortest(double value);
std::string FormatShortest(float value);

// Reads a real number: optional blanks (space, tab), an optional sign, digits
// with an optional "." fraction (at least one digit in all), an optional
// exponent "E"/"e" with optional sign and digits, optional blanks. The whole
// text must be used. Hexadecimal, "inf", "nan" and values out of the range of
// double are refused. On success stores the value and returns true; on
// failure leaves *value untouched and returns false.
bool ParseReal(std::string_view text, double* value);

// True when text is exactly [+-]digits[.digits][(e|E)[+-]digits] with at
// least one mantissa digit ("5." and ".5" included); no blanks.
bool IsDecimalRealText(std::string_view text);

// Reads a decimal integer (optional blanks, optional sign, digits, optional
// blanks) that fits an int. Same contract as ParseReal.
bool ParseInteger(std::string_view text, int* value);

} // namespace ostrel
