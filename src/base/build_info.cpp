#include "base/build_info.h"

#include "base/string_table.h"

#include <array>

namespace ostrel {
namespace {

constexpr int kVersionText = 2;     // "Ver %s"
constexpr int kReleaseDateText = 3; // "%s %s, %s": month, day, year

bool IsDigits(std::string_view text) {
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return !text.empty();
}

} // namespace

std::string_view ProgramVersion() {
    return OSTREL_VERSION;
}

std::string_view ReleaseDate() {
    return OSTREL_RELEASE_DATE;
}

std::string VersionLine() {
    return FormatText(kVersionText, {ProgramVersion()});
}

std::string ReleaseDateLine(std::string_view isoDate) {
    static constexpr std::array<std::string_view, 12> kMonths = {
        "JAN", "FEB", "MAR", "APR", "MAY", "JUN", "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
    if (isoDate.size() != 10 || isoDate[4] != '-' || isoDate[7] != '-')
        return std::string(isoDate);
    const std::string_view year = isoDate.substr(0, 4);
    const std::string_view month = isoDate.substr(5, 2);
    const std::string_view day = isoDate.substr(8, 2);
    if (!IsDigits(year) || !IsDigits(month) || !IsDigits(day))
        return std::string(isoDate);
    const int m = (month[0] - '0') * 10 + (month[1] - '0');
    const int d = (day[0] - '0') * 10 + (day[1] - '0');
    if (m < 1 || m > 12 || d < 1 || d > 31)
        return std::string(isoDate);
    return FormatText(kReleaseDateText, {kMonths[static_cast<std::size_t>(m - 1)], day, year});
}

} // namespace ostrel
