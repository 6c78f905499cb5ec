// A run of frames sampled with the displays kept from one frame to the next
// gives the samples and export lines that sampling each frame anew gives.
#include "recorder/frame_sampler.h"
#include "recorder/sampling.h"
#include "recorder/text_export.h"
#include "simulator/simulated_meter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace ostrel {
namespace {

// Raw bytes that no display is decoded from: the report numbers and the
// payload bytes after the sub display's.
constexpr std::array<std::size_t, 12> kNeitherDisplay = {0,  1,  9,  18, 19, 20,
                                                         21, 22, 23, 24, 25, 26};

std::vector<std::uint8_t> DisplayBytes(const DisplayReading& d) {
    std::string text = d.valueText + "|" + d.exponentText + "|" + d.prefixText + "|" + d.unitText +
                       "|" + d.couplingText + "|" + std::to_string(d.rawFunction) + "|" +
                       std::to_string(d.function) + "|" + std::to_string(d.negative) + "|";
    text.append(d.valueField.begin(), d.valueField.end());
    text.append(d.firstLabelField.begin(), d.firstLabelField.end());
    text.append(d.secondLabelField.begin(), d.secondLabelField.end());
    return {text.begin(), text.end()};
}

std::vector<RawFrame> SomeFrames(std::mt19937& random) {
    std::vector<RawFrame> frames;
    const SimulationOptions options;
    for (std::uint64_t i = 0; i < 300; ++i)
        frames.push_back(EncodeFrame(SimulatedMeter::DisplayAt(i * 7, options)));
    for (int i = 0; i < 100; ++i) {
        RawFrame f;
        for (auto& b : f)
            b = static_cast<std::uint8_t>(random());
        frames.push_back(f);
    }
    return frames;
}

template <std::size_t N>
void ExpectDisplayFromItsBytes(const std::array<std::uint8_t, N>& own, bool isMain) {
    // Every other byte of the frame changed, the display decodes the same.
    std::mt19937 random(isMain ? 4 : 6);
    for (const RawFrame& frame : SomeFrames(random)) {
        const MeterReading before = DecodeFrame(frame);
        for (int k = 0; k < 20; ++k) {
            RawFrame changed = frame;
            for (std::size_t i = 0; i < changed.size(); ++i)
                if (random() % 2)
                    changed[i] = static_cast<std::uint8_t>(random());
            for (std::uint8_t b : own)
                changed[RawIndexOfPayload(b)] = frame[RawIndexOfPayload(b)];
            const MeterReading after = DecodeFrame(changed);
            ASSERT_EQ(DisplayBytes(isMain ? after.main : after.sub),
                      DisplayBytes(isMain ? before.main : before.sub));
        }
    }
}

TEST(FrameSampler, EachDisplayDecodesFromItsOwnBytesAlone) {
    ExpectDisplayFromItsBytes(kMainDisplayBytes, true);
    ExpectDisplayFromItsBytes(kSubDisplayBytes, false);
}

TEST(FrameSampler, SamplesAndLinesAsEachFrameSampledAnew) {
    std::mt19937 random(5);
    const std::vector<RawFrame> frames = SomeFrames(random);
    const char* times[] = {" 10:20:30.4", "", "  0:00:00.0", "123456789012345"};
    FrameSampler sampler;
    std::string lines, expected;
    std::int64_t position = 0;
    // Enough new displays that the kept ones are started afresh.
    for (int round = 0; round < 60000; ++round) {
        RawFrame frame = frames[random() % frames.size()];
        // The same displays with other bytes around them, or another display.
        if (random() % 2)
            frame[kNeitherDisplay[random() % kNeitherDisplay.size()]] =
                static_cast<std::uint8_t>(random());
        if (random() % 3 == 0)
            frame[random() % frame.size()] = static_cast<std::uint8_t>(random());
        const std::string_view time = times[random() % 4];
        const std::optional<RecordPair> want = SampleFromFrame(frame, time);
        RecordPair got;
        ASSERT_EQ(sampler.sample(frame, time, got), want.has_value()) << round;
        if (!want)
            continue;
        std::uint8_t a[kEntrySize], b[kEntrySize];
        WriteEntry(got, a);
        WriteEntry(*want, b);
        ASSERT_TRUE(std::equal(a, a + kEntrySize, b)) << round;
        ASSERT_TRUE(sampler.appendExportLine(frame, time, position, lines));
        AppendExportLine(expected, *want, position++);
    }
    EXPECT_GT(position, 20000);
    EXPECT_EQ(lines, expected);
}

} // namespace
} // namespace ostrel
