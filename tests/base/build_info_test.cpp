#include "base/build_info.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

namespace ostrel {

TEST(BuildInfo, TheAboutLinesComeFromTheBuildAndTheMetainfoRelease) {
    EXPECT_EQ(VersionLine(), std::string("Ver ") + OSTREL_VERSION);
    // The date is the one of this version's <release> in the metainfo.
    std::ifstream in(std::string(OSTREL_TEST_DATA) +
                     "/../../resources/desktop/org.ostrel.Ostrel.metainfo.xml.in");
    std::stringstream text;
    text << in.rdbuf();
    const std::string release = std::string("<release version=\"") + OSTREL_VERSION + "\" date=\"" +
                                std::string(ReleaseDate()) + "\"";
    EXPECT_NE(text.str().find(release), std::string::npos) << release;

    EXPECT_EQ(ReleaseDateLine("2012-07-26"), "JUL 26, 2012");
    EXPECT_EQ(ReleaseDateLine("2026-12-07"), "DEC 07, 2026");
    // Anything else is shown as it is.
    for (const char* odd : {"2026-13-01", "2026-1-01", "soon", "", "2026-00-10", "20x6-01-01"})
        EXPECT_EQ(ReleaseDateLine(odd), odd);
}

} // namespace ostrel
