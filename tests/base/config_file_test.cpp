#include "base/config_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <limits>
#include <random>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

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
    // The defaults: the upper limit above the lower one.
    EXPECT_EQ(FormatConfiguration(kDefaults), "iPort=2\r\nfHiLimit=300\r\nfLowLimit=100\r\n");
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
    EXPECT_EQ(Load(), "iPort=2\r\nfHiLimit=300\r\nfLowLimit=100\r\n");
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

TEST_F(ConfigurationFile, AFolderInThePlaceOfTheFileStaysAndTheFailureSaysWhy) {
    fs::create_directories(fs::path(m_path) / "inside");
    std::string why;
    EXPECT_FALSE(WriteConfiguration(m_path, kDefaults, &why));
    EXPECT_EQ(why, "it is a folder, not a regular file");
    EXPECT_TRUE(fs::is_directory(fs::path(m_path) / "inside"));
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()), 1);
}

TEST_F(ConfigurationFile, WhatIsNoRegularFileGivesTheDefaultsAtOnceAndStaysAsItIs) {
    // A named pipe without a writer would hold a plain open for ever.
    ASSERT_EQ(::mkfifo(m_path.c_str(), 0600), 0);
    auto read = std::async(std::launch::async, [this] {
        std::string kind;
        const Configuration c = ReadConfiguration(m_path, &kind);
        return std::make_pair(c, kind);
    });
    if (read.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
        // Release the reader, so that the test ends and fails.
        const int fd = ::open(m_path.c_str(), O_WRONLY | O_NONBLOCK);
        ADD_FAILURE() << "the read waited for a writer of the named pipe";
        read.wait();
        ::close(fd);
        return;
    }
    const auto [c, kind] = read.get();
    EXPECT_EQ(c, kDefaults);
    EXPECT_EQ(kind, "a named pipe");
    // The pipe is not replaced at exit.
    std::string why;
    EXPECT_FALSE(WriteConfiguration(m_path, {2, 1.5, 0.25}, &why));
    EXPECT_EQ(why, "it is a named pipe, not a regular file");
    EXPECT_TRUE(fs::is_fifo(m_path));
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()), 1);

    // A device and a folder: the same, each named.
    std::string device;
    EXPECT_EQ(ReadConfiguration("/dev/null", &device), kDefaults);
    EXPECT_EQ(device, "a device");
    std::string folder;
    EXPECT_EQ(ReadConfiguration(m_dir.string(), &folder), kDefaults);
    EXPECT_EQ(folder, "a folder");
    // A missing file says nothing.
    std::string none = "something";
    ReadConfiguration((m_dir / "absent.ini").string(), &none);
    EXPECT_EQ(none, "");
}

TEST_F(ConfigurationFile, EveryLimitWrittenReadsBackTheSame) {
    // Limits as the file may hold them, the largest doubles included: 15
    // digits would round those past the range and reset every setting.
    const double big = std::numeric_limits<double>::max();
    std::vector<double> limits = {big,
                                  -big,
                                  std::nextafter(big, 0.0),
                                  1.797693134862315e308,
                                  std::numeric_limits<double>::min(),
                                  1e-300,
                                  0.1,
                                  -0.0,
                                  1e15};
    std::mt19937_64 random(18);
    std::uniform_real_distribution<double> exponent(-300.0, 308.0);
    for (int i = 0; i < 2000; ++i)
        limits.push_back((i % 2 ? -1.0 : 1.0) * std::pow(10.0, exponent(random)));
    for (std::size_t i = 0; i + 1 < limits.size(); ++i) {
        const Configuration written{7, limits[i], limits[i + 1]};
        ASSERT_TRUE(WriteConfiguration(m_path, written));
        // Read back (not reset to the defaults), to 15 digits or better, and
        // written again the same.
        const Configuration read = ReadConfiguration(m_path);
        ASSERT_EQ(read.iPort, 7) << Load();
        EXPECT_NEAR(read.fHiLimit, written.fHiLimit, std::abs(written.fHiLimit) * 1e-14) << Load();
        EXPECT_NEAR(read.fLowLimit, written.fLowLimit, std::abs(written.fLowLimit) * 1e-14)
            << Load();
        EXPECT_EQ(FormatConfiguration(read), Load());
    }
    // The usual values keep the short general format.
    EXPECT_EQ(FormatConfiguration({2, 1.5, 0.25}), "iPort=2\r\nfHiLimit=1.5\r\nfLowLimit=0.25\r\n");
    EXPECT_EQ(FormatConfiguration({2, big, 0}),
              "iPort=2\r\nfHiLimit=1.7976931348623157E308\r\nfLowLimit=0\r\n");
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
