#pragma once
// The version and the release date of this build: the version set in
// CMakeLists.txt and the date of its <release> in the AppStream metainfo.

#include <string>
#include <string_view>

namespace ostrel {

std::string_view ProgramVersion(); // "0.1.0"
std::string_view ReleaseDate();    // "YYYY-MM-DD"

// The version line of the about dialog ("Ver 0.1.0").
std::string VersionLine();
// A date "YYYY-MM-DD" as the about dialog shows it ("DEC 07, 2026"); a text
// that is no such date is shown as it is.
std::string ReleaseDateLine(std::string_view isoDate = ReleaseDate());

} // namespace ostrel
