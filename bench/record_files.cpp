// Record files at scale: loading a 1,000,000-entry ".g53" file into the sample
// buffer, converting it to the text export of all pages (the path of
// `ostrel-cli convert`), and its statistics as `ostrel-cli stats` takes them,
// against those of a 1,000-entry file: the same items per second at both
// sizes show that nothing grows with the file. The files are generated once
// into a temporary directory.
#include "recorder/record_convert.h"
#include "recorder/record_file.h"
#include "recorder/sample_conversion.h"
#include "recorder/statistics.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <sys/resource.h>

namespace {

constexpr int kEntries = 1'000'000;

ostrel::RecordPair SamplePair(int i) {
    using ostrel::StoreField;
    ostrel::RecordPair p;
    const int ms = i * 500;
    const std::string time =
        ostrel::FormatSampleTime(ms / 3600000 % 24, ms / 60000 % 60, ms / 1000 % 60, ms / 100 % 10);
    const std::string text = std::to_string(i % 4000) + "." + std::to_string(i % 10);
    p.hasSub = i % 2 == 0 ? 1 : 0;
    StoreField(p.main.valueText, text);
    StoreField(p.main.exponentText, "-3");
    p.main.function = i % 5 == 0 ? 0x8020 : 0x6;
    StoreField(p.main.timeText, time);
    StoreField(p.main.dataText, i % 5 == 0 ? text + "C" : text);
    StoreField(p.main.unitText, "m");
    StoreField(p.main.functionText, "V");
    StoreField(p.main.modeText, i % 5 == 0 ? "T1" : "DC");
    p.main.value = static_cast<float>(i % 4000) * 1e-3f;
    if (p.hasSub) {
        StoreField(p.sub.valueText, "50.00");
        StoreField(p.sub.exponentText, "0");
        p.sub.function = 0x400;
        StoreField(p.sub.timeText, time);
        StoreField(p.sub.dataText, "50.00");
        StoreField(p.sub.functionText, "Hz");
        p.sub.value = 50.0f;
    }
    return p;
}

class Fixture {
  public:
    Fixture() {
        char tmpl[] = "/tmp/ostrel-bench-XXXXXX";
        m_dir = ::mkdtemp(tmpl);
    }
    ~Fixture() {
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }
    std::string input() { return sized(kEntries); }
    // A file of `entries` samples, written the first time it is asked for.
    const std::string& sized(int entries) {
        auto [it, added] = m_files.try_emplace(entries);
        if (added) {
            it->second = output((std::to_string(entries) + ".g53").c_str());
            ostrel::RecordFileWriter writer;
            if (!writer.open(it->second))
                std::abort();
            for (int i = 0; i < entries; ++i)
                writer.append(SamplePair(i));
            if (!writer.commit())
                std::abort();
        }
        return it->second;
    }
    std::string output(const char* name) const { return (m_dir / name).string(); }

  private:
    std::filesystem::path m_dir;
    std::map<int, std::string> m_files;
};

Fixture& Data() {
    static Fixture fixture;
    return fixture;
}

void BM_LoadG53(benchmark::State& state) {
    const std::string path = Data().input();
    for (auto _ : state) {
        ostrel::SampleBuffer buffer;
        const auto result = ostrel::LoadRecordFile(path, buffer);
        if (result.status != ostrel::LoadStatus::Ok || buffer.size() != kEntries)
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(buffer.size());
    }
    const auto fileSize = static_cast<std::int64_t>(std::filesystem::file_size(path));
    state.SetItemsProcessed(state.iterations() * kEntries);
    state.SetBytesProcessed(state.iterations() * fileSize);
    // Peak resident memory of the process (the loaded buffer dominates it) per
    // byte of the file.
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_rss_per_file_byte"] =
        static_cast<double>(usage.ru_maxrss) * 1024.0 / static_cast<double>(fileSize);
}
BENCHMARK(BM_LoadG53)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ConvertG53ToCsv(benchmark::State& state) {
    const std::string path = Data().input();
    const std::string out = Data().output("million.csv");
    for (auto _ : state) {
        const auto result = ostrel::ConvertRecordFile(path, out, ostrel::ConvertOutput::Csv);
        if (result.messageId != 0)
            state.SkipWithError("convert failed");
    }
    state.SetItemsProcessed(state.iterations() * kEntries);
    state.counters["csv_bytes"] = static_cast<double>(std::filesystem::file_size(out));
}
BENCHMARK(BM_ConvertG53ToCsv)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ConvertG53ToG53(benchmark::State& state) {
    const std::string path = Data().input();
    const std::string out = Data().output("copy.g53");
    for (auto _ : state) {
        const auto result = ostrel::ConvertRecordFile(path, out, ostrel::ConvertOutput::G53);
        if (result.messageId != 0)
            state.SkipWithError("convert failed");
    }
    state.SetItemsProcessed(state.iterations() * kEntries);
}
BENCHMARK(BM_ConvertG53ToG53)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_StatsOfRecordFile(benchmark::State& state) {
    const int entries = static_cast<int>(state.range(0));
    const std::string& path = Data().sized(entries);
    for (auto _ : state) {
        ostrel::SampleStatistics statistics;
        const auto load = ostrel::ReadRecordFile(
            path, [&](const ostrel::RecordPair& pair) { statistics.add(pair); });
        if (load.read != entries)
            state.SkipWithError("short read");
        benchmark::DoNotOptimize(statistics.main().result());
    }
    state.SetItemsProcessed(state.iterations() * entries);
}
BENCHMARK(BM_StatsOfRecordFile)->Arg(1000)->Arg(kEntries)->Unit(benchmark::kMillisecond);

// The statistics of a sample buffer in memory, as the windows take them.
void BM_StatsOfBuffer(benchmark::State& state) {
    ostrel::SampleBuffer buffer;
    for (int i = 0; i < state.range(0); ++i)
        buffer.push_back(SamplePair(i));
    for (auto _ : state)
        benchmark::DoNotOptimize(ostrel::StatisticsOf(buffer, 0, buffer.size()).main().result());
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_StatsOfBuffer)->Arg(1000)->Arg(kEntries)->Unit(benchmark::kMillisecond);

} // namespace
