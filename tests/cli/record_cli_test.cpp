// ostrel-cli record against the simulated meter: samples as the recorder
// takes them, a journal that survives a killed run, the output at the end.
// ("Thread" in the suite's name: tools/test runs it again with the
// ThreadSanitizer build of ostrel-cli, whose link, signal and forwarding
// threads it exercises.)
#include "recorder/record_file.h"

#include "cli_run.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <thread>

namespace ostrel {
namespace {

using test::CliDir;
using test::CliRun;
using test::Lines;
using test::Load;
using test::RunCli;

constexpr const char* kHeader = "#item,Time,MainData,MainUnit,MainFunc,Sub Data,SubUnit,SubFunc";

// The printed sample lines agree with the file's entries, one by one.
void ExpectPrintedAreStored(const std::vector<std::string>& printed, const SampleBuffer& stored) {
    ASSERT_LE(printed.size(), stored.size());
    for (std::size_t i = 0; i < printed.size(); ++i) {
        const std::string prefix = std::to_string(i + 1) + "," +
                                   std::string(FieldView(stored[i].main.timeText)) + "," +
                                   std::string(FieldView(stored[i].main.dataText)) + ",";
        EXPECT_EQ(printed[i].substr(0, prefix.size()), prefix);
    }
}

TEST(RecordCliThreadTest, CountSamplesAtTheIntervalThenTheOutputAndNoJournal) {
    CliDir dir;
    const CliRun run =
        RunCli(dir, "record --simulate=latency=5 --interval 0.05 --count 6 -o r.g53");
    ASSERT_EQ(run.status, 0) << run.err;
    auto lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0], kHeader);
    lines.erase(lines.begin());
    const SampleBuffer stored = Load(dir / "r.g53");
    ASSERT_EQ(stored.size(), 6u);
    ExpectPrintedAreStored(lines, stored);
    EXPECT_EQ(stored[0].main.function, 6u);
    EXPECT_EQ(FieldView(stored[0].main.modeText), "DC");
    EXPECT_FALSE(std::filesystem::exists(dir / "r.g53.TMP"));
    EXPECT_EQ(run.err, "6 samples written to r.g53\n");
}

TEST(RecordCliThreadTest, DurationEndsARunIntoATextExport) {
    CliDir dir;
    const CliRun run =
        RunCli(dir, "record --simulate=latency=5 --interval 0.1 --duration 0.55 -o r.csv");
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string csv = test::ReadText(dir / "r.csv");
    const auto lines = Lines(csv);
    ASSERT_GE(lines.size(), 4u);
    ASSERT_LE(lines.size(), 7u);
    EXPECT_EQ(lines[0], std::string(kHeader) + "\r");
    EXPECT_EQ(Lines(run.out).size(), lines.size());
}

TEST(RecordCliThreadTest, AKilledRunLeavesAJournalThatConvertRecovers) {
    CliDir dir;
    const int pid = test::StartInBackground(
        std::string(OSTREL_CLI) + " record --simulate=latency=2 --interval 0.01 -o " +
        (dir / "k.g53") + " > " + (dir / "printed") + " 2>/dev/null");
    ASSERT_GT(pid, 0);
    // Let it take a good number of samples, then kill it without warning.
    test::WaitUntil([&] { return Lines(test::ReadText(dir / "printed")).size() >= 40; });
    ASSERT_EQ(::kill(pid, SIGKILL), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(std::filesystem::exists(dir / "k.g53"));

    auto printed = Lines(test::ReadText(dir / "printed"));
    ASSERT_GE(printed.size(), 40u);
    printed.erase(printed.begin()); // the header
    const CliRun run = RunCli(dir, "convert k.g53.TMP -o recovered.g53");
    EXPECT_EQ(run.status, 0) << run.err;
    const SampleBuffer recovered = Load(dir / "recovered.g53");
    // Nothing that was printed is lost.
    ExpectPrintedAreStored(printed, recovered);
    EXPECT_LE(recovered.size(), printed.size() + 1);

    // The next run leaves that journal alone and says it is there.
    const CliRun next =
        RunCli(dir, "record --simulate=latency=0 --interval 0.01 --count 1 -o k.g53");
    EXPECT_EQ(next.status, 0) << next.err;
    EXPECT_NE(next.err.find("Warning[W9069]: The journal k.g53.TMP of an earlier recording is "
                            "still there"),
              std::string::npos)
        << next.err;
    EXPECT_TRUE(std::filesystem::exists(dir / "k.g53.TMP"));
    EXPECT_FALSE(std::filesystem::exists(dir / "k.g53.2.TMP"));
}

TEST(RecordCliThreadTest, SigtermEndsTheRunAndWritesTheOutput) {
    CliDir dir;
    const int pid = test::StartInBackground(
        std::string(OSTREL_CLI) + " record --simulate=latency=2 --interval 0.02 -o " +
        (dir / "t.csv") + " > " + (dir / "printed") + " 2>/dev/null");
    ASSERT_GT(pid, 0);
    test::WaitUntil([&] { return Lines(test::ReadText(dir / "printed")).size() >= 6; });
    ASSERT_EQ(::kill(pid, SIGTERM), 0);
    test::WaitUntil([&] { return std::filesystem::exists(dir / "t.csv"); });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const auto printed = Lines(test::ReadText(dir / "printed"));
    const auto stored = Lines(test::ReadText(dir / "t.csv"));
    ASSERT_GE(printed.size(), 6u);
    EXPECT_EQ(stored.size(), printed.size());
    EXPECT_FALSE(std::filesystem::exists(dir / "t.csv.TMP"));
}

TEST(RecordCliThreadTest, ALostCableEndsWithItsMessageStatus2AndWhatWasTaken) {
    CliDir dir;
    const CliRun run =
        RunCli(dir, "record --simulate=unplug,after=8,latency=20 --interval 0.01 -o u.g53");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("Error[E9015]: USB adapter cable not found."), std::string::npos)
        << run.err;
    const SampleBuffer stored = Load(dir / "u.g53");
    EXPECT_GE(stored.size(), 1u);
    EXPECT_EQ(Lines(run.out).size(), stored.size() + 1);
    EXPECT_FALSE(std::filesystem::exists(dir / "u.g53.TMP"));
}

TEST(RecordCliThreadTest, RefusedBeforeAnythingIsWritten) {
    CliDir dir;
    CliRun run = RunCli(dir, "record --simulate=latency=0 --count 1 -o x.g52.g53");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "Error[E9021]: x.g52.g53 would be read back as a .g52 file, not as a .g53 "
                       "record file. Choose a name without \".g51\", \".g52\", \".tmp\" or "
                       "\".TMP\".\n");
    run = RunCli(dir, "record --simulate=absent -o a.g53");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "Error[E9015]: USB adapter cable not found.\n");
    run = RunCli(dir, "record --simulate --interval 0.001 -o a.g53");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err,
              "--interval: expected a number of seconds from 0.01 to 1000000 (see --help)\n");
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

} // namespace
} // namespace ostrel
