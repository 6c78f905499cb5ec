#include "recorder/viewer_graph.h"

#include <algorithm>

namespace ostrel {
namespace {

void AddPoint(ViewerGraph& graph, const RecordPair& pair) {
    graph.y.push_back(pair.main.value);
    graph.labels.emplace_back(FieldView(pair.main.timeText));
}

std::int64_t InBuffer(std::int64_t position, std::size_t size) {
    return position >= 0 && static_cast<std::size_t>(position) < size ? position : 0;
}

} // namespace

ViewerGraph BuildViewerGraph(const SampleBuffer& buffer, const Extremes& extremes) {
    ViewerGraph graph;
    const std::int64_t maxPosition = InBuffer(extremes.maxIndex, buffer.size());
    const std::int64_t minPosition = InBuffer(extremes.minIndex, buffer.size());
    const std::vector<float> values = MainValues(buffer);
    Decimation d = Decimate(values, maxPosition, minPosition);
    graph.oneToOne = d.oneToOne;
    graph.maxPoint = d.maxPoint;
    graph.minPoint = d.minPoint;
    if (d.oneToOne) {
        graph.y.reserve(buffer.size());
        graph.labels.reserve(buffer.size());
        for (const RecordPair& pair : buffer)
            AddPoint(graph, pair);
        return graph;
    }
    graph.positions = std::move(d.positions);
    graph.y.reserve(graph.positions.size());
    graph.labels.reserve(graph.positions.size());
    for (const std::int64_t position : graph.positions)
        AddPoint(graph, buffer[static_cast<std::size_t>(position)]);
    return graph;
}

ViewerGraph FirstSamplesGraph(const SampleBuffer& buffer, int count) {
    ViewerGraph graph;
    const std::size_t n = std::min(buffer.size(), static_cast<std::size_t>(std::max(0, count)));
    for (std::size_t i = 0; i < n; ++i)
        AddPoint(graph, buffer[i]);
    return graph;
}

} // namespace ostrel
