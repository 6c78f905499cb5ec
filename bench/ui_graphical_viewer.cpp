// The graphical viewer over a large buffer: the time from the recorder's
// "Fit all data" to a drawn window (building the decimated graph, filling the
// graph adapter, drawing it once), and a cursor move and a zoom undo on the
// shown graph. Counter "points": graph points drawn. Offscreen platform
// unless QT_QPA_PLATFORM says otherwise.
#include "graph/ui/graph_adapter.h"
#include "recorder/ui/graphical_viewer.h"
#include "recorder/viewer_graph.h"
#include "window_bench.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

using namespace ostrel;

// A recording of n samples: a slow sine with noise, time texts every 0.5 s.
const SampleBuffer& Recording(std::int64_t n) {
    static SampleBuffer buffer;
    if (static_cast<std::int64_t>(buffer.size()) != n) {
        buffer.assign(static_cast<std::size_t>(n), RecordPair{});
        for (std::int64_t i = 0; i < n; ++i) {
            RecordPair& p = buffer[static_cast<std::size_t>(i)];
            const double v = 5.0 * std::sin(static_cast<double>(i) / 5000.0) +
                             0.1 * std::sin(static_cast<double>(i) * 1.7);
            p.main.value = static_cast<float>(v);
            p.main.function = 0x6;
            char text[16];
            const std::int64_t tenths = i * 5;
            std::snprintf(text, sizeof text, "%3d:%02d:%02d.%1d", int(tenths / 36000 % 24),
                          int(tenths / 600 % 60), int(tenths / 10 % 60), int(tenths % 10));
            StoreField(p.main.timeText, text);
            std::snprintf(text, sizeof text, "%.3f", v);
            StoreField(p.main.dataText, text);
            StoreField(p.main.functionText, "V");
        }
    }
    return buffer;
}

ViewerSource SourceOf(const SampleBuffer& buffer) {
    ViewerSource source{&buffer, {}, {}};
    ScanBuffer(buffer, source.yRange, source.extremes);
    return source;
}

void BM_BuildViewerGraph(benchmark::State& bench) {
    const SampleBuffer& buffer = Recording(bench.range(0));
    const ViewerSource source = SourceOf(buffer);
    std::int64_t points = 0;
    for (auto _ : bench) {
        const ViewerGraph graph = BuildViewerGraph(buffer, source.extremes);
        points = graph.points();
        benchmark::DoNotOptimize(graph.y.data());
    }
    bench.counters["points"] = static_cast<double>(points);
}
BENCHMARK(BM_BuildViewerGraph)->Arg(5000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_ShowViewer(benchmark::State& bench) {
    const SampleBuffer& buffer = Recording(bench.range(0));
    const ViewerSource source = SourceOf(buffer);
    TFormViewGraphic viewer;
    auto* graph = viewer.findChild<GraphAdapter*>(QStringLiteral("PEGraphView"));
    for (auto _ : bench) {
        viewer.setSource(source);
        viewer.show();
        graph->replotNow();
        bench.PauseTiming();
        bench.counters["points"] = graph->pointCount();
        viewer.close();
        QApplication::processEvents();
        bench.ResumeTiming();
    }
}
BENCHMARK(BM_ShowViewer)
    ->Arg(5000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_MoveCursorOnShownGraph(benchmark::State& bench) {
    const SampleBuffer& buffer = Recording(bench.range(0));
    TFormViewGraphic viewer;
    viewer.setSource(SourceOf(buffer));
    viewer.show();
    GraphAdapter& graph = *viewer.findChild<GraphAdapter*>(QStringLiteral("PEGraphView"));
    int point = 0;
    for (auto _ : bench) {
        point = (point + 997) % graph.pointCount();
        graph.setCursorPoint(point);
        graph.replotNow();
    }
    bench.counters["points"] = graph.pointCount();
    viewer.close();
}
BENCHMARK(BM_MoveCursorOnShownGraph)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    return ostrel::RunWindowBenchmarks(argc, argv);
}
