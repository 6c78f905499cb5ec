#include "recorder/recording_journal.h"

#include "file_size_limit.h"
#include "record_test_util.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace ostrel {
namespace {

using test::MakePair;
using test::ScratchDir;
using Start = RecordingJournal::Start;
using Finish = RecordingJournal::Finish;

SampleBuffer Load(const std::string& path) {
    SampleBuffer pairs;
    EXPECT_EQ(LoadRecordFile(path, pairs).status, LoadStatus::Ok) << path;
    return pairs;
}

TEST(RecordingJournalTest, EverySampleIsInTheJournalUntilTheOutputTakesItsPlace) {
    ScratchDir dir;
    RecordingJournal journal;
    ASSERT_EQ(journal.create(dir / "run.g53"), Start::Created);
    EXPECT_EQ(journal.path(), dir / "run.g53.TMP");
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(journal.append(MakePair(i)), RecordingJournal::Append::Journaled);
    // What a killed run leaves behind reads back as the samples taken.
    EXPECT_EQ(Load(journal.path()), (SampleBuffer{MakePair(0), MakePair(1), MakePair(2)}));

    ASSERT_EQ(journal.finish(dir / "run.g53", ConvertOutput::G53), Finish::Written);
    EXPECT_EQ(Load(dir / "run.g53"), (SampleBuffer{MakePair(0), MakePair(1), MakePair(2)}));
    EXPECT_FALSE(std::filesystem::exists(journal.path()));
}

TEST(RecordingJournalTest, AJournalOfAnEarlierRunIsNeverReplaced) {
    ScratchDir dir;
    test::WriteBytes(dir / "run.csv.TMP", {9, 9});
    RecordingJournal journal;
    ASSERT_EQ(journal.create(dir / "run.csv"), Start::Created);
    EXPECT_EQ(journal.path(), dir / "run.csv.2.TMP");
    EXPECT_EQ(journal.leftovers(), std::vector<std::string>{dir / "run.csv.TMP"});
    EXPECT_EQ(test::ReadBytes(dir / "run.csv.TMP"), (std::vector<std::uint8_t>{9, 9}));
}

TEST(RecordingJournalTest, TheJournalNameAlwaysReadsBackAsAJournal) {
    ScratchDir dir;
    RecordingJournal journal;
    ASSERT_EQ(journal.create(dir / "cal.g51.csv"), Start::Created);
    EXPECT_EQ(journal.path(), dir / "cal-g51.csv.TMP");
    EXPECT_EQ(LayoutForPath(journal.path()), RecordLayout::Temporary);
}

TEST(RecordingJournalTest, AJournalThatCannotBeWrittenTakesNoMoreAndHoldsWholeEntries) {
    ScratchDir dir;
    RecordingJournal journal;
    ASSERT_EQ(journal.create(dir / "run.g53"), Start::Created);
    // A full disk, as a file size limit: two entries and part of the third fit.
    std::vector<RecordingJournal::Append> results;
    {
        test::ScopedFileSizeLimit limit(2 * kEntrySize + 50);
        ASSERT_TRUE(limit.isSet());
        for (int i = 0; i < 4; ++i)
            results.push_back(journal.append(MakePair(i)));
    }
    using A = RecordingJournal::Append;
    EXPECT_EQ(results,
              (std::vector<A>{A::Journaled, A::Journaled, A::JournalFailed, A::JournalFailed}));
    EXPECT_EQ(journal.count(), 2);
    // What is left reads back as the samples before the failure, nothing more.
    EXPECT_EQ(std::filesystem::file_size(journal.path()), 2 * kEntrySize);
    ASSERT_EQ(journal.finish(dir / "run.g53", ConvertOutput::G53), Finish::Written);
    EXPECT_EQ(Load(dir / "run.g53"), (SampleBuffer{MakePair(0), MakePair(1)}));
}

TEST(RecordingJournalTest, AnOutputThatCannotBeWrittenKeepsTheJournal) {
    ScratchDir dir;
    RecordingJournal journal;
    ASSERT_EQ(journal.create(dir / "run.g53"), Start::Created);
    journal.append(MakePair(1));
    std::filesystem::create_directory(dir / "run.g53"); // in the way of the output
    EXPECT_EQ(journal.finish(dir / "run.g53", ConvertOutput::G53), Finish::NotWritten);
    EXPECT_EQ(journal.outputError(), EISDIR);
    EXPECT_EQ(Load(journal.path()), SampleBuffer{MakePair(1)});
}

TEST(RecordingJournalTest, ARunHoldsItsOutputUntilItEndsAndARunWithoutSampleLeavesIt) {
    // With unnamed files and with the named scheme of other file systems.
    for (const bool unnamed : {true, false}) {
        AllowUnnamedTemporaryFiles(unnamed);
        ScratchDir dir;
        // A new output is held by its journal, whatever its spelling.
        RecordingJournal first;
        ASSERT_EQ(first.create(dir / "new.g53"), Start::Created);
        RecordingJournal second;
        EXPECT_EQ(second.create(dir.path().string() + "/./new.g53"), Start::InUse);
        EXPECT_EQ(second.busyPath(), dir.path().string() + "/./new.g53.TMP");

        // An existing output is held as a file, also under another name.
        test::WriteBytes(dir / "run.g53", {1, 2, 3});
        std::filesystem::create_symlink(dir / "run.g53", dir / "link.g53");
        RecordingJournal third;
        ASSERT_EQ(third.create(dir / "run.g53"), Start::Created);
        EXPECT_EQ(second.create(dir / "link.g53"), Start::InUse);
        EXPECT_EQ(second.busyPath(), dir / "link.g53");

        EXPECT_EQ(third.finish(dir / "run.g53", ConvertOutput::G53), Finish::NoSample);
        EXPECT_EQ(test::ReadBytes(dir / "run.g53"), (std::vector<std::uint8_t>{1, 2, 3}));
        EXPECT_FALSE(std::filesystem::exists(dir / "run.g53.TMP"));
        EXPECT_EQ(second.create(dir / "link.g53"), Start::Created);
        for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
            EXPECT_NE(entry.path().extension(), ".part") << entry.path();
    }
    AllowUnnamedTemporaryFiles(true);
}

} // namespace
} // namespace ostrel
