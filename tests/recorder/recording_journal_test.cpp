#include "recorder/recording_journal.h"

#include "record_test_util.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace ostrel {
namespace {

using test::MakePair;
using test::ScratchDir;

SampleBuffer Load(const std::string& path) {
    SampleBuffer pairs;
    EXPECT_EQ(LoadRecordFile(path, pairs).status, LoadStatus::Ok) << path;
    return pairs;
}

TEST(RecordingJournalTest, EverySampleIsInTheJournalUntilTheOutputTakesItsPlace) {
    ScratchDir dir;
    RecordingJournal journal;
    ASSERT_TRUE(journal.create(dir / "run.g53"));
    EXPECT_EQ(journal.path(), dir / "run.g53.TMP");
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(journal.append(MakePair(i)), RecordingJournal::Append::Journaled);
    // What a killed run leaves behind reads back as the samples taken.
    EXPECT_EQ(Load(journal.path()), (SampleBuffer{MakePair(0), MakePair(1), MakePair(2)}));

    ASSERT_TRUE(journal.finish(dir / "run.g53", ConvertOutput::G53));
    EXPECT_EQ(Load(dir / "run.g53"), (SampleBuffer{MakePair(0), MakePair(1), MakePair(2)}));
    EXPECT_FALSE(std::filesystem::exists(journal.path()));
}

TEST(RecordingJournalTest, AJournalOfAnEarlierRunIsNeverReplaced) {
    ScratchDir dir;
    test::WriteBytes(dir / "run.csv.TMP", {9, 9});
    RecordingJournal journal;
    ASSERT_TRUE(journal.create(dir / "run.csv"));
    EXPECT_EQ(journal.path(), dir / "run.csv.2.TMP");
    EXPECT_EQ(journal.leftovers(), std::vector<std::string>{dir / "run.csv.TMP"});
    EXPECT_EQ(test::ReadBytes(dir / "run.csv.TMP"), (std::vector<std::uint8_t>{9, 9}));
}

TEST(RecordingJournalTest, TheJournalNameAlwaysReadsBackAsAJournal) {
    ScratchDir dir;
    RecordingJournal journal;
    ASSERT_TRUE(journal.create(dir / "cal.g51.csv"));
    EXPECT_EQ(journal.path(), dir / "cal-g51.csv.TMP");
    EXPECT_EQ(LayoutForPath(journal.path()), RecordLayout::Temporary);
}

TEST(RecordingJournalTest, AJournalThatCannotBeWrittenKeepsTheSamplesInMemory) {
    ScratchDir dir;
    RecordingJournal journal;
    ASSERT_TRUE(journal.create(dir / "run.g53"));
    // A full disk, as a file size limit: two entries and part of the third fit.
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 2 * kEntrySize + 50;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    std::vector<RecordingJournal::Append> results;
    for (int i = 0; i < 5; ++i)
        results.push_back(journal.append(MakePair(i)));
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);

    using A = RecordingJournal::Append;
    EXPECT_EQ(results, (std::vector<A>{A::Journaled, A::Journaled, A::JournalFailed,
                                       A::KeptInMemory, A::KeptInMemory}));
    ASSERT_TRUE(journal.finish(dir / "run.g53", ConvertOutput::G53));
    const SampleBuffer all = Load(dir / "run.g53");
    ASSERT_EQ(all.size(), 5u);
    EXPECT_EQ(all[2], MakePair(2));
    EXPECT_EQ(all[4], MakePair(4));
}

TEST(RecordingJournalTest, AnOutputThatCannotBeWrittenKeepsTheJournal) {
    ScratchDir dir;
    RecordingJournal journal;
    ASSERT_TRUE(journal.create(dir / "run.g53"));
    journal.append(MakePair(1));
    std::filesystem::create_directory(dir / "run.g53"); // in the way of the output
    EXPECT_FALSE(journal.finish(dir / "run.g53", ConvertOutput::G53));
    EXPECT_EQ(Load(journal.path()), SampleBuffer{MakePair(1)});
}

} // namespace
} // namespace ostrel
