#include "base/config_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace ostrel {
namespace {

namespace fs = std::filesystem;

const Configuration kDefaults{};

class ConfigurationFile : public ::testing::Test {
  protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() /
                ("ostrel_config_" + std::to_string(::getpid()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        m_path = ConfigurationPath(m_dir.string());
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }
    void Store(const std::string& text) { std::ofstream(m_path, std::ios::binary) << text; }
    std::string Load() {
        std::ifstream in(m_path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    fs::path m_dir;
    std::string m_path;
};

} // namespace

TEST(ConfigurationPath, JoinsTheStartupDirectoryAndTheFileName) {
    EXPECT_EQ(ConfigurationPath("/home/user/ostrel"), "/home/user/ostrel/QVRDL.ini");
    EXPECT_EQ(ConfigurationPath("/"), "/QVRDL.ini");
}

TEST(ParseConfiguration, ReadsAllThreeValues) {
    const Configuration c = ParseConfiguration("iPort=5\r\nfHiLimit=1.5\r\nfLowLimit=-0.25\r\n");
    EXPECT_EQ(c.iPort, 5);
    EXPECT_EQ(c.fHiLimit, 1.5);
    EXPECT_EQ(c.fLowLimit, -0.25);
}

TEST(ParseConfiguration, AnyMissingOrBadValueResetsAllThree) {
    // Only the port: both limits are missing.
    EXPECT_EQ(ParseConfiguration("iPort=5\r\n"), kDefaults);
    // The port was read before the bad limit, and is reset all the same.
    EXPECT_EQ(ParseConfiguration("iPort=5\r\nfHiLimit=1\r\nfLowLimit=abc\r\n"), kDefaults);
    EXPECT_EQ(ParseConfiguration("iPort=5\r\nfHiLimit=\r\nfLowLimit=3\r\n"), kDefaults);
    EXPECT_EQ(ParseConfiguration("iPort=2.5\r\nfHiLimit=1\r\nfLowLimit=3\r\n"), kDefaults);
    EXPECT_EQ(ParseConfiguration("iPort=5\r\nfHiLimit=1,5\r\nfLowLimit=3\r\n"), kDefaults);
    EXPECT_EQ(ParseConfiguration("iPort=5\r\nfHiLimit=1\r\nfLowLimit=3 V\r\n"), kDefaults);
    EXPECT_EQ(ParseConfiguration("iPort=5\r\nfHiLimit=inf\r\nfLowLimit=3\r\n"), kDefaults);
    EXPECT_EQ(ParseConfiguration("iPort=99999999999\r\nfHiLimit=1\r\nfLowLimit=3\r\n"), kDefaults);
    EXPECT_EQ(ParseConfiguration(""), kDefaults);
    EXPECT_EQ(ParseConfiguration(std::string("\0\xff=\r", 4)), kDefaults);
}

TEST(ParseConfiguration, KeysIgnoreCaseAndTheFirstLineWins) {
    const Configuration c =
        ParseConfiguration("IPORT=7\nfhilimit=10\nFLOWLIMIT=20\niPort=8\nfHiLimit=junk\n");
    EXPECT_EQ(c.iPort, 7);
    EXPECT_EQ(c.fHiLimit, 10.0);
    EXPECT_EQ(c.fLowLimit, 20.0);
}

TEST(ParseConfiguration, ValueIsTheTextAfterTheFirstEqualsSign) {
    // "fHiLimit=1=2" has the value "1=2", which is no number.
    EXPECT_EQ(ParseConfiguration("iPort=1\r\nfHiLimit=1=2\r\nfLowLimit=3\r\n"), kDefaults);
    // A name with blanks around it is another name; lines without "=" are skipped.
    EXPECT_EQ(ParseConfiguration("iPort =1\r\nfHiLimit=1\r\nfLowLimit=3\r\n"), kDefaults);
    const Configuration c =
        ParseConfiguration("[section]\r\ncomment\r\niPort= 4 \r\nfHiLimit=1E-5\r\nfLowLimit=3\r\n");
    EXPECT_EQ(c.iPort, 4);
    EXPECT_EQ(c.fHiLimit, 1e-5);
    EXPECT_EQ(c.fLowLimit, 3.0);
}

TEST(ParseConfiguration, AcceptsEveryLineEnding) {
    const Configuration expected{3, 1.0, 2.0};
    EXPECT_EQ(ParseConfiguration("iPort=3\nfHiLimit=1\nfLowLimit=2"), expected);
    EXPECT_EQ(ParseConfiguration("iPort=3\rfHiLimit=1\rfLowLimit=2\r"), expected);
    EXPECT_EQ(ParseConfiguration("iPort=3\r\n\r\nfHiLimit=1\r\nfLowLimit=2"), expected);
}

TEST(FormatConfiguration, WritesThreeLinesInOrderWithCrLf) {
    EXPECT_EQ(FormatConfiguration(kDefaults), "iPort=2\r\nfHiLimit=100\r\nfLowLimit=300\r\n");
    EXPECT_EQ(FormatConfiguration({2, 1.5, 0.25}), "iPort=2\r\nfHiLimit=1.5\r\nfLowLimit=0.25\r\n");
    EXPECT_EQ(FormatConfiguration({-1, 2e-6, 1e16}),
              "iPort=-1\r\nfHiLimit=2E-6\r\nfLowLimit=1E16\r\n");
}

TEST_F(ConfigurationFile, MissingFileGivesTheDefaults) {
    EXPECT_EQ(ReadConfiguration(m_path), kDefaults);
    EXPECT_EQ(ReadConfiguration(m_dir.string()), kDefaults); // a directory
}

TEST_F(ConfigurationFile, WriteThenReadKeepsTheValues) {
    ASSERT_TRUE(WriteConfiguration(m_path, {2, 1.5, 0.25}));
    EXPECT_EQ(Load(), "iPort=2\r\nfHiLimit=1.5\r\nfLowLimit=0.25\r\n");
    EXPECT_EQ(ReadConfiguration(m_path), (Configuration{2, 1.5, 0.25}));
}

TEST_F(ConfigurationFile, WriteReplacesEarlierContentAndLeavesNoTemporaryFile) {
    Store("iPort=9\r\nfHiLimit=1\r\nfLowLimit=2\r\nextra=a long line that must go\r\n");
    ASSERT_TRUE(WriteConfiguration(m_path, kDefaults));
    EXPECT_EQ(Load(), "iPort=2\r\nfHiLimit=100\r\nfLowLimit=300\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()), 1);
}

TEST_F(ConfigurationFile, FailedWriteKeepsThePreviousFile) {
    Store("iPort=9\r\nfHiLimit=1\r\nfLowLimit=2\r\n");
    // A file size limit makes the write fail half-way, for root as well.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 10;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool ok = WriteConfiguration(m_path, kDefaults);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(ok);
    EXPECT_EQ(ReadConfiguration(m_path), (Configuration{9, 1.0, 2.0}));
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()), 1);
}

TEST_F(ConfigurationFile, FailedRenameLeavesNoTemporaryFileAndSaysWhy) {
    // The target is a directory that is not empty: the rename must fail.
    fs::create_directories(fs::path(m_path) / "inside");
    std::string why;
    EXPECT_FALSE(WriteConfiguration(m_path, kDefaults, &why));
    EXPECT_EQ(why, std::strerror(EISDIR));
    EXPECT_TRUE(fs::is_directory(fs::path(m_path) / "inside"));
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()), 1);
}

TEST_F(ConfigurationFile, WriteIntoAMissingDirectoryFailsAndSaysWhy) {
    std::string why;
    EXPECT_FALSE(WriteConfiguration((m_dir / "absent" / "QVRDL.ini").string(), kDefaults, &why));
    EXPECT_EQ(why, std::strerror(ENOENT));
}

TEST_F(ConfigurationFile, OversizedFileGivesTheDefaults) {
    Store("iPort=5\r\nfHiLimit=1\r\nfLowLimit=2\r\n" + std::string(2 << 20, '#'));
    EXPECT_EQ(ReadConfiguration(m_path), kDefaults);
}

} // namespace ostrel
