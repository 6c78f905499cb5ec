// Raw captures through the real ostrel-cli: read --format raw, and convert of
// a capture into record files sampled as the recorder samples.
#include "link/frame_codec.h"
#include "link/frame_hex.h"
#include "recorder/frame_capture.h"
#include "recorder/record_file.h"
#include "recorder/sampling.h"

#include "cli_run.h"

#include <gtest/gtest.h>

namespace ostrel {
namespace {

using test::CliDir;
using test::CliRun;
using test::Lines;
using test::RunCli;

std::string Hex(const RawFrame& frame) {
    const std::string line = CaptureLine("", frame);
    return line.substr(1, line.size() - 2);
}

RawFrame Dc(std::string_view text) {
    FrameContent content;
    EXPECT_TRUE(SetDisplayText(content.main, text));
    content.main.function = nFunc_DcV;
    return EncodeFrame(content);
}

TEST(CaptureCliTest, ACaptureConvertsToTheRecordersSamplesOfTheSameFrames) {
    CliDir dir;
    CliRun run = RunCli(dir, "read --simulate=latency=10 --format raw --count 50 > x.frames");
    ASSERT_EQ(run.status, 0) << run.err;
    const auto lines = Lines(test::ReadText(dir / "x.frames"));
    ASSERT_EQ(lines.size(), 50u);

    run = RunCli(dir, "convert x.frames -o x.g53");
    ASSERT_EQ(run.status, 0) << run.err;
    SampleBuffer entries;
    ASSERT_EQ(LoadRecordFile(dir / "x.g53", entries).status, LoadStatus::Ok);

    std::size_t next = 0;
    for (const std::string& line : lines) {
        CaptureEntry entry;
        ASSERT_EQ(ParseCaptureLine(line, entry), CaptureLineKind::Frame) << line;
        // The time text as the recorder forms it: "%3d:%02d:%02d.%1d".
        ASSERT_EQ(entry.timeText.size(), 11u) << line;
        EXPECT_EQ(entry.timeText[3], ':');
        const auto sample = SampleFromFrame(entry.frame, entry.timeText);
        if (!sample)
            continue;
        ASSERT_LT(next, entries.size());
        const RecordPair& pair = entries[next++];
        EXPECT_EQ(pair, *sample);
        // The texts are those the live windows and read --format text show.
        const MeterReading reading = DecodeFrame(entry.frame);
        EXPECT_EQ(FieldView(pair.main.dataText), FieldText(reading.main.valueField));
        EXPECT_EQ(FieldView(pair.main.unitText), FieldText(reading.main.firstLabelField));
        EXPECT_EQ(FieldView(pair.main.functionText), FieldText(reading.main.secondLabelField));
        EXPECT_EQ(FieldView(pair.sub.dataText), FieldText(reading.sub.valueField));
        EXPECT_EQ(FieldView(pair.main.modeText), reading.main.couplingText);
    }
    EXPECT_EQ(next, entries.size());
    EXPECT_GE(entries.size(), 45u);
}

TEST(CaptureCliTest, RefusedReadingsBadLinesAndFramesWithoutTime) {
    CliDir dir;
    FrameContent dot;
    dot.main.pointAfter = 2; // a lone "." on the main display: no sample
    dot.main.function = nFunc_DcV;
    test::WriteText(dir / "in.FRAMES", "  7:00:00.0\t" + Hex(Dc("1.500")) + "\n" + "  7:00:00.5\t" +
                                           Hex(EncodeFrame(dot)) + "\n" + "\n" + Hex(Dc("2.500")) +
                                           "\n" + "garbage\n" + std::string(4097, 'a') + "\n" +
                                           "  7:00:01.5\t" + Hex(Dc("3.500")) + "\n");
    const CliRun run = RunCli(dir, "convert in.FRAMES -o out.csv");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(Lines(run.err),
              (std::vector<std::string>{
                  "Error[E9065]: Line 5 is not a frame of a capture (a time text, a tab and 54 "
                  "hex digits, or the hex digits alone).",
                  "Error[E9066]: Line 6 is longer than 4096 characters; it was not read.",
                  "Warning[W9071]: 1 of 4 frames gave no sample: the display showed no value."}));
    EXPECT_EQ(test::ReadText(dir / "out.csv"),
              "#item,Time,MainData,MainUnit,MainFunc,Sub Data,SubUnit,SubFunc\r\n"
              "1,  7:00:00.0,1.500,,V  [DC]\r\n"
              "2,,2.500,,V  [DC]\r\n"
              "3,  7:00:01.5,3.500,,V  [DC]\r\n");
}

TEST(CaptureCliTest, ReadWritesItsLinesToAFileWithDashO) {
    CliDir dir;
    const CliRun run = RunCli(dir, "read --simulate=latency=0 --format raw --count 3 -o c.frames");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    const auto lines = Lines(test::ReadText(dir / "c.frames"));
    ASSERT_EQ(lines.size(), 3u);
    for (const std::string& line : lines) {
        CaptureEntry entry;
        EXPECT_EQ(ParseCaptureLine(line, entry), CaptureLineKind::Frame) << line;
    }
}

} // namespace
} // namespace ostrel
