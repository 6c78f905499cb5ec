// Decoding a maximal logger image (one session of single readings filling
// 16,777,215 bytes as far as whole readings go) and opening the session file
// it produces, and working out the graph of its page. Peak resident memory is reported as a
// counter; run one benchmark at a time (--benchmark_filter) to see each one's own peak.
#include "import/logger_download.h"
#include "import/logger_image_builder.h"
#include "import/session_decoder.h"
#include "import/session_file.h"
#include "import/session_page.h"
#include "import/session_statistics.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <sys/resource.h>
#include <unistd.h>

namespace {

using namespace ostrel;

double PeakRssMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
}

const std::vector<std::uint8_t>& MaximalImage() {
    static const std::vector<std::uint8_t> image = [] {
        LoggerSessionData s{2, 0, 0x03, {}};
        const std::size_t readings = (kMaxLoggerLength - 6 - 14) / 3;
        s.values.resize(readings);
        for (std::size_t i = 0; i < readings; ++i) {
            s.values[i].raw = static_cast<std::uint16_t>(i % 10000);
            s.values[i].range = static_cast<std::uint8_t>(i % 4);
            s.values[i].flags = (i % 97 == 0) ? 0x4 : (i % 5 == 0 ? 0x8 : 0);
        }
        auto built = BuildLoggerImage({s});
        std::vector<std::uint8_t> out = std::move(*built);
        out.resize(LoggerImageSize(LoggerLength(out.data())), 0);
        return out;
    }();
    return image;
}

void BM_DecodeMaximalImage(benchmark::State& state) {
    const auto& image = MaximalImage();
    std::size_t readings = 0;
    for (auto _ : state) {
        SessionDecodeResult r = DecodeLoggerImage(image.data(), image.size());
        readings = r.table.pairCount();
        benchmark::DoNotOptimize(r);
    }
    state.counters["readings"] = static_cast<double>(readings);
    state.counters["image_bytes"] = static_cast<double>(image.size());
    state.counters["readings_per_s"] = benchmark::Counter(
        static_cast<double>(readings), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["peak_rss_MiB"] = PeakRssMiB();
}
BENCHMARK(BM_DecodeMaximalImage)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

// The page of the maximal session worked out for the graph and the extremes,
// as the import window does it when the other display or page is chosen.
void BM_PlotMaximalPage(benchmark::State& state) {
    const SessionDecodeResult decoded =
        DecodeLoggerImage(MaximalImage().data(), MaximalImage().size());
    for (auto _ : state)
        benchmark::DoNotOptimize(PlotSessionPage(decoded.table.session(0), false, YRange{}));
}
BENCHMARK(BM_PlotMaximalPage)->Unit(benchmark::kMillisecond)->Repetitions(5);

// The statistics of the maximal session, as the import window's statistics
// panel shows them for its page.
void BM_StatisticsOfMaximalSession(benchmark::State& state) {
    const SessionDecodeResult decoded =
        DecodeLoggerImage(MaximalImage().data(), MaximalImage().size());
    for (auto _ : state)
        benchmark::DoNotOptimize(SessionStatisticsOf(decoded.table.session(0)));
}
BENCHMARK(BM_StatisticsOfMaximalSession)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3);

void BM_OpenMaximalSessionFile(benchmark::State& state) {
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("ostrel_bench_" + std::to_string(::getpid()) + ".slr"))
                                 .string();
    {
        SessionDecodeResult r = DecodeLoggerImage(MaximalImage().data(), MaximalImage().size());
        if (!SaveSessionFile(path, r.table)) {
            state.SkipWithError("cannot write the session file");
            return;
        }
    }
    std::size_t pairs = 0;
    for (auto _ : state) {
        SessionFileResult r = OpenSessionFile(path);
        pairs = r.table.pairCount();
        benchmark::DoNotOptimize(r);
    }
    state.counters["pairs"] = static_cast<double>(pairs);
    state.counters["file_bytes"] = static_cast<double>(std::filesystem::file_size(path));
    state.counters["peak_rss_MiB"] = PeakRssMiB();
    std::remove(path.c_str());
}
BENCHMARK(BM_OpenMaximalSessionFile)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

} // namespace
