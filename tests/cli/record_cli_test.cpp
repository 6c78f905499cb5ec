// ostrel-cli record against the simulated meter: samples as the recorder
// takes them, a journal that survives a killed run, the output at the end.
// ("Thread" in the suite's name: tools/test runs it again with the
// ThreadSanitizer build of ostrel-cli, whose link, signal and forwarding
// threads it exercises.)
#include "recorder/record_file.h"
#include "recorder/text_export.h"

#include "../recorder/file_size_limit.h"
#include "cli_run.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <thread>
#include <utility>

namespace ostrel {
namespace {

using test::CliDir;
using test::CliRun;
using test::Lines;
using test::Load;
using test::RunCli;

constexpr const char* kHeader = "#item,Time,MainData,MainUnit,MainFunc,Sub Data,SubUnit,SubFunc";

// The printed sample lines are the export lines of the file's entries, one by one.
void ExpectPrintedAreStored(const std::vector<std::string>& printed, const SampleBuffer& stored) {
    ASSERT_LE(printed.size(), stored.size());
    for (std::size_t i = 0; i < printed.size(); ++i) {
        std::string line;
        AppendExportLine(line, stored[i], static_cast<std::int64_t>(i));
        EXPECT_EQ(printed[i] + "\r\n", line);
    }
}

// A recording of the simulated meter in the background, printing into
// dir/printed; its process id.
int StartRecording(const CliDir& dir, const std::string& options,
                   const std::string& err = "/dev/null") {
    return test::StartInBackground(std::string(OSTREL_CLI) + " record --simulate=latency=2 " +
                                   options + " > " + (dir / "printed") + " 2>" + err);
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
    const int pid = StartRecording(dir, "--interval 0.01 -o " + (dir / "k.g53"));
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

TEST(RecordCliThreadTest, EachStopSignalEndsTheRunAndWritesTheOutput) {
    for (const int signal : {SIGTERM, SIGHUP}) {
        CliDir dir;
        const int pid = StartRecording(dir, "--interval 0.02 -o " + (dir / "t.csv"));
        ASSERT_GT(pid, 0);
        test::WaitUntil([&] { return Lines(test::ReadText(dir / "printed")).size() >= 6; });
        ASSERT_EQ(::kill(pid, signal), 0);
        test::WaitUntil([&] { return std::filesystem::exists(dir / "t.csv"); });
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const auto printed = Lines(test::ReadText(dir / "printed"));
        const auto stored = Lines(test::ReadText(dir / "t.csv"));
        ASSERT_GE(printed.size(), 6u) << signal;
        EXPECT_EQ(stored.size(), printed.size()) << signal;
        EXPECT_FALSE(std::filesystem::exists(dir / "t.csv.TMP")) << signal;
    }
}

TEST(RecordCliThreadTest, ASecondRunIntoTheSameOutputIsRefusedWhileTheFirstRuns) {
    CliDir dir;
    SaveRecordFile(dir / "old.g53", SampleBuffer{});
    std::filesystem::create_symlink("old.g53", dir / "link.g53");
    // The output by its own name (held by its journal), and an existing
    // output by another name (held as a file).
    for (const auto& [first, second] :
         {std::pair{"new.g53", "./new.g53"}, {"old.g53", "link.g53"}}) {
        const int pid = StartRecording(dir, "--interval 0.05 --count 12 -o " + (dir / first),
                                       dir / "first.err");
        ASSERT_GT(pid, 0);
        ASSERT_TRUE(test::WaitUntil([&] { return std::filesystem::exists(dir / first + ".TMP"); }));
        const CliRun run =
            RunCli(dir, std::string("record --simulate=latency=0 --count 3 -o ") + second);
        EXPECT_EQ(run.status, 2) << second;
        EXPECT_EQ(run.err.rfind("Error[E9072]: Another recording that is still running holds ", 0),
                  0u)
            << run.err;
        EXPECT_EQ(run.out, "");
        // The first run goes on undisturbed and keeps every sample.
        EXPECT_TRUE(test::WaitUntil([&] {
            return test::ReadText(dir / "first.err")
                       .find("12 samples written to " + (dir / first)) != std::string::npos;
        })) << test::ReadText(dir / "first.err");
        EXPECT_EQ(Load(dir / first).size(), 12u) << first;
        EXPECT_FALSE(std::filesystem::exists(dir / first + ".TMP"));
    }
}

TEST(RecordCliThreadTest, AFullDiskStopsTheRunAndSaysHowManySamplesAreSafeAndWhere) {
    // Ten entries fit; then the output fits too (written, journal gone), or
    // not (the journal keeps them).
    for (const rlim_t limit : {10 * kEntrySize + 50, 10 * kEntrySize + 2}) {
        CliDir dir;
        CliRun run;
        {
            test::ScopedFileSizeLimit full(limit);
            ASSERT_TRUE(full.isSet());
            run = RunCli(dir, "record --simulate=latency=0 --interval 0.01 --count 100 -o r.g53");
        }
        EXPECT_EQ(run.status, 2);
        auto printed = Lines(run.out);
        ASSERT_FALSE(printed.empty());
        printed.erase(printed.begin());
        EXPECT_EQ(printed.size(), 10u) << "every printed sample is on the disk, no other";
        const auto err = Lines(run.err);
        ASSERT_FALSE(err.empty());
        EXPECT_NE(run.err.find("Error[E9068]: The journal r.g53.TMP could not be written ("),
                  std::string::npos)
            << run.err;
        if (limit % kEntrySize >= 4) {
            EXPECT_EQ(err.back(), "10 samples written to r.g53");
            ExpectPrintedAreStored(printed, Load(dir / "r.g53"));
            EXPECT_FALSE(std::filesystem::exists(dir / "r.g53.TMP"));
        } else {
            EXPECT_EQ(err.back(), "Error[E9070]: r.g53 was not written; the journal r.g53.TMP "
                                  "keeps the 10 samples it holds.");
            ExpectPrintedAreStored(printed, Load(dir / "r.g53.TMP"));
            EXPECT_EQ(std::filesystem::file_size(dir / "r.g53.TMP"), 10 * kEntrySize);
            EXPECT_FALSE(std::filesystem::exists(dir / "r.g53"));
        }
    }
}

TEST(RecordCliThreadTest, ARunThatTakesNoSampleLeavesTheOutputAndSaysOneThing) {
    CliDir dir;
    ASSERT_TRUE(SaveRecordFile(dir / "keep.g53", SampleBuffer{}));
    const std::string kept = test::ReadText(dir / "keep.g53");
    const std::pair<const char*, const char*> cases[] = {
        {"--simulate=unplug,after=1,latency=0", "Error[E9015]: USB adapter cable not found.\n"},
        {"--simulate=silent,latency=0", "Error[E9015]: No data received.\n"},
        {"--simulate=latency=0 --interval 5 --duration 0.05",
         "Error[E9073]: No sample was taken; keep.g53 was left as it was.\n"},
    };
    for (const auto& [options, message] : cases) {
        const CliRun run = RunCli(dir, std::string("record ") + options + " -o keep.g53");
        EXPECT_EQ(run.status, 2) << options;
        EXPECT_EQ(run.err, message) << options;
        EXPECT_EQ(test::ReadText(dir / "keep.g53"), kept) << options;
        EXPECT_FALSE(std::filesystem::exists(dir / "keep.g53.TMP")) << options;
    }
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
