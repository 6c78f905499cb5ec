#include "recorder/text_export.h"

#include "record_test_util.h"

#include <gtest/gtest.h>

namespace ostrel {
namespace {

using test::MakePair;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find("\r\n", start)) != std::string::npos; start = at + 2)
        lines.push_back(text.substr(start, at - start));
    EXPECT_EQ(start, text.size()) << "every line ends in CR LF";
    return lines;
}

std::string Line(const RecordPair& pair, std::int64_t position = 0) {
    std::string out;
    AppendExportLine(out, pair, position);
    return out.substr(0, out.size() - 2);
}

RecordPair Pair(std::uint32_t code, const char* data, const char* unit, const char* func,
                const char* mode) {
    RecordPair p;
    p.main.function = code;
    StoreField(p.main.timeText, " 10:00:00.0");
    StoreField(p.main.dataText, data);
    StoreField(p.main.unitText, unit);
    StoreField(p.main.functionText, func);
    StoreField(p.main.modeText, mode);
    return p;
}

TEST(TextExportTest, HeaderAndFiveOrEightFields) {
    SampleBuffer buffer = {MakePair(1, false), MakePair(2), MakePair(3)};
    const auto lines = Lines(ExportText(buffer, 200, 1, 1));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "#item,Time,MainData,MainUnit,MainFunc,Sub Data,SubUnit,SubFunc");
    EXPECT_EQ(lines[1], "1, 12:00:11.0,1.5,m,V  [DC]");
    EXPECT_EQ(lines[2], "2, 12:00:12.0,2.5,m,V  [DC],50.00,,Hz");
    EXPECT_EQ(lines[3].substr(0, 2), "3,");
}

TEST(TextExportTest, FunctionFieldRules) {
    EXPECT_EQ(Line(Pair(0x8020, "23.4C", "", "", "T1")), "1, 10:00:00.0,23.4,, C [T1]");
    EXPECT_EQ(Line(Pair(0xC040, "75.0F", "", "x", "T1-T2")), "1, 10:00:00.0,75.0,,x F [T1-T2]");
    // A temperature code without its letter appends nothing.
    EXPECT_EQ(Line(Pair(0x4020, "----", "", "", "T2")), "1, 10:00:00.0,----,,");
    EXPECT_EQ(Line(Pair(0x80, "1.234", "k", "W", "")), "1, 10:00:00.0,1.234,k,Ohm");
    EXPECT_EQ(Line(Pair(0x2080, "600", "", "W", "")), "1, 10:00:00.0,600,,Ohm");
    EXPECT_EQ(Line(Pair(0x2000, "-12.0", "dB", "m", "")), "1, 10:00:00.0,-12.0,,dBm");
    EXPECT_EQ(Line(Pair(0x4, "1.000", "", "V", "DC"), 41), "42, 10:00:00.0,1.000,,V  [DC]");

    // Sub display: one blank before the bracket, no Ohm or dB rule.
    RecordPair p = Pair(0x5, "1.000", "", "V", "AC");
    p.hasSub = 1;
    p.sub.function = 0x4;
    StoreField(p.sub.dataText, "2.000");
    StoreField(p.sub.unitText, "m");
    StoreField(p.sub.functionText, "V");
    StoreField(p.sub.modeText, "DC");
    EXPECT_EQ(Line(p), "1, 10:00:00.0,1.000,,V  [AC],2.000,m,V [DC]");
    p.sub.function = 0x8020;
    StoreField(p.sub.dataText, "21.0C");
    StoreField(p.sub.modeText, "T1");
    StoreField(p.sub.functionText, "");
    EXPECT_EQ(Line(p), "1, 10:00:00.0,1.000,,V  [AC],21.0,m, C [T1]");
    p.sub.function = 0x80;
    StoreField(p.sub.modeText, "");
    StoreField(p.sub.functionText, "W");
    EXPECT_EQ(Line(p).substr(Line(p).rfind(',')), ",W");
}

TEST(TextExportTest, PageRangesAreClampedToTheBuffer) {
    SampleBuffer buffer;
    for (int i = 0; i < 450; ++i)
        buffer.push_back(MakePair(i, false));
    // Three pages: 50, 200, 200 samples.
    auto lines = Lines(ExportText(buffer, 200, 1, 1));
    ASSERT_EQ(lines.size(), 51u);
    EXPECT_EQ(lines[1].substr(0, 2), "1,");
    lines = Lines(ExportText(buffer, 200, 2, 2));
    ASSERT_EQ(lines.size(), 201u);
    EXPECT_EQ(lines[1].substr(0, 3), "51,");
    EXPECT_EQ(Lines(ExportText(buffer, 200, -5, 99)).size(), 451u);
    EXPECT_EQ(Lines(ExportText(buffer, 200, 3, 1)).size(), 1u); // reversed: header only
    EXPECT_EQ(Lines(ExportText({}, 200, 1, 1)).size(), 1u);
    EXPECT_EQ(ClampPageRange(0, 7, 3).first, 1);
    EXPECT_EQ(ClampPageRange(0, 7, 3).last, 3);
}

TEST(TextExportTest, FileIsReplacedWhole) {
    test::ScratchDir dir;
    SampleBuffer buffer = {MakePair(1)};
    ASSERT_TRUE(ExportTextFile(dir / "out.csv", buffer, 200, 1, 1));
    const auto bytes = test::ReadBytes(dir / "out.csv");
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), ExportText(buffer, 200, 1, 1));
    EXPECT_FALSE(ExportTextFile(dir / "no/such/dir.csv", buffer, 200, 1, 1));
}

} // namespace
} // namespace ostrel
