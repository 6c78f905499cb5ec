#include "link/hidapi_backend.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace ostrel {
namespace {

HidOpenError OpenError(const std::string& path) {
    HidapiBackend backend;
    HidOpenError error = HidOpenError::None;
    EXPECT_FALSE(backend.open({0x0820, 1, 0, path}, &error));
    return error;
}

TEST(HidapiBackend, EnumerationIsOrderedByNodeNumber) {
    HidapiBackend backend;
    const auto list = backend.enumerate(); // often empty on a build machine
    for (std::size_t i = 1; i < list.size(); ++i)
        EXPECT_LE(list[i - 1].path.size(), list[i].path.size())
            << list[i - 1].path << " " << list[i].path;
}

TEST(HidapiBackend, OpenFailuresSayWhy) {
    EXPECT_EQ(OpenError("/dev/hidraw-that-is-not-there"), HidOpenError::NoSuchInterface);
    EXPECT_EQ(OpenError("/dev/null"), HidOpenError::Failed); // there, but no HID device
    EXPECT_EQ(OpenError("/tmp"), HidOpenError::Failed);
}

TEST(HidapiBackend, NodeThisUserMayNotOpenIsPermissionDenied) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root may open any node";
    // A locked file named like a node: refused before hidapi is asked.
    const std::string path = ::testing::TempDir() + "hidraw_locked";
    std::FILE* f = std::fopen(path.c_str(), "w");
    ASSERT_TRUE(f);
    std::fclose(f);
    ::chmod(path.c_str(), 0);
    EXPECT_EQ(OpenError(path), HidOpenError::PermissionDenied);
    std::remove(path.c_str());
}

} // namespace
} // namespace ostrel
