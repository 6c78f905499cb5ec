#pragma once
// Small helpers the live displays share for reading a display's text.

#include <string>

namespace ostrel {

// The text without the blanks (and control characters) at either end.
std::string TrimDisplayText(const std::string& text);

// The temperatures that show their degree letter (C or F) as the fourth
// display character: T1, T2 and T1-T2 in Celsius and Fahrenheit.
bool ShowsDegreeLetter(int function);

} // namespace ostrel
