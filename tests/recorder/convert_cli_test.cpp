// ostrel-cli convert, run as a program.
#include "recorder/record_file.h"
#include "recorder/text_export.h"

#include "record_test_util.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <sys/wait.h>

namespace ostrel {
namespace {

using test::MakePair;
using test::ReadBytes;
using test::ScratchDir;

struct CliRun {
    int status = -1;
    std::string err;
};

CliRun Convert(const ScratchDir& dir, const std::string& in, const std::string& out) {
    const std::string errFile = dir / "stderr.txt";
    const std::string cmd =
        std::string(OSTREL_CLI) + " convert '" + in + "' -o '" + out + "' 2>'" + errFile + "'";
    CliRun run;
    const int raw = std::system(cmd.c_str());
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    const auto bytes = ReadBytes(errFile);
    run.err.assign(bytes.begin(), bytes.end());
    return run;
}

std::string TextOf(const std::vector<std::uint8_t>& bytes) {
    return {bytes.begin(), bytes.end()};
}

TEST(ConvertCommandTest, RecordFileToCsvAndBack) {
    ScratchDir dir;
    SampleBuffer pairs;
    for (int i = 0; i < 450; ++i)
        pairs.push_back(MakePair(i, i % 3 == 0));
    ASSERT_TRUE(SaveRecordFile(dir / "in.g53", pairs));

    CliRun run = Convert(dir, dir / "in.g53", dir / "out.csv");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(TextOf(ReadBytes(dir / "out.csv")), ExportText(pairs, 200, 1, 3));

    run = Convert(dir, dir / "in.g53", dir / "copy.G53");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadBytes(dir / "copy.G53"), ReadBytes(dir / "in.g53"));
}

TEST(ConvertCommandTest, LeftoverTemporaryFileBecomesARecordFile) {
    ScratchDir dir;
    const std::string tmp = TemporaryFilePath(dir.path().string(), 1);
    {
        TemporaryFileWriter writer;
        ASSERT_TRUE(writer.open(tmp));
        for (int i = 0; i < 5; ++i)
            writer.append(MakePair(i));
    }
    // A crash in the middle of an entry leaves part of it behind.
    {
        std::FILE* f = std::fopen(tmp.c_str(), "ab");
        std::fputs("partial", f);
        std::fclose(f);
    }
    const CliRun run = Convert(dir, tmp, dir / "recovered.g53");
    EXPECT_EQ(run.status, 0) << run.err;
    SampleBuffer loaded;
    EXPECT_EQ(LoadRecordFile(dir / "recovered.g53", loaded).status, LoadStatus::Ok);
    ASSERT_EQ(loaded.size(), 5u);
    EXPECT_EQ(loaded[4], MakePair(4));
}

TEST(ConvertCommandTest, ErrorsGoToStandardErrorWithStatus2) {
    ScratchDir dir;
    CliRun run = Convert(dir, dir / "missing.g53", dir / "out.csv");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "Error[E9004]: File open error. (" + (dir / "missing.g53") +
                           ": No such file or directory)\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "out.csv"));

    ASSERT_TRUE(SaveRecordFile(dir / "in.g53", SampleBuffer{MakePair(1)}));
    run = Convert(dir, dir / "in.g53", dir / "no/dir/out.csv");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "Error[E9005]: File save error. (" + (dir / "no/dir/out.csv") +
                           ": No such file or directory)\n");

    run = Convert(dir, dir / "in.g53", dir / "out.txt");
    EXPECT_EQ(run.status, 2);

    // A negative count: nothing to convert, the output is not created.
    test::WriteBytes(dir / "bad.g53", {0xFF, 0xFF, 0xFF, 0xFF, 1, 2, 3});
    run = Convert(dir, dir / "bad.g53", dir / "bad.csv");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "Error[E9004]: File open error. (" + (dir / "bad.g53") +
                           ": no valid entry count: not a .g53 record file; " + (dir / "bad.csv") +
                           " was left as it was)\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "bad.csv"));
}

TEST(ConvertCommandTest, CutShortInputConvertsItsCompleteEntriesAndFails) {
    ScratchDir dir;
    SampleBuffer pairs = {MakePair(1), MakePair(2), MakePair(3)};
    ASSERT_TRUE(SaveRecordFile(dir / "in.g53", pairs));
    std::filesystem::resize_file(dir / "in.g53", 4 + 2 * kEntrySize + 100);
    const CliRun run = Convert(dir, dir / "in.g53", dir / "out.csv");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "Error[E9020]: The file is cut short: 2 of 3 entries were read.\n");
    EXPECT_EQ(TextOf(ReadBytes(dir / "out.csv")),
              ExportText(SampleBuffer{MakePair(1), MakePair(2)}, 200, 1, 1));
}

} // namespace
} // namespace ostrel
