#pragma once
// What the graphical viewer draws of the whole sample buffer: every sample up
// to 8191 samples, else two points (smallest and largest) per block of
// n / 4096 samples; and where the recorder's largest and smallest samples lie
// in that graph.

#include "recorder/record.h"
#include "recorder/recorder_math.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ostrel {

struct ViewerGraph {
    bool oneToOne = true;
    std::vector<double> y;           // main value of each point
    std::vector<std::string> labels; // time text of each point
    // Buffer position of each point when decimated (empty when one-to-one).
    std::vector<std::int64_t> positions;
    // Points of the recorder's largest and smallest sample: their buffer
    // positions when one-to-one.
    std::int64_t maxPoint = 0;
    std::int64_t minPoint = 0;

    std::int64_t points() const { return static_cast<std::int64_t>(y.size()); }
};

// The graph of the whole buffer; extremes are the recorder's largest and
// smallest sample (positions outside the buffer are taken as 0).
ViewerGraph BuildViewerGraph(const SampleBuffer& buffer, const Extremes& extremes);

// The graph the viewer keeps while hidden: the first count samples, one to one.
ViewerGraph FirstSamplesGraph(const SampleBuffer& buffer, int count);

} // namespace ostrel
