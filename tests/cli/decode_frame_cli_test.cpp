#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace decode_frame_cli {
namespace {

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs ostrel-cli with the given arguments (shell words), standard input from a file.
CliRun RunCli(const std::string& arguments, const std::string& input = {}) {
    const auto dir = std::filesystem::temp_directory_path();
    const std::string tag = std::to_string(::getpid());
    const auto in = dir / ("ostrel_decode_in_" + tag);
    const auto err = dir / ("ostrel_decode_err_" + tag);
    std::ofstream(in, std::ios::binary) << input;
    const std::string command =
        std::string(OSTREL_CLI) + " " + arguments + " <" + in.string() + " 2>" + err.string();
    CliRun run;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
            run.out.append(buffer, n);
        const int status = ::pclose(pipe);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::stringstream errText;
    errText << std::ifstream(err).rdbuf();
    run.err = errText.str();
    std::filesystem::remove(in);
    std::filesystem::remove(err);
    return run;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

// Main -12.34 mV DC with low battery (raw bytes 2-8, 10-17, 19-23 carry b0-b19);
// sub 1.234 kHz.
const std::string kFrame =
    "00 00 20 80 A0 DB E9 E4 08 00 B0 CB E9 E4 00 05 60 00 00 00 00 00 00 00 00 00 00";

TEST(DecodeFrameCliTest, OneFrameGivesOneJsonObject) {
    const CliRun run = RunCli("decode-frame " + kFrame);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out,
              "{\"main\":{\"negative\":1,\"valueText\":\"-12.34\",\"exponentText\":\"-3\","
              "\"rawFunction\":2147483654,\"function\":6,\"prefixText\":\"m\",\"unitText\":\"V\","
              "\"couplingText\":\"DC\",\"valueField\":\"-12.34\",\"firstLabelField\":\"m\","
              "\"secondLabelField\":\"V\"},"
              "\"sub\":{\"negative\":0,\"valueText\":\"1.234\",\"exponentText\":\"3\","
              "\"rawFunction\":1024,\"function\":1024,\"prefixText\":\"k\",\"unitText\":\"Hz\","
              "\"couplingText\":\"\",\"valueField\":\"1.234\",\"firstLabelField\":\"k\","
              "\"secondLabelField\":\"Hz\"},\"lowBattery\":1}\n");

    // The same frame as one word of 54 digits.
    std::string word;
    for (char c : kFrame)
        if (c != ' ')
            word += c;
    EXPECT_EQ(RunCli("decode-frame " + word).out, run.out);
}

TEST(DecodeFrameCliTest, RefusesAFrameOfTheWrongLength) {
    const CliRun run = RunCli("decode-frame " + kFrame + " 00");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(Lines(run.err).size(), 1u);
}

TEST(DecodeFrameCliTest, StreamDecodesEveryGoodLineAndNamesTheBadOnes) {
    const std::string input = kFrame + "\n" + "00 11\n" + kFrame + "\r\n" +
                              std::string(10000, '0') + "\n" + kFrame; // last line unterminated
    const CliRun run = RunCli("decode-frame -", input);
    EXPECT_EQ(run.status, 2);
    const auto out = Lines(run.out);
    ASSERT_EQ(out.size(), 3u);
    for (const auto& line : out) {
        const auto json = nlohmann::json::parse(line);
        EXPECT_EQ(json["main"]["valueText"], "-12.34");
        EXPECT_EQ(json["sub"]["secondLabelField"], "Hz");
        EXPECT_EQ(json["lowBattery"], 1);
        EXPECT_EQ(json["main"].size(), 11u);
    }
    const auto err = Lines(run.err);
    ASSERT_EQ(err.size(), 2u);
    EXPECT_NE(err[0].find("line 2"), std::string::npos) << err[0];
    EXPECT_NE(err[1].find("line 4"), std::string::npos) << err[1];
}

TEST(DecodeFrameCliTest, CleanStreamSucceeds) {
    const CliRun run = RunCli("decode-frame -", kFrame + "\n" + kFrame + "\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Lines(run.out).size(), 2u);
    EXPECT_EQ(run.err, "");
}

} // namespace
} // namespace decode_frame_cli
