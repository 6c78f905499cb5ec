// A simulated download of a 1 MiB logger image with latency=0: the whole
// exchange path (open, command, four reports, checksum, close) against the
// simulated meter, in block exchanges per second. A meter that spends no real
// time makes the download skip its pauses (the 1 ms after each block of the
// real cable would cap it at about 900 blocks a second).
#include "import/logger_download.h"
#include "import/logger_image_builder.h"
#include "simulator/demo_sessions.h"
#include "simulator/simulated_logger.h"
#include "simulator/simulated_meter.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

namespace {

using namespace ostrel;

std::vector<std::uint8_t> MebibyteImage() {
    LoggerSessionData s{2, 0, 0x03, {}};
    s.values.resize(((1u << 20) - 6 - 14) / 3);
    for (std::size_t i = 0; i < s.values.size(); ++i)
        s.values[i].raw = static_cast<std::uint16_t>(i % 10000);
    return *BuildLoggerImage({s});
}

void BM_SimulatedDownloadMebibyte(benchmark::State& state) {
    const auto image = MebibyteImage();
    std::size_t exchanges = 0;
    for (auto _ : state) {
        SimulationOptions options;
        options.latencyMs = 0;
        SimulatedMeter meter(options);
        meter.setLoggerResponder(std::make_shared<SimulatedLoggerMemory>(image, LoggerFaults{}));
        LoggerDownloadResult r = DownloadLoggerImage(meter, {});
        if (r.outcome != LoggerDownloadOutcome::Done) {
            state.SkipWithError("download failed");
            return;
        }
        exchanges = r.blockExchanges + 2; // with the status and header exchanges
        benchmark::DoNotOptimize(r);
    }
    state.counters["image_bytes"] = static_cast<double>(image.size());
    state.counters["exchanges"] = static_cast<double>(exchanges);
    state.counters["exchanges_per_s"] = benchmark::Counter(
        static_cast<double>(exchanges), benchmark::Counter::kIsIterationInvariantRate);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_rss_MiB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_SimulatedDownloadMebibyte)->Unit(benchmark::kMillisecond)->Repetitions(3);

} // namespace
