#pragma once
// Tests of file names that do not depend on the file system.

#include <algorithm>
#include <cctype>
#include <string_view>

namespace ostrel {

// True when name ends in suffix, in any case; suffix is given in lower case
// (".frames", ".slr").
inline bool EndsWithNoCase(std::string_view name, std::string_view suffix) {
    return name.size() >= suffix.size() &&
           std::equal(suffix.begin(), suffix.end(), name.end() - suffix.size(), [](char a, char b) {
               return a == std::tolower(static_cast<unsigned char>(b));
           });
}

} // namespace ostrel
