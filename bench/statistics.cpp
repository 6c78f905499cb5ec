// Statistics of record files as `ostrel-cli stats` takes them: the file read
// as a stream and every sample added to the accumulators. The same work per
// sample for 1,000 and for 1,000,000 samples (items per second equal) shows
// that nothing grows with the file. Also the accumulator alone over a sample
// buffer in memory, the path of the windows.
#include "recorder/statistics.h"
#include "recorder/record_file.h"
#include "recorder/sample_conversion.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

namespace {

ostrel::RecordPair SamplePair(int i) {
    using ostrel::StoreField;
    ostrel::RecordPair p;
    const int ms = i * 500;
    const std::string time =
        ostrel::FormatSampleTime(ms / 3600000 % 24, ms / 60000 % 60, ms / 1000 % 60, ms / 100 % 10);
    const bool overload = i % 97 == 0;
    const std::string text =
        overload ? " 0L" : std::to_string(i % 4000) + "." + std::to_string(i % 10);
    p.hasSub = i % 2 == 0 ? 1 : 0;
    StoreField(p.main.valueText, text);
    StoreField(p.main.exponentText, "-3");
    p.main.function = 0x6;
    StoreField(p.main.timeText, time);
    StoreField(p.main.dataText, text);
    p.main.value = overload ? 6.6f : static_cast<float>(i % 4000) * 1e-3f;
    if (p.hasSub) {
        StoreField(p.sub.valueText, "50.00");
        p.sub.function = 0x400;
        StoreField(p.sub.timeText, time);
        p.sub.value = 50.0f + static_cast<float>(i % 7) * 0.01f;
    }
    return p;
}

// Record files of the sizes asked for, written once into a temporary directory.
class Files {
  public:
    Files() {
        char tmpl[] = "/tmp/ostrel-bench-XXXXXX";
        m_dir = ::mkdtemp(tmpl);
    }
    ~Files() {
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }
    const std::string& of(int entries) {
        auto [it, added] = m_paths.try_emplace(entries);
        if (added) {
            it->second = (m_dir / (std::to_string(entries) + ".g53")).string();
            ostrel::RecordFileWriter writer;
            if (!writer.open(it->second))
                std::abort();
            for (int i = 0; i < entries; ++i)
                writer.append(SamplePair(i));
            if (!writer.commit(false))
                std::abort();
        }
        return it->second;
    }

  private:
    std::filesystem::path m_dir;
    std::map<int, std::string> m_paths;
};

Files& Data() {
    static Files files;
    return files;
}

void BM_StatsOfRecordFile(benchmark::State& state) {
    const int entries = static_cast<int>(state.range(0));
    const std::string& path = Data().of(entries);
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
BENCHMARK(BM_StatsOfRecordFile)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_StatsOfBuffer(benchmark::State& state) {
    const int entries = static_cast<int>(state.range(0));
    ostrel::SampleBuffer buffer;
    for (int i = 0; i < entries; ++i)
        buffer.push_back(SamplePair(i));
    for (auto _ : state)
        benchmark::DoNotOptimize(ostrel::StatisticsOf(buffer, 0, buffer.size()).main().result());
    state.SetItemsProcessed(state.iterations() * entries);
}
BENCHMARK(BM_StatsOfBuffer)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMillisecond);

} // namespace
