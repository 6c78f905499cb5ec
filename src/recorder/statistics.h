#pragma once
// Statistics of stored samples, per display: how many values, their mean and
// sample standard deviation (n - 1), the smallest and largest with their time
// texts, the time span, and how many samples held a substitute instead of a
// measured value (overload, open sensor), which are left out of the rest.
//
// Values are the stored numbers (single precision), summed in double
// precision with Welford's method, one sample at a time: a range of any
// length costs the same per sample and nothing in memory. The recorder, the
// viewer, the import window and `ostrel-cli stats` share this code.

#include "graph/statistics_table.h"
#include "recorder/record.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ostrel {

// Milliseconds of a stored time text: the recorder's time of day
// ("%3d:%02d:%02d.%1d", " 14:05:09.3", hours below 24) or a session's time
// since its start ("%d:%02d'%4.3f\"", "0:01'5.250\""); nothing for any other
// text.
std::optional<std::int64_t> TimeTextMilliseconds(std::string_view text);

// True when a stored record holds a substitute for its value: its value text
// is no plain number (an overload such as "0L" or "-OL", an open sensor
// "---" or "----", or anything else that is no number).
bool IsSubstituteValue(const TRecord& record);

// The times of a run of samples on one line: a time text earlier than the one
// before it counts as the next day. Texts that are no time are passed over.
class SampleClock {
  public:
    // The sample's moment in milliseconds from the first day's midnight (or
    // from the session's start), or nothing when its text is no time.
    std::optional<std::int64_t> place(std::string_view timeText);

  private:
    std::optional<std::int64_t> m_previous; // the moment of the sample before
    std::int64_t m_dayOffset = 0;
};

// The statistics of one display over a run of samples.
struct DisplayStatistics {
    std::int64_t count = 0;     // measured values: mean, stddev, min and max are of these
    std::int64_t overloads = 0; // substitute values, left out of the others
    std::optional<double> mean;
    std::optional<double> stddev; // sample standard deviation; needs two values
    std::optional<float> min, max;
    std::string minTime, maxTime; // stored time texts of the first smallest and largest
    std::optional<double> span;   // seconds from the first to the last sample with a time
    bool mixedFunctions = false;  // the samples hold more than one function code: mixed units
};

class DisplayAccumulator {
  public:
    // One record of this display, of the sample with that time text, at a
    // moment placed by a SampleClock.
    void add(const TRecord& record, std::string_view timeText, std::optional<std::int64_t> atMs);
    DisplayStatistics result() const;
    std::int64_t count() const { return m_count; }

  private:
    std::int64_t m_count = 0;
    std::int64_t m_overloads = 0;
    double m_mean = 0.0;
    double m_m2 = 0.0; // sum of squared differences from the mean
    float m_min = 0.0f, m_max = 0.0f;
    std::string m_minTime, m_maxTime;
    std::optional<std::int64_t> m_firstMs, m_lastMs;
    std::optional<std::uint32_t> m_function; // of the first sample
    bool m_mixed = false;
};

// Both displays of a run of samples. A sample without sub display counts for
// the main display only. The sample's time is its main record's time text.
class SampleStatistics {
  public:
    void add(const TRecord& main, const TRecord* sub);
    void add(const RecordPair& pair) { add(pair.main, pair.hasSub ? &pair.sub : nullptr); }

    const DisplayAccumulator& main() const { return m_main; }
    const DisplayAccumulator& sub() const { return m_sub; }
    std::int64_t samples() const { return m_samples; }

  private:
    SampleClock m_clock;
    DisplayAccumulator m_main;
    DisplayAccumulator m_sub;
    std::int64_t m_samples = 0;
};

// The statistics of buffer positions [first, last) (a zoomed range, a page, all).
SampleStatistics StatisticsOf(const SampleBuffer& buffer, std::size_t first, std::size_t last);

// The figures of a statistics panel: numbers with seven significant digits,
// extremes with their time texts, the span in seconds; blank where there is
// no figure (no value, or a single one for the deviation).
StatisticsRow StatisticsRowOf(const DisplayStatistics& statistics);
StatisticsRun StatisticsRunOf(std::string name, const SampleStatistics& statistics);

} // namespace ostrel
