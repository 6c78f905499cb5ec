// Converting a capture of raw display frames (`ostrel-cli convert X.frames`):
// every line is parsed, decoded and sampled as the recorder samples, then
// written. The cost per line must not grow with the capture: a 10^6-line
// capture against a 10^3-line one (items_per_second of both). The captures
// hold what the simulated meter shows, generated once into a temporary folder.
#include "recorder/frame_capture.h"
#include "recorder/record_convert.h"
#include "recorder/sample_conversion.h"
#include "simulator/simulated_meter.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

namespace {

class Captures {
  public:
    Captures() {
        char tmpl[] = "/tmp/ostrel-bench-capture-XXXXXX";
        m_dir = ::mkdtemp(tmpl);
    }
    ~Captures() {
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }
    // The capture of `lines` answers, one every 500 ms from midnight.
    const std::string& capture(std::int64_t lines) {
        auto& path = m_paths[lines];
        if (!path.empty())
            return path;
        path = (m_dir / ("capture" + std::to_string(lines) + ".frames")).string();
        std::FILE* f = std::fopen(path.c_str(), "wb");
        const ostrel::SimulationOptions options;
        std::string chunk;
        for (std::int64_t i = 0; i < lines; ++i) {
            const std::int64_t ms = i * 500;
            chunk += ostrel::CaptureLine(
                ostrel::FormatSampleTime(
                    static_cast<int>(ms / 3600000 % 24), static_cast<int>(ms / 60000 % 60),
                    static_cast<int>(ms / 1000 % 60), static_cast<int>(ms / 100 % 10)),
                ostrel::EncodeFrame(
                    ostrel::SimulatedMeter::DisplayAt(static_cast<std::uint64_t>(i), options)));
            if (chunk.size() > (1 << 20)) {
                std::fwrite(chunk.data(), 1, chunk.size(), f);
                chunk.clear();
            }
        }
        std::fwrite(chunk.data(), 1, chunk.size(), f);
        std::fclose(f);
        return path;
    }
    std::string output(const char* name) const { return (m_dir / name).string(); }

  private:
    std::filesystem::path m_dir;
    std::map<std::int64_t, std::string> m_paths;
};

Captures& Data() {
    static Captures captures;
    return captures;
}

void Convert(benchmark::State& state, ostrel::ConvertOutput kind, const char* output) {
    const std::int64_t lines = state.range(0);
    const std::string& input = Data().capture(lines);
    const std::string out = Data().output(output);
    for (auto _ : state) {
        const auto result = ostrel::ConvertCaptureFile(input, out, kind);
        if (result.messageId != 0 || static_cast<std::int64_t>(result.frames) != lines)
            state.SkipWithError("convert failed");
    }
    // items_per_second: lines per second; its inverse is the cost of a line.
    state.SetItemsProcessed(state.iterations() * lines);
}

void BM_ConvertCaptureToCsv(benchmark::State& state) {
    Convert(state, ostrel::ConvertOutput::Csv, "out.csv");
}
BENCHMARK(BM_ConvertCaptureToCsv)
    ->Arg(1000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_ConvertCaptureToG53(benchmark::State& state) {
    Convert(state, ostrel::ConvertOutput::G53, "out.g53");
}
BENCHMARK(BM_ConvertCaptureToG53)
    ->Arg(1000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace
