// ostrel-cli record with start and stop conditions and with --reconnect,
// against the simulated meter. Its DC volts follow 0.8 + 1.2 sin(2 pi n / 100)
// over the answers n, so they rise above 1.9 within 25 answers and fall below
// 0 after about 62. ("Thread" in the suite's name: tools/test runs it again
// with the ThreadSanitizer build of ostrel-cli.)
#include "recorder/record_file.h"

#include "cli_run.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <ctime>
#include <regex>
#include <thread>

namespace ostrel {
namespace {

using test::CliDir;
using test::CliRun;
using test::Lines;
using test::Load;
using test::RunCli;

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Seconds of the day of a recorder time text.
double SecondsOf(const TRecord& record) {
    int h = 0, m = 0;
    double s = 0;
    std::sscanf(std::string(FieldView(record.timeText)).c_str(), "%d:%d:%lf", &h, &m, &s);
    return h * 3600.0 + m * 60.0 + s;
}

TEST(RecordConditionsCliThreadTest, LevelsStartAndStopWithSamplesFromBefore) {
    CliDir dir;
    CliRun run = RunCli(dir, "record --simulate=latency=5 --interval 0.01 --start-below 0 --pre 5 "
                             "--count 20 -o t.g53");
    ASSERT_EQ(run.status, 0) << run.err;
    SampleBuffer stored = Load(dir / "t.g53");
    // --count counts from the start; the five from before come in front.
    ASSERT_EQ(stored.size(), 25u);
    EXPECT_GE(stored[4].main.value, 0.0f);
    EXPECT_LT(stored[5].main.value, 0.0f);
    EXPECT_EQ(Lines(run.out).size(), 26u);
    EXPECT_TRUE(Has(run.err, "Waiting for the start of the recording: the main value crosses "
                             "below 0.\n"))
        << run.err;
    EXPECT_TRUE(std::regex_search(run.err, std::regex("The recording started at [0-9:.]+ with "
                                                      "the main value -[0-9.]+; 5 samples from "
                                                      "before it were kept.\n")))
        << run.err;
    EXPECT_TRUE(Has(run.err, "25 samples written to t.g53\n"));

    run = RunCli(dir, "record --simulate=latency=5 --interval 0.01 --stop-above 1.9 -o s.g53");
    ASSERT_EQ(run.status, 0) << run.err;
    stored = Load(dir / "s.g53");
    ASSERT_GE(stored.size(), 2u);
    for (std::size_t i = 0; i + 1 < stored.size(); ++i)
        EXPECT_LE(stored[i].main.value, 1.9f) << i;
    EXPECT_GT(stored.back().main.value, 1.9f); // the crossing sample is the last one
    EXPECT_TRUE(Has(run.err, "The recording stopped: the main value crossed above 1.9.\n"))
        << run.err;
}

TEST(RecordConditionsCliThreadTest, TimesOfDayStartAndStop) {
    const std::time_t now = std::time(nullptr) + 2;
    std::tm start{};
    localtime_r(&now, &start);
    if (start.tm_hour == 23 && start.tm_min == 59 && start.tm_sec >= 50)
        GTEST_SKIP() << "too close to midnight";
    char startText[16], stopText[16];
    std::strftime(startText, sizeof startText, "%H:%M:%S", &start);
    const std::time_t later = now + 1;
    std::tm stop{};
    localtime_r(&later, &stop);
    std::strftime(stopText, sizeof stopText, "%H:%M:%S", &stop);

    CliDir dir;
    const CliRun run =
        RunCli(dir, std::string("record --simulate=latency=5 --interval 0.1 --pre 3 --start-at ") +
                        startText + " --stop-at " + stopText + " -o c.g53");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Has(run.err, std::string("Waiting for the start of the recording: the clock "
                                         "shows ") +
                                 startText + ".\n"))
        << run.err;
    EXPECT_TRUE(Has(run.err, std::string("The recording stopped: the clock showed ") + stopText))
        << run.err;
    const SampleBuffer stored = Load(dir / "c.g53");
    ASSERT_GE(stored.size(), 3u + 5u);
    const double startSecond = start.tm_hour * 3600.0 + start.tm_min * 60.0 + start.tm_sec;
    EXPECT_LT(SecondsOf(stored[2].main), startSecond);
    // The start time has a sample of its own, and the ticks go on from it.
    EXPECT_GE(SecondsOf(stored[3].main), startSecond);
    EXPECT_LT(SecondsOf(stored[3].main), startSecond + 0.3);
    EXPECT_LT(SecondsOf(stored.back().main), startSecond + 1.0);
}

TEST(RecordConditionsCliThreadTest, WhileWaitingNothingIsJournaledOrPrinted) {
    CliDir dir;
    const auto start = [&](const std::string& name) {
        return test::StartInBackground(std::string(OSTREL_CLI) +
                                       " record --simulate=latency=5 --interval 0.01 "
                                       "--start-above 100 --pre 50 -o " +
                                       (dir / (name + ".g53")) + " > " + (dir / (name + ".out")) +
                                       " 2> " + (dir / (name + ".err")));
    };
    const auto waiting = [&](const std::string& name) {
        return test::WaitUntil(
            [&] { return Has(test::ReadText(dir / (name + ".err")), "Waiting for the start"); });
    };
    // Killed without warning: the journal is there, empty; only the header was printed.
    int pid = start("k");
    ASSERT_TRUE(waiting("k"));
    std::this_thread::sleep_for(std::chrono::milliseconds(300)); // samples are held meanwhile
    ASSERT_EQ(::kill(pid, SIGKILL), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(std::filesystem::file_size(dir / "k.g53.TMP"), 0u);
    EXPECT_EQ(Lines(test::ReadText(dir / "k.out")).size(), 1u);

    // Stopped by SIGTERM: the run says that it never started.
    pid = start("t");
    ASSERT_TRUE(waiting("t"));
    ASSERT_EQ(::kill(pid, SIGTERM), 0);
    EXPECT_TRUE(test::WaitUntil([&] {
        return Has(test::ReadText(dir / "t.err"),
                   "The recording did not start; nothing was recorded.\n");
    })) << test::ReadText(dir / "t.err");
    EXPECT_EQ(Lines(test::ReadText(dir / "t.out")).size(), 1u);
}

TEST(RecordConditionsCliThreadTest, ConditionsThatCannotBeAreRefused) {
    CliDir dir;
    const std::pair<const char*, const char*> refusals[] = {
        {"--pre 5", "--pre: needs a start condition (--start-above, --start-below or --start-at)"},
        {"--start-at 24:00",
         "--start-at: expected a time of day HH:MM or HH:MM:SS (24-hour clock)"},
        {"--stop-above 5V", "--stop-above: expected a number, such as 5, -0.25 or 1.5E-3"},
    };
    CliRun run;
    for (const auto& [options, message] : refusals) {
        run = RunCli(dir, std::string("record --simulate=latency=0 ") + options + " -o a.g53");
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err, std::string(message) + " (see --help)\n");
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
    // A negative level is a value, not an option.
    run = RunCli(dir, "record --simulate=latency=0 --interval 0.01 --stop-below -0.5 --count 2 "
                      "-o a.g53");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Load(dir / "a.g53").size(), 2u);
}

TEST(RecordConditionsCliThreadTest, ARecordingThatReconnectsShowsTheGap) {
    CliDir dir;
    CliRun run = RunCli(dir, "record --simulate=replug,after=10,gone=800,latency=5 --interval "
                             "0.02 --count 40 --reconnect -o r.g53");
    ASSERT_EQ(run.status, 0) << run.err;
    const SampleBuffer stored = Load(dir / "r.g53");
    ASSERT_EQ(stored.size(), 40u); // the count counts samples as before
    EXPECT_FALSE(std::filesystem::exists(dir / "r.g53.TMP"));
    EXPECT_TRUE(Has(run.err, "Error[E9015]: USB adapter cable not found.\n")) << run.err;
    EXPECT_TRUE(Has(run.err, "; the recording goes on as soon as the cable answers again.\n"));
    std::smatch gap;
    ASSERT_TRUE(std::regex_search(run.err, gap,
                                  std::regex("Linked again at [0-9:.]+: no samples for "
                                             "([0-9.]+) seconds, since [0-9:.]+\\.\n")))
        << run.err;
    EXPECT_GE(std::stod(gap[1]), 0.75);
    // The time texts show the gap.
    double widest = 0;
    for (std::size_t i = 1; i < stored.size(); ++i)
        widest = std::max(widest, SecondsOf(stored[i].main) - SecondsOf(stored[i - 1].main));
    EXPECT_GE(widest, 0.7);

    // A meter that stays silent: its messages once, the run goes on to its end,
    // where no sample means no output.
    run = RunCli(dir, "record --simulate=silent,latency=0 --reconnect --duration 1.2 -o q.g53");
    EXPECT_EQ(run.status, 2) << run.err;
    EXPECT_TRUE(Has(run.err, "Error[E9073]: No sample was taken; q.g53 was left as it was.\n"));
    EXPECT_FALSE(std::filesystem::exists(dir / "q.g53"));
    EXPECT_EQ(run.err.find("No data received."), run.err.rfind("No data received.")) << run.err;
    EXPECT_TRUE(Has(run.err, "Error[E9015]: No data received.\n")) << run.err;
    EXPECT_EQ(run.err.find("The link to the meter was lost"),
              run.err.rfind("The link to the meter was lost"));
    EXPECT_FALSE(Has(run.err, "Linked again"));
}

} // namespace
} // namespace ostrel
