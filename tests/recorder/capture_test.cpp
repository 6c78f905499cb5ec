// Captures of raw display frames, and the one sampling path they share with
// the recorder: a frame is sampled exactly as the recorder samples the same
// reading once it is published.
#include "link/acquisition_state.h"
#include "recorder/frame_capture.h"
#include "recorder/record_convert.h"
#include "recorder/sample_conversion.h"
#include "recorder/sampling.h"

#include "record_test_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sys/stat.h>
#include <thread>

namespace ostrel {
namespace {

using test::ReadBytes;
using test::ScratchDir;

RawFrame Frame(std::string_view mainText, std::uint32_t function, int exponent = 0,
               std::string_view subText = {}, std::uint32_t subFunction = 0, int subExponent = 0) {
    FrameContent content;
    EXPECT_TRUE(SetDisplayText(content.main, mainText)) << mainText;
    content.main.function = function;
    content.main.exponent = exponent;
    if (!subText.empty()) {
        EXPECT_TRUE(SetDisplayText(content.sub, subText)) << subText;
        content.sub.function = subFunction;
        content.sub.exponent = subExponent;
    }
    return EncodeFrame(content);
}

// The overload of volts with one digit before the point: "0.L".
RawFrame OverloadFrame() {
    FrameContent content;
    content.main.chars = {'0', 'L', ' ', ' '};
    content.main.pointAfter = 1;
    content.main.function = nFunc_V;
    return EncodeFrame(content);
}

// A frame whose main display shows a lone decimal point: ConvertSample refuses it.
RawFrame RefusedFrame() {
    FrameContent content;
    content.main.pointAfter = 2;
    content.main.function = nFunc_DcV;
    return EncodeFrame(content);
}

std::string Hex(const RawFrame& frame) {
    std::string line = CaptureLine("", frame);
    return line.substr(1, line.size() - 2);
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

TEST(CaptureLineTest, TimeTextTabAndLowerCaseHex) {
    const RawFrame frame = Frame("-12.34", nFunc_DcV, -3, "1.234", nFunc_Hz);
    const std::string line = CaptureLine("  9:05:07.3", frame);
    ASSERT_EQ(line.size(), 11u + 1 + 54 + 1);
    EXPECT_EQ(line.substr(0, 12), "  9:05:07.3\t");
    EXPECT_EQ(line.back(), '\n');
    EXPECT_EQ(line.find_first_not_of("0123456789abcdef", 12), line.size() - 1);

    CaptureEntry entry;
    ASSERT_EQ(ParseCaptureLine(line.substr(0, line.size() - 1), entry), CaptureLineKind::Frame);
    EXPECT_EQ(entry.timeText, "  9:05:07.3");
    EXPECT_EQ(entry.frame, frame);
}

TEST(CaptureLineTest, TheFrameAloneOrWithATimeTextAndNothingElse) {
    const RawFrame frame = Frame("5.000", nFunc_AcV);
    std::string upper = Hex(frame);
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    struct Case {
        std::string line;
        CaptureLineKind kind;
        std::string time;
    };
    const Case cases[] = {
        {Hex(frame), CaptureLineKind::Frame, ""},
        {upper + "\r", CaptureLineKind::Frame, ""},
        {"\t" + Hex(frame), CaptureLineKind::Frame, ""},
        {" 23:59:59.9\t" + Hex(frame) + "\r", CaptureLineKind::Frame, " 23:59:59.9"},
        {"", CaptureLineKind::Blank, ""},
        {" \t\r", CaptureLineKind::Blank, ""},
        {"12:00 pm\t" + Hex(frame), CaptureLineKind::Bad, ""},         // not a time text
        {"1234567890123456\t" + Hex(frame), CaptureLineKind::Bad, ""}, // wider than its field
        {" 1:00:00.0\t" + Hex(frame) + "00", CaptureLineKind::Bad, ""},
        {" 1:00:00.0\t" + Hex(frame).substr(2), CaptureLineKind::Bad, ""},
        {" 1:00:00.0", CaptureLineKind::Bad, ""},
    };
    for (const Case& c : cases) {
        CaptureEntry entry;
        EXPECT_EQ(ParseCaptureLine(c.line, entry), c.kind) << c.line;
        if (c.kind == CaptureLineKind::Frame) {
            EXPECT_EQ(entry.timeText, c.time);
            EXPECT_EQ(entry.frame, frame);
        }
    }
}

TEST(CaptureLineTest, FileNamesEndInFramesInAnyCase) {
    EXPECT_TRUE(IsCaptureFileName("x.frames"));
    EXPECT_TRUE(IsCaptureFileName("/a/b/X.FRAMES"));
    EXPECT_FALSE(IsCaptureFileName("x.frames.g53"));
    EXPECT_FALSE(IsCaptureFileName("frames"));
}

TEST(SamplingTest, AFrameIsSampledAsTheRecorderSamplesThePublishedReading) {
    const RawFrame frame = Frame("-12.34", nFunc_DcV, -3, "1.234", nFunc_Hz, 3);
    AcquisitionState state;
    state.reading = DecodeFrame(frame);
    const MeterReading snapshot = TakeRecorderSnapshot(state);
    // Only what the recorder copies: the derived texts stay empty.
    EXPECT_TRUE(snapshot.main.prefixText.empty());
    EXPECT_TRUE(snapshot.sub.unitText.empty());
    EXPECT_EQ(snapshot.main.rawFunction, 0);
    EXPECT_EQ(snapshot.main.valueText, "-12.34");

    const auto live = SampleOf(snapshot, " 10:20:30.4");
    const auto fromFrame = SampleFromFrame(frame, " 10:20:30.4");
    ASSERT_TRUE(live && fromFrame);
    EXPECT_EQ(*live, *fromFrame);
    EXPECT_EQ(*fromFrame, *ConvertSample(DecodeFrame(frame), " 10:20:30.4"));
    EXPECT_FLOAT_EQ(fromFrame->main.value, -0.01234f);
    EXPECT_EQ(fromFrame->hasSub, 1);
    EXPECT_FLOAT_EQ(fromFrame->sub.value, 1234.0f);
    EXPECT_EQ(FieldView(fromFrame->main.timeText), " 10:20:30.4");

    EXPECT_FALSE(SampleFromFrame(RefusedFrame(), " 10:20:30.4"));
}

class CaptureConvertTest : public ::testing::Test {
  protected:
    std::string capture(const std::string& text) {
        WriteText(dir / "in.frames", text);
        return dir / "in.frames";
    }
    CaptureConvertResult convert(ConvertOutput kind = ConvertOutput::G53) {
        bad.clear();
        return ConvertCaptureFile(
            dir / "in.frames", out(kind), kind,
            [this](std::uint64_t n, bool tooLong) { bad.emplace_back(n, tooLong); });
    }
    std::string out(ConvertOutput kind) const {
        return dir / (kind == ConvertOutput::G53 ? "out.g53" : "out.csv");
    }
    ScratchDir dir;
    std::vector<std::pair<std::uint64_t, bool>> bad;
};

TEST_F(CaptureConvertTest, EveryFrameBecomesTheRecordersSample) {
    const RawFrame a = Frame("1.000", nFunc_DcV), b = OverloadFrame(), c = Frame("25.50", nFunc_Hz);
    capture("  8:00:00.0\t" + Hex(a) + "\n\n  8:00:00.5\t" + Hex(RefusedFrame()) + "\r\n" + Hex(b) +
            "\n   \n  8:00:01.5\t" + Hex(c)); // the last line has no LF
    const CaptureConvertResult result = convert();
    EXPECT_EQ(result.messageId, 0);
    EXPECT_TRUE(result.written);
    EXPECT_EQ(result.frames, 4u);
    EXPECT_EQ(result.samples, 3);
    EXPECT_TRUE(bad.empty());

    SampleBuffer loaded;
    ASSERT_EQ(LoadRecordFile(out(ConvertOutput::G53), loaded).status, LoadStatus::Ok);
    const SampleBuffer expected = {*SampleFromFrame(a, "  8:00:00.0"), *SampleFromFrame(b, ""),
                                   *SampleFromFrame(c, "  8:00:01.5")};
    EXPECT_EQ(loaded, expected);
    EXPECT_FLOAT_EQ(loaded[1].main.value, 6.6f); // the overload of volts
}

TEST_F(CaptureConvertTest, BadLinesAreNamedAndTheOthersStillConvert) {
    const RawFrame a = Frame("2.000", nFunc_DcV);
    capture(Hex(a) + "\nnot a frame\n" + std::string(5000, '0') + "\n" + Hex(a) + "\n");
    const CaptureConvertResult result = convert(ConvertOutput::Csv);
    EXPECT_EQ(result.badLines, 2u);
    EXPECT_EQ(bad, (std::vector<std::pair<std::uint64_t, bool>>{{2, false}, {3, true}}));
    EXPECT_TRUE(result.written);
    const auto csv = ReadBytes(out(ConvertOutput::Csv));
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 3); // the header and two samples
}

TEST_F(CaptureConvertTest, AnInputWithNothingReadableLeavesTheOutputAsItWas) {
    WriteText(out(ConvertOutput::G53), "keep");
    capture("no frame here\nnor here\n");
    CaptureConvertResult result = convert();
    EXPECT_FALSE(result.written);
    EXPECT_EQ(result.badLines, 2u);
    EXPECT_EQ(ReadBytes(out(ConvertOutput::G53)), (std::vector<std::uint8_t>{'k', 'e', 'e', 'p'}));

    std::filesystem::remove(dir / "in.frames");
    result = convert();
    EXPECT_EQ(result.messageId, 9004);
    EXPECT_EQ(ReadBytes(out(ConvertOutput::G53)).size(), 4u);

    // An empty capture is read completely: it gives an empty record file.
    capture("\n");
    result = convert();
    EXPECT_TRUE(result.written);
    EXPECT_EQ(ReadBytes(out(ConvertOutput::G53)), (std::vector<std::uint8_t>{0, 0, 0, 0}));
}

TEST_F(CaptureConvertTest, ANamedPipeIsReadAsAStream) {
    ASSERT_EQ(::mkfifo((dir / "in.frames").c_str(), 0600), 0);
    const RawFrame a = Frame("3.000", nFunc_DcV);
    std::thread writer([&] { WriteText(dir / "in.frames", Hex(a) + "\n" + Hex(a) + "\n"); });
    const CaptureConvertResult result = convert();
    writer.join();
    EXPECT_EQ(result.samples, 2);
    EXPECT_TRUE(result.written);
}

} // namespace
} // namespace ostrel
