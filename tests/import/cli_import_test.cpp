#include "import/logger_image_builder.h"
#include "import/session_file.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

namespace ostrel {
namespace {

namespace fs = std::filesystem;

struct CliRun {
    int status = -1;
    std::string out; // standard output and standard error together
};

CliRun RunCli(const std::string& args) {
    CliRun run;
    const std::string command = std::string(OSTREL_CLI) + " " + args + " 2>&1";
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return run;
    std::array<char, 4096> buf;
    std::size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), pipe)) > 0)
        run.out.append(buf.data(), n);
    const int raw = ::pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return run;
}

class CliImport : public ::testing::Test {
  protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() /
                ("ostrel_cli_import_" + std::to_string(::getpid()) + "_" +
                 std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }
    std::string path(const char* name) const { return (m_dir / name).string(); }
    fs::path m_dir;
};

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST_F(CliImport, DecodeImageWritesSessionsAndText) {
    auto image = *BuildLoggerImage(
        {{1, 0, 0x83, {{0, 1, 1234}, {0, 1, 5000}}}, {6, 0, 0x03, {{4, 0, 0}, {0, 0, 25}}}});
    image.resize(48);
    std::ofstream(path("img.bin"), std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()),
               static_cast<std::streamsize>(image.size()));
    CliRun run = RunCli("decode-image " + path("img.bin") + " -o " + path("s.slr") + " --csv " +
                        path("s.csv"));
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("2 sessions, 3 readings"), std::string::npos) << run.out;
    auto opened = OpenSessionFile(path("s.slr"));
    EXPECT_EQ(opened.status, SessionFileStatus::Ok);
    EXPECT_EQ(opened.table.sessionCount(), 2u);
    EXPECT_EQ(ReadText(path("s.csv")),
              "#item,Time,MainData,MainUnit,MainFunc,Sub Data,SubUnit,SubFunc\r\n"
              "1,0:00'0.000\",12.34,,V [AC],50.00,,Hz\r\n"
              "1,0:00'0.000\",----,,C [T1]\r\n"
              "2,0:00'1.000\",025,,C [T1]\r\n");
}

TEST_F(CliImport, DecodeImageReportsWhatWasCut) {
    auto image = *BuildLoggerImage({{2, 0, 0x03, {{0, 0, 1}, {0, 0, 2}, {0, 0, 3}}}});
    image.resize(image.size() - 2);
    std::ofstream(path("cut.bin"), std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()),
               static_cast<std::streamsize>(image.size()));
    CliRun run = RunCli("decode-image " + path("cut.bin"));
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("Warning[W7132]"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("1 session, 2 readings"), std::string::npos) << run.out;
}

TEST_F(CliImport, DecodeImageFailures) {
    CliRun run = RunCli("decode-image " + path("missing.bin"));
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.out.find("Error[E9004]: File open error."), std::string::npos) << run.out;

    std::ofstream(path("tiny.bin"), std::ios::binary) << "abc";
    EXPECT_EQ(RunCli("decode-image " + path("tiny.bin")).status, 2);

    auto image = *BuildLoggerImage({});
    std::ofstream(path("ok.bin"), std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()),
               static_cast<std::streamsize>(image.size()));
    run = RunCli("decode-image " + path("ok.bin") + " -o " + path("no/dir/x.slr"));
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.out.find("Error[E9005]"), std::string::npos) << run.out;
}

TEST_F(CliImport, ConvertSessionFileToText) {
    auto image = *BuildLoggerImage({{2, 0, 0x03, {{0, 0, 1500}}}, {5, 0, 0x03, {{0, 1, 4700}}}});
    std::ofstream(path("img.bin"), std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()),
               static_cast<std::streamsize>(image.size()));
    ASSERT_EQ(RunCli("decode-image " + path("img.bin") + " -o " + path("S.SLR")).status, 0);
    CliRun run = RunCli("convert " + path("S.SLR") + " -o " + path("s.csv"));
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(ReadText(path("s.csv")),
              "#item,Time,MainData,MainUnit,MainFunc,Sub Data,SubUnit,SubFunc\r\n"
              "1,0:00'0.000\",1.500,,V [DC]\r\n"
              "1,0:00'0.000\",4.700,k,Ohm\r\n");

    // A cut-short file: what was read is converted, and the failure is told.
    auto bytes = ReadText(path("S.SLR"));
    std::ofstream(path("cut.slr"), std::ios::binary) << bytes.substr(0, bytes.size() - 5);
    run = RunCli("convert " + path("cut.slr") + " -o " + path("cut.csv"));
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.out.find("Error[E9004]"), std::string::npos) << run.out;
    EXPECT_NE(ReadText(path("cut.csv")).find("1.500"), std::string::npos);

    EXPECT_EQ(RunCli("convert " + path("S.SLR") + " -o " + path("s.g53")).status, 2);
}

TEST_F(CliImport, DownloadFromTheSimulatedLogger) {
    const std::string image = std::string(OSTREL_TEST_DATA) + "/import/five_sessions.bin";
    const std::string simulate = " --simulate=logger,latency=0,image=" + image;
    CliRun run = RunCli("download" + simulate + ",badsum=1 -o " + path("d.slr") + " --csv " +
                        path("d.csv") + " --image " + path("d.bin"));
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("Read Bytes : 120 Of 112"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("5 sessions, 9 readings"), std::string::npos) << run.out;
    // Message numbers are written one way: "Warning[W8012]: …", "Error[E…]".
    EXPECT_NE(run.out.find("Warning[W8012]: Acquiring"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Warning[W8013]: Processing"), std::string::npos) << run.out;
    for (const char* mark : {"[W", "[E"})
        for (auto at = run.out.find(mark); at != std::string::npos; at = run.out.find(mark, at + 1))
            EXPECT_TRUE(run.out.substr(0, at).ends_with(mark[1] == 'W' ? "Warning" : "Error"))
                << run.out.substr(at > 20 ? at - 20 : 0, 40);
    EXPECT_EQ(run.out.find("W["), std::string::npos) << run.out;
    // The image as downloaded is the served one, and decodes to the same text.
    EXPECT_EQ(ReadText(path("d.bin")), ReadText(image));
    ASSERT_EQ(RunCli("decode-image " + path("d.bin") + " --csv " + path("e.csv")).status, 0);
    EXPECT_EQ(ReadText(path("d.csv")), ReadText(path("e.csv")));
    EXPECT_EQ(OpenSessionFile(path("d.slr")).table.sessionCount(), 5u);
}

TEST_F(CliImport, DownloadFailuresEndWithTheirMessages) {
    const std::string image = std::string(OSTREL_TEST_DATA) + "/import/five_sessions.bin";
    struct Case {
        std::string simulate;
        std::string message;
    };
    for (const Case& c :
         {Case{"logger,latency=0,badsum=4,image=" + image, "Error[E9016]"},
          Case{"logger,latency=0,timeout=3", "Error[E9016]"},
          Case{"nologger,latency=0", "Error[E9017]"}, Case{"absent", "Error[E9015]"},
          Case{"logger,image=" + path("none.bin"), "image="}}) {
        CliRun run = RunCli("download --simulate=" + c.simulate + " -o " + path("x.slr"));
        EXPECT_EQ(run.status, 2) << c.simulate;
        EXPECT_NE(run.out.find(c.message), std::string::npos) << c.simulate << "\n" << run.out;
        EXPECT_FALSE(fs::exists(path("x.slr"))) << c.simulate;
    }
}

} // namespace
} // namespace ostrel
