#pragma once
// What a statistics panel shows, as texts: runs of samples (a whole
// recording, a zoomed range, what a graph shows, a session), each with a row
// per display. The figures are computed and written by the statistics of the
// samples; a panel only lays them out.

#include <array>
#include <string>

namespace ostrel {

// Count, mean, standard deviation, minimum with its time, maximum with its
// time, time span, substitute values (overloads).
inline constexpr int kStatisticsColumns = 7;

struct StatisticsRow {
    std::array<std::string, kStatisticsColumns> figures;
    // The samples hold more than one function: the figures mix their units.
    bool mixedFunctions = false;
};

struct StatisticsRun {
    std::string name; // "all 1200 samples"
    StatisticsRow main;
    StatisticsRow sub;
};

} // namespace ostrel
