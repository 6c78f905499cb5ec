#include "import/logger_image_builder.h"
#include "import/session_decoder.h"
#include "import/session_export.h"
#include "import/session_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace ostrel {
namespace {

namespace fs = std::filesystem;

TRecord Rec(const char* time, const char* data, const char* unit, const char* fn,
            std::uint32_t code = 6, float value = 1.5f) {
    TRecord r;
    StoreField(r.valueText, data);
    StoreField(r.exponentText, "0");
    r.function = code;
    StoreField(r.timeText, time);
    StoreField(r.dataText, data);
    StoreField(r.unitText, unit);
    StoreField(r.functionText, fn);
    r.value = value;
    return r;
}

SessionPair Pair(TRecord main) {
    SessionPair p;
    p.main = main;
    return p;
}

SessionPair Pair(TRecord main, TRecord sub) {
    SessionPair p;
    p.hasSub = 1;
    p.main = main;
    p.sub = sub;
    return p;
}

class TempDir : public ::testing::Test {
  protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() /
                ("ostrel_slr_" + std::to_string(::getpid()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }
    std::string path(const char* name) const { return (m_dir / name).string(); }
    fs::path m_dir;
};

std::vector<std::uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

SessionTable OneSession(bool dual) {
    SessionTable t;
    SessionList& s = *t.addSession();
    for (int i = 0; i < 2; ++i) {
        if (dual)
            s.push_back(Pair(Rec("0:00'0.000\"", "12.34", "m", "V [DC]"),
                             Rec("0:00'0.000\"", "50.00", "", "Hz", 0x400)));
        else
            s.push_back(Pair(Rec("0:00'0.000\"", "12.34", "m", "V [DC]")));
    }
    return t;
}

using SessionFiles = TempDir;

TEST_F(SessionFiles, SizesOfSingleAndDualSessions) {
    EXPECT_EQ(SessionFileBytes(OneSession(false)).size(), 162u);
    EXPECT_EQ(SessionFileBytes(OneSession(true)).size(), 314u);
    const auto bytes = SessionFileBytes(OneSession(false));
    EXPECT_EQ(bytes[0], 1);
    EXPECT_EQ(bytes[4], 2);
    EXPECT_EQ(bytes[8], 0); // has-sub
}

TEST_F(SessionFiles, SaveOpenSaveGivesTheSameBytes) {
    auto image =
        *BuildLoggerImage({{1, 0, 0x83, {{0, 1, 1234}, {0, 1, 5000}, {4, 0, 0}, {0, 2, 9}}},
                           {6, 0, 0x13, {{0, 0, 25}, {4, 0, 0}}},
                           {2, 0, 0x03, {}}});
    const SessionTable decoded = DecodeLoggerImage(image.data(), image.size()).table;
    ASSERT_TRUE(SaveSessionFile(path("a.slr"), decoded));
    auto opened = OpenSessionFile(path("a.slr"));
    ASSERT_EQ(opened.status, SessionFileStatus::Ok);
    EXPECT_EQ(opened.messageId, 0);
    ASSERT_EQ(opened.table.sessionCount(), 3u);
    EXPECT_TRUE(opened.table.session(2).empty());
    EXPECT_EQ(opened.table.session(0)[0].hasSub, 1);
    EXPECT_EQ(FieldView(opened.table.session(0)[0].sub->dataText), "50.00");
    ASSERT_TRUE(SaveSessionFile(path("b.slr"), opened.table));
    EXPECT_EQ(ReadAll(path("a.slr")), ReadAll(path("b.slr")));
    // The size known before writing is the size written; a table with pairs
    // kept as they came has none.
    EXPECT_EQ(KnownSessionFileSize(decoded), ReadAll(path("a.slr")).size());
    EXPECT_EQ(KnownSessionFileSize(SessionTable{}), 4u);
    EXPECT_EQ(KnownSessionFileSize(OneSession(true)), std::nullopt);
    EXPECT_EQ(SessionExportText(decoded), SessionExportText(opened.table));
}

TEST_F(SessionFiles, NoSessionsAndMissingFiles) {
    ASSERT_TRUE(SaveSessionFile(path("empty.slr"), SessionTable{}));
    EXPECT_EQ(ReadAll(path("empty.slr")).size(), 4u);
    auto r = OpenSessionFile(path("empty.slr"));
    EXPECT_EQ(r.status, SessionFileStatus::Ok);
    EXPECT_TRUE(r.table.empty());

    r = OpenSessionFile(path("missing.slr"));
    EXPECT_EQ(r.status, SessionFileStatus::CannotOpen);
    EXPECT_EQ(r.messageId, 9004);
    EXPECT_EQ(OpenSessionFile(m_dir.string()).status, SessionFileStatus::CannotOpen);
    EXPECT_FALSE(SaveSessionFile(path("no/such/dir/x.slr"), SessionTable{}));
}

TEST_F(SessionFiles, SaveReplacesOnlyWhenComplete) {
    std::ofstream(path("keep.slr"), std::ios::binary) << "old";
    ASSERT_TRUE(SaveSessionFile(path("keep.slr"), OneSession(true)));
    EXPECT_EQ(ReadAll(path("keep.slr")).size(), 314u);
    for (auto& entry : fs::directory_iterator(m_dir))
        EXPECT_EQ(entry.path().extension(), ".slr") << entry.path();
}

TEST(SessionOutputThread, FilesMadeInPiecesHoldWhatTheTableHolds) {
    // Several megabytes of sessions, so that the files are made in many
    // pieces on helper threads and written in order.
    std::vector<LoggerSessionData> sessions;
    for (int k = 0; k < 4; ++k) {
        LoggerSessionData s{static_cast<std::uint8_t>(k == 1 ? 1 : 2),
                            0,
                            static_cast<std::uint8_t>(k == 1 ? 0x83 : 0x03),
                            {}};
        for (std::size_t i = 0; i < (k == 2 ? 0u : 20000u); ++i) {
            LoggerValue v;
            v.raw = static_cast<std::uint16_t>((i * 7 + k) % 10000);
            v.range = static_cast<std::uint8_t>(i % 3);
            v.flags = i % 11 == 0 ? 0x8 : 0;
            s.values.push_back(v);
        }
        sessions.push_back(s);
    }
    const auto image = *BuildLoggerImage(sessions);
    const SessionTable table = DecodeLoggerImage(image.data(), image.size()).table;
    const fs::path dir =
        fs::temp_directory_path() / ("ostrel_pieces_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    ASSERT_TRUE(SaveSessionFile((dir / "a.slr").string(), table));
    const auto bytes = ReadAll((dir / "a.slr").string());
    EXPECT_GT(bytes.size(), 3u << 20);
    EXPECT_EQ(bytes, SessionFileBytes(table));
    EXPECT_EQ(KnownSessionFileSize(table), bytes.size());
    for (const auto& [first, last] : {std::pair{1L, 4L}, {2L, 3L}, {3L, 3L}, {4L, 1L}}) {
        ASSERT_TRUE(WriteSessionExport((dir / "a.csv").string(), table, first, last));
        const auto text = ReadAll((dir / "a.csv").string());
        EXPECT_EQ(std::string(text.begin(), text.end()), SessionExportText(table, first, last));
    }
    fs::remove_all(dir);
}

TEST(SessionFileParse, DamagedFilesKeepWhatWasRead) {
    auto bytes = SessionFileBytes(OneSession(true));
    // Cut inside the second pair: the first pair stays.
    auto r = ParseSessionFile(bytes.data(), bytes.size() - 10);
    EXPECT_EQ(r.status, SessionFileStatus::Damaged);
    EXPECT_EQ(r.messageId, 9004);
    EXPECT_EQ(r.detailId, 7130);
    ASSERT_EQ(r.table.sessionCount(), 1u);
    EXPECT_EQ(r.table.session(0).size(), 1u);

    // Huge counts are not trusted: the file simply ends.
    auto huge = bytes;
    huge[4] = huge[5] = huge[6] = 0xFF;
    huge[7] = 0x7F;
    r = ParseSessionFile(huge.data(), huge.size());
    EXPECT_EQ(r.status, SessionFileStatus::Damaged);
    EXPECT_EQ(r.table.session(0).size(), 2u);

    // Negative counts.
    auto negative = bytes;
    negative[3] = 0x80;
    EXPECT_EQ(ParseSessionFile(negative.data(), negative.size()).status,
              SessionFileStatus::Damaged);

    // Bytes after the last session.
    auto longer = bytes;
    longer.push_back(0);
    r = ParseSessionFile(longer.data(), longer.size());
    EXPECT_EQ(r.status, SessionFileStatus::Damaged);
    EXPECT_EQ(r.table.session(0).size(), 2u);

    EXPECT_EQ(ParseSessionFile(bytes.data(), 3).status, SessionFileStatus::Damaged);
}

TEST(SessionFileParse, TextsWithoutTerminatorAreCutAtTheirWidth) {
    auto bytes = SessionFileBytes(OneSession(false));
    // The first pair's main data text (offset 32 of the record): 16 letters, no terminator.
    for (int i = 0; i < 16; ++i)
        bytes[8 + 1 + 32 + i] = 'x';
    auto r = ParseSessionFile(bytes.data(), bytes.size());
    ASSERT_EQ(r.status, SessionFileStatus::Ok);
    EXPECT_EQ(FieldView(r.table.session(0)[0].main.dataText), std::string(16, 'x'));
    EXPECT_EQ(FieldView(r.table.session(0)[0].main.unitText), "m");
}

TEST(SessionFileParse, MoreSessionsThanTheTableHolds) {
    std::vector<std::uint8_t> bytes = {0xE8, 0x03, 0, 0}; // 1000 sessions, all empty
    for (int i = 0; i < 1000; ++i)
        bytes.insert(bytes.end(), {0, 0, 0, 0});
    auto r = ParseSessionFile(bytes.data(), bytes.size());
    EXPECT_EQ(r.status, SessionFileStatus::TooManySessions);
    EXPECT_EQ(r.table.sessionCount(), kMaxSessions);
    EXPECT_EQ(r.detailId, 7131);
    EXPECT_EQ(r.announcedSessions, 1000);
}

TEST(SessionFileName, SlrInAnyCase) {
    EXPECT_TRUE(IsSessionFileName("a.slr"));
    EXPECT_TRUE(IsSessionFileName("/x/B.SLR"));
    EXPECT_TRUE(IsSessionFileName("c.Slr"));
    EXPECT_FALSE(IsSessionFileName("slr"));
    EXPECT_FALSE(IsSessionFileName("d.slr.g53"));
}

TEST(SessionExport, LinesOfSingleAndDualSessions) {
    SessionTable t;
    t.addSession()->push_back(Pair(Rec("0:00'0.000\"", "12.34", "m", "V [DC]")));
    t.session(0).push_back(Pair(Rec("0:00'1.000\"", "1.000", "k", "W", 0x80)));
    t.addSession()->push_back(Pair(Rec("0:00'0.000\"", "230.1", "", "V [AC]", 5),
                                   Rec("0:00'0.000\"", "50.00", "", "Hz", 0x400)));
    const std::string header = "#item,Time,MainData,MainUnit,MainFunc,Sub Data,SubUnit,SubFunc\r\n";
    EXPECT_EQ(SessionExportText(t), header + "1,0:00'0.000\",12.34,m,V [DC]\r\n" +
                                        "2,0:00'1.000\",1.000,k,Ohm\r\n" +
                                        "1,0:00'0.000\",230.1,,V [AC],50.00,,Hz\r\n");
    EXPECT_EQ(SessionExportText(t, 2, 2), header + "1,0:00'0.000\",230.1,,V [AC],50.00,,Hz\r\n");
    // Page numbers are clamped to 1 … page count; a reversed range is empty.
    EXPECT_EQ(SessionExportText(t, -5, 99), SessionExportText(t));
    EXPECT_EQ(SessionExportText(t, 2, 1), header);
    EXPECT_EQ(SessionExportText(SessionTable{}, 1, 1), header);
}

TEST(SessionExport, ClampedRanges) {
    auto r = ClampSessionRange(0, 7, 3);
    EXPECT_EQ(r.first, 1);
    EXPECT_EQ(r.last, 3);
    r = ClampSessionRange(5, 5, 3);
    EXPECT_EQ(r.first, 3);
    EXPECT_EQ(r.last, 3);
    r = ClampSessionRange(1, 1, 0);
    EXPECT_GT(r.first, r.last);
}

} // namespace
} // namespace ostrel
