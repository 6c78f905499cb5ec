// ostrel-cli read and info against the simulated meter, as a user runs them.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <set>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

struct CliRun {
    int status = -1;
    std::vector<std::string> out; // standard output lines
    std::string err;
};

CliRun Cli(const std::string& arguments) {
    // One file per test process: ctest runs the tests of this file in parallel.
    const std::string errFile =
        ::testing::TempDir() + "ostrel_cli_read_err_" + std::to_string(::getpid()) + ".txt";
    const std::string command = std::string(OSTREL_CLI) + " " + arguments + " 2>" + errFile;
    CliRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return run;
    std::string text;
    char chunk[4096];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;)
        text.append(chunk, n);
    const int raw = pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        run.out.push_back(line);
    if (FILE* err = std::fopen(errFile.c_str(), "r")) {
        for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, err)) > 0;)
            run.err.append(chunk, n);
        std::fclose(err);
    }
    return run;
}

TEST(CliRead, PrintsTheAskedNumberOfChangingReadings) {
    const CliRun run = Cli("read --simulate=latency=10 --count 20");
    EXPECT_EQ(run.status, 0) << run.err;
    ASSERT_EQ(run.out.size(), 20u);
    EXPECT_GT(std::set<std::string>(run.out.begin(), run.out.end()).size(), 10u);
    EXPECT_NE(run.out[0].find(" V DC"), std::string::npos) << run.out[0];
    EXPECT_NE(run.out[0].find("sub "), std::string::npos) << run.out[0];
    EXPECT_TRUE(run.err.empty()) << run.err;
}

TEST(CliRead, SilentMeterEndsWithItsOneMessageAndStatus2) {
    const CliRun run = Cli("read --simulate=silent,latency=0");
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.out.empty());
    EXPECT_EQ(run.err, "Error[E9015]: No data received.\n");
}

TEST(CliRead, MissingCableAndRefusedSimulationsFailAtOnce) {
    CliRun run = Cli("read --simulate=absent");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "Error[E9015]: USB adapter cable not found.\n");

    run = Cli("read --simulate=unplug,after=3,latency=0");
    EXPECT_EQ(run.status, 2);
    // Readings that come faster than they are printed are skipped, never queued.
    EXPECT_GE(run.out.size(), 1u);
    EXPECT_LE(run.out.size(), 3u);
    EXPECT_EQ(run.err, "Error[E9015]: USB adapter cable not found.\n");

    run = Cli("read --simulate=loud");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("unknown profile \"loud\""), std::string::npos) << run.err;

    run = Cli("read --simulate=latency=0 --format xml");
    EXPECT_EQ(run.status, 2);
}

TEST(CliRead, CsvAndJsonCarryATimestampPerReading) {
    CliRun run = Cli("read --simulate=latency=0 --count 3 --format csv");
    EXPECT_EQ(run.status, 0) << run.err;
    ASSERT_EQ(run.out.size(), 4u);
    EXPECT_EQ(run.out[0],
              "time,main,main_unit,main_coupling,sub,sub_unit,sub_coupling,low_battery");
    for (std::size_t i = 1; i < 4; ++i) {
        EXPECT_EQ(std::count(run.out[i].begin(), run.out[i].end(), ','), 7) << run.out[i];
        EXPECT_EQ(run.out[i][10], 'T') << run.out[i]; // 2026-12-07T…
    }

    run = Cli("read --simulate=latency=10 --count 2 --format json");
    EXPECT_EQ(run.status, 0) << run.err;
    ASSERT_EQ(run.out.size(), 2u);
    for (const auto& line : run.out) {
        const auto j = nlohmann::json::parse(line);
        EXPECT_TRUE(j.at("time").is_string());
        EXPECT_EQ(j.at("main").at("unitText"), "V");
        EXPECT_EQ(j.at("main").at("couplingText"), "DC");
        EXPECT_TRUE(j.contains("lowBattery"));
    }
}

TEST(CliInfo, ShowsTheCableLikeTheAboutBox) {
    CliRun run = Cli("info --simulate");
    EXPECT_EQ(run.status, 0) << run.err;
    ASSERT_EQ(run.out.size(), 3u);
    EXPECT_EQ(run.out[1], "Cable Firmware ver.:01.05");
    EXPECT_EQ(run.out[2], "Cable SN : F0DEBC9A78563412");

    run = Cli("info --simulate=absent");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "Error[E9015]: USB adapter cable not found.\n");
}

} // namespace
