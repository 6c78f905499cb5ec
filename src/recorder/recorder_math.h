#pragma once
// The recorder's arithmetic as pure functions: the automatic y scale, the
// tracking of the largest and smallest main value, the page layout of the
// graph, and the decimation of the whole buffer for the graphical viewer.

#include "recorder/record.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace ostrel {

// --- automatic y scale -------------------------------------------------------

struct YRange {
    float max = 100.0f;
    float min = -100.0f;
};

// Widen range for the main value v. firstSample is true for the first sample
// after a reset (count 0): the range is then set from v alone. The range only
// grows; a value that is not finite (a damaged file) leaves it unchanged.
void ScaleY(YRange& range, float v, bool firstSample);

// --- largest and smallest sample ---------------------------------------------

struct Extremes {
    int maxIndex = 0;
    int minIndex = 0;
};

// Account for the sample at position (the count before it is added) with main
// value v; valueAtMax and valueAtMin are the main values at the current
// maxIndex and minIndex (ignored for position 0). The newer sample wins a tie; the
// minimum is tested only when the maximum did not move.
void TrackExtremes(Extremes& extremes, int position, float v, float valueAtMax, float valueAtMin);

// Account the sample at a position of the buffer (already in it) in the y
// range and the extremes, as the sampling does: position 0 starts afresh.
void AccountSample(const SampleBuffer& buffer, std::size_t position, YRange& range,
                   Extremes& extremes);

// The y range and extremes of a whole buffer, as if its samples had been taken
// one by one after a reset (the accounting after a file was loaded).
void ScanBuffer(const SampleBuffer& buffer, YRange& range, Extremes& extremes);

// --- pages -------------------------------------------------------------------

inline constexpr double kBlankValue = -99999.0;
inline constexpr const char* kBlankLabel = " ";

// The page that holds the newest of count samples (1 for an empty buffer).
int LastPageFor(std::int64_t count, int pointsPerPage);

// Which buffer positions page viewedPage shows. blankPoints points at the start
// are blank; then positions firstPosition … firstPosition + filledPoints - 1.
struct PageLayout {
    int blankPoints = 0;
    std::int64_t firstPosition = 0;
    int filledPoints = 0;
};
PageLayout LayoutPage(std::int64_t count, int pointsPerPage, int lastPage, int viewedPage);

// Buffer position of a graph point of the viewed page, or -1 for a blank point.
std::int64_t PointPosition(int point, std::int64_t count, int pointsPerPage, int lastPage,
                           int viewedPage);

struct GraphPoint {
    double y = kBlankValue;
    std::string label = kBlankLabel;
};

// The pointsPerPage points of a page: main value and time text of each pair,
// blank points (y -99999.0, label one blank) where the page has no sample.
std::vector<GraphPoint> FillPage(const SampleBuffer& buffer, int pointsPerPage, int lastPage,
                                 int viewedPage);

// --- decimation for the whole-buffer view --------------------------------------

inline constexpr int kDecimationBlocks = 4096;

struct Decimation {
    bool oneToOne = true;
    // Buffer positions of the graph points in point order (empty when one-to-one:
    // point i is then position i).
    std::vector<std::int64_t> positions;
    // Graph points of the recorder's largest and smallest sample.
    std::int64_t maxPoint = 0;
    std::int64_t minPoint = 0;
};

// values[i] is the main value at buffer position i; maxPosition/minPosition are
// the recorder's largest and smallest sample. With step = n / 4096 (at least 1)
// above 1, a last sample left over alone (n mod step = 1) is dropped and each
// block of step samples gives its smallest and largest position in increasing
// order (equal: the smallest's entry first, so a flat block lists its first
// position twice). When the recorder's largest or smallest sample is not among
// the plotted positions, its point is the one of the equal value that hid it
// in its block, or (the dropped last sample) the nearest plotted one.
Decimation Decimate(std::span<const float> values, std::int64_t maxPosition,
                    std::int64_t minPosition);

// The positions of the first smallest and the first largest value of a block
// (not empty).
struct BlockExtremesResult {
    std::int64_t smallest = 0;
    std::int64_t largest = 0;
};
BlockExtremesResult BlockExtremes(std::span<const float> block);

// The main values of a buffer, in order (the input of Decimate).
std::vector<float> MainValues(const SampleBuffer& buffer);

} // namespace ostrel
