#pragma once
// Shared body of the record-file fuzz targets: load arbitrary bytes in one
// layout, check that nothing is sized beyond the input, that every loaded pair
// survives a write and a read unchanged, that it exports as text, and that
// the statistics of all pairs hold together.

#include "recorder/record_file.h"
#include "recorder/statistics.h"
#include "recorder/text_export.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace ostrel::fuzz {

inline int LoadAndCheck(const std::uint8_t* data, std::size_t size, RecordLayout layout) {
    MemorySource source({data, size});
    SampleBuffer pairs;
    std::int64_t steps = 0;
    const LoadResult result = LoadRecords(
        source, layout, pairs, [&](std::int64_t, std::int64_t) { return ++steps < 100000; });
    if (pairs.size() > size / ItemSize(layout))
        std::abort();
    if (result.read != static_cast<std::int64_t>(pairs.size()))
        std::abort();
    std::string text;
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        // Every entry goes through the same code: in a long input the first and
        // last ones and those at the reader's chunk boundaries are checked, so
        // that long inputs (which reach those boundaries) stay cheap to run.
        const std::size_t inChunk = i % 1024;
        if (i >= 32 && i + 32 < pairs.size() && inChunk >= 2 && inChunk < 1022)
            continue;
        std::uint8_t once[kEntrySize];
        std::uint8_t twice[kEntrySize];
        WriteEntry(pairs[i], once);
        RecordPair back;
        ReadEntry(once, back);
        WriteEntry(back, twice);
        if (std::memcmp(once, twice, kEntrySize) != 0)
            std::abort();
        text.clear();
        AppendExportLine(text, pairs[i], static_cast<std::int64_t>(i));
    }
    SampleStatistics statistics;
    for (const RecordPair& pair : pairs)
        statistics.add(pair);
    const DisplayStatistics main = statistics.main().result();
    if (main.count + main.overloads != static_cast<std::int64_t>(pairs.size()))
        std::abort();
    if (main.span && !(*main.span >= 0))
        std::abort();
    if (main.count > 0) {
        const double slack = 1e-9 * std::max(std::fabs(*main.min), std::fabs(*main.max));
        if (!(*main.mean >= *main.min - slack && *main.mean <= *main.max + slack))
            std::abort();
    }
    return 0;
}

} // namespace ostrel::fuzz
