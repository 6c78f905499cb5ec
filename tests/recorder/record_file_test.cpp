#include "recorder/record_file.h"

#include "base/string_table.h"
#include "record_test_util.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace ostrel {
namespace {

using test::MakePair;
using test::ReadBytes;
using test::RecordBytes;
using test::ScratchDir;
using test::WriteBytes;

std::vector<std::uint8_t> Concat(std::initializer_list<std::vector<std::uint8_t>> parts) {
    std::vector<std::uint8_t> out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

std::vector<std::uint8_t> CountBytes(std::int32_t n) {
    const auto u = static_cast<std::uint32_t>(n);
    return {std::uint8_t(u), std::uint8_t(u >> 8), std::uint8_t(u >> 16), std::uint8_t(u >> 24)};
}

std::vector<std::uint8_t> EntryBytes(const RecordPair& pair) {
    std::vector<std::uint8_t> b(kEntrySize);
    WriteEntry(pair, b.data());
    return b;
}

LoadResult LoadBytes(const std::vector<std::uint8_t>& bytes, RecordLayout layout,
                     SampleBuffer& out) {
    MemorySource source(bytes);
    return LoadRecords(source, layout, out);
}

TEST(RecordLayoutTest, FieldsSitAtTheirOffsets) {
    RecordPair p = MakePair(7);
    std::vector<std::uint8_t> b = EntryBytes(p);
    EXPECT_EQ(b[0], 1);
    const std::uint8_t* m = b.data() + 1;
    EXPECT_STREQ(reinterpret_cast<const char*>(m + 0), "7.5");
    EXPECT_STREQ(reinterpret_cast<const char*>(m + 8), "-3");
    EXPECT_EQ(LoadU32(m + 12), 0x6u);
    EXPECT_STREQ(reinterpret_cast<const char*>(m + 16), " 12:00:17.0");
    EXPECT_STREQ(reinterpret_cast<const char*>(m + 48), "m");
    EXPECT_STREQ(reinterpret_cast<const char*>(m + 56), "V");
    EXPECT_EQ(LoadU32(m + 72), 0x40600000u); // 3.5f
    EXPECT_STREQ(reinterpret_cast<const char*>(m + 76), "DC");
    EXPECT_EQ(LoadU32(b.data() + 85 + 12), 0x400u);
}

TEST(RecordLayoutTest, TextsEndAtTheTerminatorOrTheFieldWidth) {
    std::vector<std::uint8_t> b = RecordBytes(84, "1.5", 0x6, 1.5f, "DC");
    // Garbage after a terminator is ignored and not written back.
    b[4] = 'X';
    // A field without terminator keeps its full width.
    std::memcpy(&b[48], "ABCDEFGH", 8);
    TBRecord r;
    ReadTBRecord(b.data(), r);
    EXPECT_EQ(FieldView(r.valueText), "1.5");
    EXPECT_EQ(FieldView(r.unitText), "ABCDEFGH");
    EXPECT_EQ(FieldView(r.modeText), "DC");
    std::vector<std::uint8_t> again(84);
    WriteTBRecord(r, again.data());
    EXPECT_EQ(again[4], 0);
    EXPECT_EQ(std::memcmp(&again[48], "ABCDEFGH", 8), 0);
}

TEST(RecordLayoutTest, EveryTerminatorPositionOfEveryField) {
    // Each text field with its first zero byte at every position (and none),
    // the bytes before it of every kind (0x01, 0x80, 0xFF among them) and
    // garbage after it: read and written back, the text is kept and the rest
    // is zero.
    struct Field {
        std::size_t offset, width;
    };
    const Field fields[] = {{0, 8}, {8, 4}, {16, 16}, {32, 16}, {48, 8}, {56, 16}};
    const std::uint8_t kinds[] = {0x01, 0x80, 0xFF, 0x7F, 0x41, 0xFE, 0x81, 0x30};
    for (const Field& f : fields) {
        for (std::size_t terminator = 0; terminator <= f.width; ++terminator) {
            for (std::size_t shift = 0; shift < 8; ++shift) {
                std::vector<std::uint8_t> b(kTRecordSize, 0x55);
                for (std::size_t i = 0; i < f.width; ++i)
                    b[f.offset + i] = kinds[(i + shift) % 8];
                if (terminator < f.width)
                    b[f.offset + terminator] = 0;
                TRecord r;
                ReadTRecord(b.data(), r);
                std::vector<std::uint8_t> again(kTRecordSize, 0xAA);
                WriteTRecord(r, again.data());
                for (std::size_t i = 0; i < f.width; ++i) {
                    const std::uint8_t expected = i < terminator ? b[f.offset + i] : 0;
                    ASSERT_EQ(again[f.offset + i], expected)
                        << "field at " << f.offset << ", zero at " << terminator << ", byte " << i;
                }
            }
        }
    }
}

TEST(RecordLayoutTest, LayoutFollowsTheFileNameInOrder) {
    EXPECT_EQ(LayoutForPath("/d/a.g51"), RecordLayout::G51);
    EXPECT_EQ(LayoutForPath("/d/a.g52"), RecordLayout::G52);
    EXPECT_EQ(LayoutForPath("/d/~QDMDL1.TMP"), RecordLayout::Temporary);
    EXPECT_EQ(LayoutForPath("/d/x.tmp"), RecordLayout::Temporary);
    EXPECT_EQ(LayoutForPath("/d/a.g53"), RecordLayout::G53);
    EXPECT_EQ(LayoutForPath("/d/DATA.G51"), RecordLayout::G53);  // case-sensitive
    EXPECT_EQ(LayoutForPath("/d/a.g51.tmp"), RecordLayout::G51); // .g51 is tested first
    EXPECT_EQ(LayoutForPath("/d/a.Tmp"), RecordLayout::G53);
    // A directory name does not decide the layout of the file inside it.
    EXPECT_EQ(LayoutForPath("/backup.g51/run.tmp.d/a.g53"), RecordLayout::G53);
}

TEST(RecordFileTest, SaveLoadSaveGivesTheSameBytes) {
    ScratchDir dir;
    SampleBuffer pairs = {MakePair(1, false), MakePair(2), MakePair(3)};
    ASSERT_TRUE(SaveRecordFile(dir / "a.g53", pairs));
    const auto first = ReadBytes(dir / "a.g53");
    ASSERT_EQ(first.size(), 511u);
    EXPECT_EQ(std::vector<std::uint8_t>(first.begin(), first.begin() + 4), CountBytes(3));

    SampleBuffer loaded;
    const LoadResult r = LoadRecordFile(dir / "a.g53", loaded);
    EXPECT_EQ(r.status, LoadStatus::Ok);
    EXPECT_EQ(r.read, 3);
    EXPECT_EQ(loaded, pairs);
    ASSERT_TRUE(SaveRecordFile(dir / "b.g53", loaded));
    EXPECT_EQ(ReadBytes(dir / "b.g53"), first);
}

TEST(RecordFileTest, EmptyAndTemporaryFiles) {
    SampleBuffer out;
    EXPECT_EQ(LoadBytes(CountBytes(0), RecordLayout::G53, out).status, LoadStatus::Ok);
    EXPECT_TRUE(out.empty());

    // Entries only; a remainder of the size division is ignored.
    const auto two = Concat({EntryBytes(MakePair(1)), EntryBytes(MakePair(2))});
    LoadResult r = LoadBytes(two, RecordLayout::Temporary, out);
    EXPECT_EQ(r.status, LoadStatus::Ok);
    EXPECT_EQ(out.size(), 2u);
    out.clear();
    r = LoadBytes(Concat({two, {0xAA, 0xBB}}), RecordLayout::Temporary, out);
    EXPECT_EQ(r.status, LoadStatus::Ok);
    EXPECT_EQ(out.size(), 2u);
    EXPECT_EQ(out[1], MakePair(2));
}

TEST(RecordFileTest, OlderLayoutsDeriveTheModeFromTheCode) {
    SampleBuffer out;
    LoadResult r = LoadBytes(
        Concat(
            {RecordBytes(76, "75.0F", 0x8040, 75.0f), RecordBytes(76, "1", 0x6, 1.0f), {1, 2, 3}}),
        RecordLayout::G51, out);
    EXPECT_EQ(r.status, LoadStatus::Ok);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(FieldView(out[0].main.modeText), "T1");
    EXPECT_EQ(out[0].main.function, 0x8040u);
    EXPECT_FLOAT_EQ(out[0].main.value, 75.0f);
    EXPECT_EQ(FieldView(out[0].main.timeText), " 10:20:30.4");
    EXPECT_EQ(FieldView(out[0].main.functionText), "W");
    EXPECT_EQ(out[0].hasSub, 0);
    EXPECT_EQ(out[0].sub, TBRecord{});

    out.clear();
    r = LoadBytes(RecordBytes(84, "1.000", 0x6, 1.0f, "AC"), RecordLayout::G52, out);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(FieldView(out[0].main.modeText), "DC");
    out.clear();
    LoadBytes(RecordBytes(84, "1.000", 0x80, 1.0f, "AC"), RecordLayout::G52, out);
    EXPECT_EQ(FieldView(out[0].main.modeText), "");
}

TEST(RecordFileTest, CutShortFileLoadsItsCompleteEntries) {
    SampleBuffer out;
    // Count 5, two whole entries and half of a third.
    const auto third = EntryBytes(MakePair(3));
    const auto bytes = Concat({CountBytes(5), EntryBytes(MakePair(1)), EntryBytes(MakePair(2)),
                               std::vector<std::uint8_t>(third.begin(), third.begin() + 80)});
    const LoadResult r = LoadBytes(bytes, RecordLayout::G53, out);
    EXPECT_EQ(r.status, LoadStatus::CutShort);
    EXPECT_EQ(r.expected, 5);
    EXPECT_EQ(r.read, 2);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[1], MakePair(2));
    EXPECT_EQ(LoadMessageId(r), kCutShortTextId);
    EXPECT_EQ(LoadMessage(r), "The file is cut short: 2 of 5 entries were read.");
}

TEST(RecordFileTest, GarbageHeadersNeitherAllocateNorCrash) {
    SampleBuffer out;
    // A huge count over a tiny file: only what is there is taken.
    LoadResult r = LoadBytes(Concat({CountBytes(0x7FFFFFFF), EntryBytes(MakePair(1))}),
                             RecordLayout::G53, out);
    EXPECT_EQ(r.status, LoadStatus::CutShort);
    EXPECT_EQ(out.size(), 1u);

    // A count below what follows: the rest of the file is ignored.
    SampleBuffer one;
    const auto e = EntryBytes(MakePair(1));
    r = LoadBytes(Concat({CountBytes(1), e, e, e}), RecordLayout::G53, one);
    EXPECT_EQ(r.status, LoadStatus::Ok);
    EXPECT_EQ(one.size(), 1u);

    out.clear();
    r = LoadBytes(Concat({CountBytes(-1), EntryBytes(MakePair(1))}), RecordLayout::G53, out);
    EXPECT_EQ(r.status, LoadStatus::Damaged);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(LoadMessage(r), "File open error.");

    r = LoadBytes({1, 2}, RecordLayout::G53, out);
    EXPECT_EQ(r.status, LoadStatus::Damaged);
    r = LoadBytes({}, RecordLayout::Temporary, out);
    EXPECT_EQ(r.status, LoadStatus::Ok);
    EXPECT_TRUE(out.empty());
}

TEST(RecordFileTest, MissingFileIsAnOpenError) {
    ScratchDir dir;
    SampleBuffer out;
    EXPECT_EQ(LoadRecordFile(dir / "none.g53", out).status, LoadStatus::OpenError);
    EXPECT_EQ(LoadRecordFile(dir.path().string(), out).status,
              LoadStatus::OpenError); // a directory
}

TEST(RecordFileTest, ProgressReportsAndStops) {
    SampleBuffer pairs;
    for (int i = 0; i < 10; ++i)
        pairs.push_back(MakePair(i));
    std::vector<std::uint8_t> bytes = CountBytes(10);
    for (const auto& p : pairs) {
        const auto e = EntryBytes(p);
        bytes.insert(bytes.end(), e.begin(), e.end());
    }
    std::vector<std::pair<std::int64_t, std::int64_t>> seen;
    SampleBuffer out;
    MemorySource all(bytes);
    LoadRecords(all, RecordLayout::G53, out, [&](std::int64_t done, std::int64_t total) {
        seen.emplace_back(done, total);
        return true;
    });
    ASSERT_EQ(seen.size(), 11u);
    EXPECT_EQ(seen.front(), std::make_pair(std::int64_t{0}, std::int64_t{10}));
    EXPECT_EQ(seen.back(), std::make_pair(std::int64_t{10}, std::int64_t{10}));

    // Stopping after four entries keeps nothing and leaves earlier pairs alone.
    SampleBuffer kept = {MakePair(99)};
    MemorySource again(bytes);
    const LoadResult r = LoadRecords(again, RecordLayout::G53, kept,
                                     [](std::int64_t done, std::int64_t) { return done < 4; });
    EXPECT_EQ(r.status, LoadStatus::Aborted);
    EXPECT_EQ(r.read, 4);
    EXPECT_EQ(kept, SampleBuffer{MakePair(99)});
}

TEST(RecordFileTest, FailedSaveKeepsThePreviousFile) {
    ScratchDir dir;
    const std::string target = dir / "keep.g53";
    ASSERT_TRUE(SaveRecordFile(target, SampleBuffer{MakePair(1)}));
    const auto before = ReadBytes(target);
    // The directory refuses new files: the temporary file cannot be made.
    ::chmod(dir.path().c_str(), 0500);
    const bool saved = SaveRecordFile(target, SampleBuffer{MakePair(2), MakePair(3)});
    ::chmod(dir.path().c_str(), 0700);
    if (::geteuid() != 0) {
        EXPECT_FALSE(saved); // root ignores the permission bits
    }
    if (!saved) {
        EXPECT_EQ(ReadBytes(target), before);
    }
    EXPECT_FALSE(SaveRecordFile(dir / "missing/x.g53", SampleBuffer{MakePair(1)}));
    EXPECT_EQ(Text(9005), "File save error.");
    // No temporary file is left behind.
    int files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path()))
        ++files;
    EXPECT_EQ(files, 1);
}

TEST(TemporaryFileTest, EachSampleIsOnDiskAtOnce) {
    ScratchDir dir;
    const std::string path = TemporaryFilePath(dir.path().string(), 3);
    EXPECT_EQ(std::filesystem::path(path).filename(), "~QDMDL3.TMP");
    TemporaryFileWriter writer;
    ASSERT_TRUE(writer.open(path));
    ASSERT_TRUE(writer.append(MakePair(1)));
    // Readable by another reader while still open, without any flush or close.
    EXPECT_EQ(ReadBytes(path).size(), kEntrySize);
    ASSERT_TRUE(writer.append(MakePair(2, false)));
    EXPECT_EQ(ReadBytes(path).size(), 2 * kEntrySize);
    SampleBuffer out;
    EXPECT_EQ(LoadRecordFile(path, out).status, LoadStatus::Ok);
    EXPECT_EQ(out, (SampleBuffer{MakePair(1), MakePair(2, false)}));
    writer.close();
    // Opening again starts a new file.
    ASSERT_TRUE(writer.open(path));
    EXPECT_EQ(ReadBytes(path).size(), 0u);
    EXPECT_FALSE(TemporaryFileWriter().append(MakePair(1)));
}

} // namespace
} // namespace ostrel

namespace ostrel {
namespace {

// Fixtures written by an independent script, field by field.
TEST(RecordFileTest, FixtureFilesLoadFieldByField) {
    SampleBuffer out;
    ASSERT_EQ(LoadRecordFile(std::string(OSTREL_TEST_DATA) + "/recorder/two.g53", out).status,
              LoadStatus::Ok);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].hasSub, 1);
    EXPECT_EQ(FieldView(out[0].main.valueText), "1.234");
    EXPECT_EQ(FieldView(out[0].main.exponentText), "-3");
    EXPECT_EQ(FieldView(out[0].main.timeText), " 12:34:56.7");
    EXPECT_EQ(FieldView(out[0].main.modeText), "DC");
    EXPECT_FLOAT_EQ(out[0].main.value, 0.001234f);
    EXPECT_EQ(out[0].sub.function, 0x400u);
    EXPECT_EQ(out[1].hasSub, 0);
    EXPECT_EQ(out[1].main.function, 0x8020u);
    EXPECT_EQ(FieldView(out[1].main.modeText), "T1");

    out.clear();
    ASSERT_EQ(LoadRecordFile(std::string(OSTREL_TEST_DATA) + "/recorder/two.g51", out).status,
              LoadStatus::Ok);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(FieldView(out[0].main.modeText), "DC");
    EXPECT_EQ(FieldView(out[1].main.modeText), "T1");
    EXPECT_EQ(FieldView(out[1].main.dataText), "75.0F");
}

TEST(RecordFileSaveName, NamesThatReadBackAsAnotherLayoutAreRefused) {
    EXPECT_EQ(G53SaveNameProblem("/data/run.g53"), "");
    EXPECT_EQ(G53SaveNameProblem("/backup.g51/run.g53"), ""); // the folder does not count
    EXPECT_EQ(G53SaveNameProblem("run"), "");
    EXPECT_EQ(G53SaveNameProblem("cal.g51"),
              "cal.g51 would be read back as a .g51 file, not as a .g53 record file. Choose a "
              "name without \".g51\", \".g52\", \".tmp\" or \".TMP\".");
    EXPECT_NE(G53SaveNameProblem("x.g52.g53").find("as a .g52 file"), std::string::npos);
    EXPECT_NE(G53SaveNameProblem("run.tmp.g53").find("as a temporary file"), std::string::npos);
    EXPECT_NE(G53SaveNameProblem("RUN.TMP").find("as a temporary file"), std::string::npos);
    EXPECT_EQ(G53SaveNameProblem("run.Tmp.g53"), ""); // the search is case-sensitive
}

} // namespace
} // namespace ostrel
