// The recorder's temporary files: numbering over a run and past an earlier
// run's leftovers, never touching another run's file, keeping files for
// recovery, and a write error that is reported once.
#include "recorder/temporary_files.h"

#include "file_size_limit.h"
#include "record_test_util.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace ostrel {
namespace {

using test::MakePair;
using test::ScratchDir;
namespace fs = std::filesystem;

std::uintmax_t Size(const std::string& path) {
    return fs::file_size(path);
}

TEST(TemporaryFilesTest, ThirdStartWritesFileThreeAndTheEndRemovesOneToThree) {
    ScratchDir dir;
    {
        TemporaryFiles files(dir.path().string());
        for (int start = 1; start <= 3; ++start) {
            ASSERT_TRUE(files.startNext());
            EXPECT_EQ(files.append(MakePair(start)), TemporaryFiles::Append::Written);
        }
        files.close();
        EXPECT_EQ(files.currentPath(), dir / "~QDMDL3.TMP");
        EXPECT_EQ(files.created(), 3);
        for (const char* name : {"~QDMDL1.TMP", "~QDMDL2.TMP", "~QDMDL3.TMP"})
            EXPECT_EQ(Size(dir / name), kEntrySize) << name;
        EXPECT_EQ(files.append(MakePair(9)), TemporaryFiles::Append::NotOpen);
    }
    EXPECT_TRUE(fs::is_empty(dir.path()));
}

TEST(TemporaryFilesTest, AnEarlierRunsFilesAreNumberedPastAndLeftAlone) {
    ScratchDir dir;
    test::WriteBytes(dir / "~QDMDL2.TMP", std::vector<std::uint8_t>(3 * kEntrySize + 5, 7));
    test::WriteBytes(dir / "~QDMDL0.TMP", {1});  // not a name this program makes
    test::WriteBytes(dir / "~QDMDL1.tmp", {1});  // nor this
    test::WriteBytes(dir / "~QDMDLx.TMP", {1});  // nor this
    test::WriteBytes(dir / "~QDMDL02.TMP", {1}); // nor this
    fs::create_directory(dir / "~QDMDL7.TMP");   // a folder is no file

    const std::vector<LeftoverFile> found = FindLeftoverFiles(dir.path().string());
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].name, "~QDMDL2.TMP");
    EXPECT_EQ(found[0].number, 2);
    EXPECT_EQ(found[0].entries, 3);
    EXPECT_FALSE(found[0].inUse);
    {
        TemporaryFiles files(dir.path().string());
        ASSERT_TRUE(files.startNext());
        EXPECT_EQ(files.currentPath(), dir / "~QDMDL3.TMP");
        // A file that turns up under the next number (another program in the
        // same folder) is skipped, not truncated.
        test::WriteBytes(dir / "~QDMDL4.TMP", std::vector<std::uint8_t>(kEntrySize, 1));
        ASSERT_TRUE(files.startNext());
        EXPECT_EQ(files.currentPath(), dir / "~QDMDL5.TMP");
        // While it records, the file shows as in use to another run.
        const std::vector<LeftoverFile> now = FindLeftoverFiles(dir.path().string());
        ASSERT_EQ(now.size(), 4u);
        EXPECT_TRUE(now[3].inUse);
        EXPECT_FALSE(now[2].inUse);
    }
    EXPECT_EQ(Size(dir / "~QDMDL2.TMP"), 3 * kEntrySize + 5);
    EXPECT_EQ(Size(dir / "~QDMDL4.TMP"), kEntrySize);
    EXPECT_FALSE(fs::exists(dir / "~QDMDL3.TMP"));
    EXPECT_FALSE(fs::exists(dir / "~QDMDL5.TMP"));
}

TEST(TemporaryFilesTest, ALeftoverIsSummarisedByItsFirstAndLastSampleAndKnownAsNotOurs) {
    ScratchDir dir;
    {
        TemporaryFiles earlier(dir.path().string());
        ASSERT_TRUE(earlier.startNext());
        for (int i = 1; i <= 4; ++i)
            earlier.append(MakePair(i));
        earlier.keepForRecovery(false); // as a killed run leaves it
    }
    // A partial entry at the end (the kill came in the middle of a write).
    std::ofstream(dir / "~QDMDL1.TMP", std::ios::app | std::ios::binary) << "partial";
    const std::vector<LeftoverFile> found = FindLeftoverFiles(dir.path().string());
    ASSERT_EQ(found.size(), 1u);
    const LeftoverSummary summary = SummariseLeftover(found[0]);
    EXPECT_EQ(summary.firstTime, " 12:00:11.0");
    EXPECT_EQ(summary.lastTime, " 12:00:14.0");
    EXPECT_EQ(summary.date.size(), 10u); // 2026-12-08
    EXPECT_EQ(SummariseLeftover(LeftoverFile{dir / "gone.TMP", "gone.TMP", 3, 2, false}).firstTime,
              "");

    TemporaryFiles now(dir.path().string());
    ASSERT_TRUE(now.startNext());
    EXPECT_TRUE(IsLeftoverOf(now, dir / "~QDMDL1.TMP"));
    EXPECT_FALSE(IsLeftoverOf(now, now.currentPath())); // this run's own
    EXPECT_FALSE(IsLeftoverOf(now, dir / "kept.g53"));
    ScratchDir elsewhere;
    EXPECT_FALSE(IsLeftoverOf(now, elsewhere / "~QDMDL1.TMP"));
}

TEST(TemporaryFilesTest, KeptForRecoveryTheRunningFileOrEveryFileSurvives) {
    ScratchDir dir;
    {
        TemporaryFiles files(dir.path().string());
        ASSERT_TRUE(files.startNext());
        files.append(MakePair(1));
        ASSERT_TRUE(files.startNext());
        files.append(MakePair(2));
        files.append(MakePair(3));
        files.keepForRecovery(false); // only the running recording
        EXPECT_FALSE(files.isOpen());
    }
    EXPECT_FALSE(fs::exists(dir / "~QDMDL1.TMP"));
    ASSERT_TRUE(fs::exists(dir / "~QDMDL2.TMP"));
    EXPECT_EQ(Size(dir / "~QDMDL2.TMP"), 2 * kEntrySize);
    {
        TemporaryFiles files(dir.path().string());
        ASSERT_TRUE(files.startNext());
        EXPECT_EQ(files.currentPath(), dir / "~QDMDL3.TMP");
        files.close();
        ASSERT_TRUE(files.startNext());
        files.keepForRecovery(true); // the buffer holds unsaved samples
    }
    EXPECT_TRUE(fs::exists(dir / "~QDMDL3.TMP"));
    EXPECT_TRUE(fs::exists(dir / "~QDMDL4.TMP"));
}

TEST(TemporaryFilesTest, AWriteErrorIsReportedOnceAndClosesTheFile) {
    ScratchDir dir;
    TemporaryFiles files(dir.path().string());
    ASSERT_TRUE(files.startNext());
    TemporaryFiles::Append first, second, third, fourth;
    {
        // A file size limit of two entries stands for a full disk.
        const test::ScopedFileSizeLimit full(2 * kEntrySize);
        ASSERT_TRUE(full.isSet());
        first = files.append(MakePair(1));
        second = files.append(MakePair(2));
        third = files.append(MakePair(3));
        fourth = files.append(MakePair(4));
    }
    EXPECT_EQ(first, TemporaryFiles::Append::Written);
    EXPECT_EQ(second, TemporaryFiles::Append::Written);
    EXPECT_EQ(third, TemporaryFiles::Append::FailedNow);
    EXPECT_EQ(fourth, TemporaryFiles::Append::NotOpen);
    EXPECT_FALSE(files.isOpen());
    // A later Start tries again with a new file.
    ASSERT_TRUE(files.startNext());
    EXPECT_EQ(files.append(MakePair(5)), TemporaryFiles::Append::Written);
}

TEST(TemporaryFilesTest, AFolderThatCannotHoldFilesRefusesTheStart) {
    TemporaryFiles files("/nonexistent/ostrel/folder");
    EXPECT_FALSE(files.startNext());
    EXPECT_FALSE(files.isOpen());
    EXPECT_EQ(files.created(), 0);
}

} // namespace
} // namespace ostrel
