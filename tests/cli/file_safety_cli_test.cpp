// Files and standard output through the real ostrel-cli, with hostile and
// unlucky inputs: nothing an output names may destroy an input or another
// output, special files stay what they are, failures are never success.
#include "recorder/record_file.h"

#include "cli_run.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>

namespace ostrel {
namespace {

using test::CliDir;
using test::CliRun;
using test::Lines;
using test::MakePair;
using test::ReadText;
using test::RunCli;

void SaveRecords(const std::string& path, int n) {
    SampleBuffer pairs;
    for (int i = 0; i < n; ++i)
        pairs.push_back(MakePair(i));
    ASSERT_TRUE(SaveRecordFile(path, pairs));
}

std::size_t PartFiles(const CliDir& dir) {
    std::size_t n = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        n += entry.path().extension() == ".part";
    return n;
}

TEST(FileSafetyCliTest, AnOutputThatIsAnInputOrAnotherOutputIsRefusedBeforeWriting) {
    CliDir dir;
    std::filesystem::copy_file(std::string(OSTREL_TEST_DATA) + "/import/five_sessions.bin",
                               dir / "img.bin");
    const std::string image = ReadText(dir / "img.bin");
    CliRun run = RunCli(dir, "decode-image img.bin -o img.bin");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "Error[E9060]: The output img.bin is the same file as the input img.bin; "
                       "nothing was written.\n");
    EXPECT_EQ(ReadText(dir / "img.bin"), image);

    run = RunCli(dir, "decode-image img.bin -o s.slr --csv ./s.slr");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(Lines(run.err).size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(dir / "s.slr"));

    run = RunCli(dir, "download --simulate=logger -o d.slr --image d.slr");
    EXPECT_EQ(run.status, 2);
    EXPECT_FALSE(std::filesystem::exists(dir / "d.slr"));

    // A cut-short input and a link to it: the same file under other names.
    SaveRecords(dir / "cut.g53", 3);
    std::filesystem::resize_file(dir / "cut.g53", 4 + 2 * kEntrySize + 10);
    std::filesystem::create_symlink(dir / "cut.g53", dir / "link.g53");
    const std::string cut = ReadText(dir / "cut.g53");
    for (const char* output : {"cut.g53", "link.g53", "../" /* below */}) {
        const std::string target = std::string(output) == "../"
                                       ? "../" + dir.path().filename().string() + "/cut.g53"
                                       : output;
        run = RunCli(dir, "convert cut.g53 -o " + target);
        EXPECT_EQ(run.status, 2) << target;
        EXPECT_EQ(ReadText(dir / "cut.g53"), cut) << target;
    }
}

TEST(FileSafetyCliTest, SpecialOutputsAreWrittenStraight) {
    CliDir dir;
    SaveRecords(dir / "in.g53", 2);
    ASSERT_EQ(::mkfifo((dir / "pipe.csv").c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] { received = ReadText(dir / "pipe.csv"); });
    const CliRun run = RunCli(dir, "convert in.g53 -o pipe.csv");
    reader.join();
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Lines(received).size(), 3u);
    struct stat st {};
    ASSERT_EQ(::stat((dir / "pipe.csv").c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));

    // Standard output by its descriptor path, into a pipe and into a file.
    const std::string image = std::string(OSTREL_TEST_DATA) + "/import/five_sessions.bin";
    CliRun out = RunCli(dir, "decode-image " + image + " --csv /dev/fd/1 | cat");
    EXPECT_EQ(out.status, 0) << out.err;
    EXPECT_NE(out.out.find("#item,Time,MainData"), std::string::npos) << out.out;
    out = RunCli(dir, "decode-image " + image + " --csv /dev/fd/1 > listing.txt");
    EXPECT_EQ(out.status, 0) << out.err;
    EXPECT_NE(ReadText(dir / "listing.txt").find("#item,Time,MainData"), std::string::npos);
    EXPECT_EQ(PartFiles(dir), 0u);
}

TEST(FileSafetyCliTest, AnInputWithNothingReadableLeavesTheOutputUntouched) {
    CliDir dir;
    test::WriteText(dir / "keep.csv", "precious");
    test::WriteText(dir / "empty.slr", "");
    test::WriteText(dir / "empty.g53", "");
    test::WriteText(dir / "bad.frames", "nothing\n");
    SaveRecords(dir / "nothing.g53", 2);
    std::filesystem::resize_file(dir / "nothing.g53", 4 + 100); // count 2, no whole entry
    for (const char* input : {"empty.slr", "empty.g53", "bad.frames", "nothing.g53", "gone.g53"}) {
        const CliRun run = RunCli(dir, std::string("convert ") + input + " -o keep.csv");
        EXPECT_EQ(run.status, 2) << input;
        EXPECT_EQ(ReadText(dir / "keep.csv"), "precious") << input;
    }
}

TEST(FileSafetyCliTest, AFailedStandardOutputIsAFailureAndAClosedPipeEndsQuietly) {
    CliDir dir;
    const std::string frame =
        "00 00 20 80 A0 DB E9 E4 08 00 B0 CB E9 E4 00 05 60 00 00 00 00 00 00 00 00 00 00";
    const std::string image = std::string(OSTREL_TEST_DATA) + "/import/five_sessions.bin";
    for (const std::string& command :
         {"decode-frame " + frame, "decode-image " + image,
          std::string("read --simulate=latency=0 --count 3"), std::string("info --simulate"),
          std::string("decode-frame -")}) {
        const CliRun run = RunCli(dir, command + " > /dev/full", frame + "\n");
        EXPECT_EQ(run.status, 2) << command;
        EXPECT_EQ(run.err, "Error[E9063]: Standard output could not be written (No space left "
                           "on device).\n")
            << command;
    }
    const CliRun run = RunCli(dir, "read --simulate=latency=5 | head -n 1");
    EXPECT_EQ(run.status, 128 + SIGPIPE);
    EXPECT_EQ(Lines(run.out).size(), 1u);
    EXPECT_EQ(run.err, "");
}

TEST(FileSafetyCliTest, AGeneratedRecordFileNeverGetsANameReadBackAsAnotherLayout) {
    CliDir dir;
    SaveRecords(dir / "in.g53", 1);
    for (const char* output : {"cal.g51", "run.tmp.g53", "x.g52.g53"}) {
        const CliRun run = RunCli(dir, std::string("convert in.g53 -o ") + output);
        EXPECT_EQ(run.status, 2) << output;
        EXPECT_FALSE(std::filesystem::exists(dir / output)) << output;
    }
    EXPECT_NE(RunCli(dir, "convert in.g53 -o run.tmp.g53").err.find("as a temporary file"),
              std::string::npos);
}

TEST(FileSafetyCliTest, ASignalRemovesThePartialFileAndASaveRemovesStaleOnes) {
    CliDir dir;
    // A capture read from a pipe keeps the conversion waiting with its
    // partial output open.
    ASSERT_EQ(::mkfifo((dir / "in.frames").c_str(), 0600), 0);
    const int pid =
        test::StartInBackground(std::string(OSTREL_CLI) + " convert " + (dir / "in.frames") +
                                " -o " + (dir / "out.g53") + " 2>/dev/null");
    ASSERT_GT(pid, 0);
    const int writer = ::open((dir / "in.frames").c_str(), O_WRONLY);
    ASSERT_GE(writer, 0);
    const std::string line = std::string(54, '0') + "\n";
    ASSERT_EQ(::write(writer, line.data(), line.size()), static_cast<ssize_t>(line.size()));
    test::WaitUntil([&] { return PartFiles(dir) != 0; });
    ASSERT_EQ(PartFiles(dir), 1u);
    ASSERT_EQ(::kill(pid, SIGTERM), 0);
    test::WaitUntil([&] { return PartFiles(dir) == 0; });
    ::close(writer);
    EXPECT_EQ(PartFiles(dir), 0u);
    EXPECT_FALSE(std::filesystem::exists(dir / "out.g53"));

    // What a save killed outright (SIGKILL) leaves is removed by the next save
    // of the same file, once its process is gone.
    const pid_t gone = ::fork();
    if (gone == 0)
        ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    test::WriteText(dir / (".out.csv." + std::to_string(gone) + "-0.part"), "stale");
    SaveRecords(dir / "in.g53", 1);
    EXPECT_EQ(RunCli(dir, "convert in.g53 -o out.csv").status, 0);
    EXPECT_EQ(PartFiles(dir), 0u);
}

TEST(FileSafetyCliTest, SmallerFaults) {
    CliDir dir;
    // A trailing partial entry is named, and what is whole converts.
    SaveRecords(dir / "whole.g53", 2);
    std::string tmp = ReadText(dir / "whole.g53").substr(4) + "partial";
    test::WriteText(dir / "left.TMP", tmp);
    CliRun run = RunCli(dir, "convert left.TMP -o left.g53");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "Warning[W9064]: The last 7 bytes of the file hold no complete entry; they "
                       "were not read.\n");

    // A named pipe as a record file is refused at once instead of waiting.
    ASSERT_EQ(::mkfifo((dir / "p.g53").c_str(), 0600), 0);
    run = RunCli(dir, "convert p.g53 -o p.csv");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "Error[E9062]: p.g53 is a named pipe, which this command cannot read as a "
                       "stream; give a regular file.\n");

    // Option errors read as sentences.
    run = RunCli(dir, "read --count -5");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "--count: expected a whole number from 0 up (see --help)\n");
    run = RunCli(dir, "read --count 99999999999999999999999");
    EXPECT_EQ(run.err, "--count: expected a whole number from 0 up (see --help)\n");
    run = RunCli(dir, "read --format xml");
    EXPECT_EQ(run.err, "--format: expected text, csv, json or raw (see --help)\n");
    run = RunCli(dir, "read --bogus");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "The following argument was not expected: --bogus (see --help)\n");
}

} // namespace
} // namespace ostrel
