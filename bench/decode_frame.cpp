// Speed of the display frame decoder and encoder, and of the hex text reader.
#include "link/frame_codec.h"
#include "link/frame_hex.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

using namespace ostrel;

// Typical meter frames: both displays in use, points, signs, multipliers.
std::vector<RawFrame> TypicalFrames() {
    std::vector<RawFrame> frames;
    const std::uint32_t functions[] = {nFunc_DcV, nFunc_AcV6, nFunc_Ohm,   nFunc_Hz,
                                       nFunc_T1C, nFunc_dB,   nFunc_AcDcA, nFunc_Cx};
    const int exponents[] = {-9, -6, -3, 0, 3, 6};
    for (int i = 0; i < 64; ++i) {
        FrameContent c;
        c.main.chars = {'1', static_cast<char>('0' + i % 10), '3', '4'};
        c.main.pointAfter = i % 4;
        c.main.negative = i % 2;
        c.main.function = functions[i % 8];
        c.main.exponent = exponents[i % 6];
        c.sub.chars = {' ', '5', '0', '0'};
        c.sub.pointAfter = 1 + i % 3;
        c.sub.function = i % 3 ? nFunc_Hz : nFunc_None;
        c.sub.exponent = 3;
        c.lowBattery = i % 7 == 0;
        frames.push_back(EncodeFrame(c));
    }
    return frames;
}

std::vector<RawFrame> RandomFrames() {
    std::mt19937 rng(7);
    std::vector<RawFrame> frames(64);
    for (auto& frame : frames)
        for (auto& b : frame)
            b = static_cast<std::uint8_t>(rng());
    return frames;
}

template <class Frames> void BM_DecodeFrames(benchmark::State& state, Frames makeFrames) {
    const auto frames = makeFrames();
    std::size_t i = 0;
    for (auto _ : state) {
        MeterReading r = DecodeFrame(frames[i++ & 63]);
        benchmark::DoNotOptimize(r);
    }
}
void BM_DecodeFrame(benchmark::State& state) {
    BM_DecodeFrames(state, TypicalFrames);
}
BENCHMARK(BM_DecodeFrame);
void BM_DecodeFrameRandomBytes(benchmark::State& state) {
    BM_DecodeFrames(state, RandomFrames);
}
BENCHMARK(BM_DecodeFrameRandomBytes);

void BM_EncodeFrame(benchmark::State& state) {
    FrameContent c;
    c.main.chars = {'1', '2', '3', '4'};
    c.main.pointAfter = 2;
    c.main.negative = true;
    c.main.function = nFunc_AcV6;
    c.main.exponent = -3;
    c.sub.chars = {' ', '5', '0', '0'};
    c.sub.function = nFunc_Hz;
    c.sub.exponent = 3;
    for (auto _ : state) {
        benchmark::DoNotOptimize(c);
        RawFrame raw = EncodeFrame(c);
        benchmark::DoNotOptimize(raw);
    }
}
BENCHMARK(BM_EncodeFrame);

void BM_ParseFrameHex(benchmark::State& state) {
    const std::string text = FormatFrameHex(TypicalFrames()[5]);
    for (auto _ : state) {
        auto raw = ParseFrameHex(text);
        benchmark::DoNotOptimize(raw);
    }
}
BENCHMARK(BM_ParseFrameHex);

} // namespace
