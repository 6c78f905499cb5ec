#pragma once
// The graphical recorder's state without its window: the sample buffer, the
// counters that follow it (count, pages, extremes, y range), the empty and
// modified flags, and the acquisition interval. The window drives it and
// shows what it holds; every rule about the numbers lives here.

#include "recorder/record.h"
#include "recorder/record_file.h"
#include "recorder/recorder_math.h"
#include "recorder/statistics.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ostrel {

inline constexpr int kPointsPerPage = 200;
inline constexpr int kFullSpeedMs = 500;
// The longest custom interval whose milliseconds still fit a 32-bit timer
// interval (24 days and a bit).
inline constexpr int kMaxIntervalSeconds = 2147483;

// Logger interval in milliseconds for the interval option's seconds: 0 is
// "Full Speed" (500 ms); anything else is limited to 1 … kMaxIntervalSeconds.
int IntervalForSeconds(int seconds);
// The option's seconds for an interval: 0 for Full Speed, else interval / 1000.
int SecondsForInterval(int intervalMs);

// What the user typed as a custom interval: a whole number of seconds from 1
// to kMaxIntervalSeconds (blanks around it allowed), stored in *seconds; a
// number that is none of those (0, -5, 2.5, 1E9); or no number at all.
enum class IntervalEntry { Seconds, OutOfRange, NotANumber };
IntervalEntry ReadIntervalEntry(std::string_view text, int* seconds);

// A record file read for the recorder but not yet its own: the pairs, each
// accounted as if it had been sampled, and how the reading ended.
struct RecorderLoad {
    LoadResult result;
    SampleBuffer pairs;
    YRange range;
    Extremes extremes;
    SampleStatistics statistics;
};

class RecorderEngine {
  public:
    explicit RecorderEngine(int pointsPerPage = kPointsPerPage);

    // Back to the start: empty buffer (its memory freed), counters and flags
    // reset, y range 100 … -100.
    void reset();

    // Account one new sample (steps of a logger tick or a manual click): the
    // y range widens with its main value, it joins the buffer, the extremes
    // follow it, and the last page becomes the viewed page.
    void addSample(const RecordPair& pair);

    // Load a record file into the (empty) buffer and account every pair as if
    // it had been sampled. The progress callback may stop the load: the pairs
    // read so far are then dropped and the recorder stays as it was.
    LoadResult load(const std::string& path, const LoadProgress& progress = {});
    // The same in three steps, so that the reading can run off the window
    // thread: startLoad() takes the recorder's counters, ReadRecording (below)
    // reads and accounts the file without touching the recorder, and
    // finishLoad() makes the result the recorder's (nothing changes when the
    // load failed or was aborted). The buffer must be empty.
    RecorderLoad startLoad() const;
    LoadResult finishLoad(RecorderLoad&& loaded);

    // The buffer was saved: nothing is unsaved any more.
    void markSaved();

    const SampleBuffer& buffer() const { return m_buffer; }
    std::int64_t count() const { return static_cast<std::int64_t>(m_buffer.size()); }
    int pointsPerPage() const { return m_pointsPerPage; }
    int lastPage() const { return m_lastPage; }
    int viewedPage() const { return m_viewedPage; }
    bool empty() const { return m_empty; }
    bool modified() const { return m_modified; }
    // Samples that would be lost at exit: a buffer that holds samples not saved.
    bool hasUnsavedSamples() const { return !m_empty && m_modified && count() > 0; }
    const YRange& yRange() const { return m_yRange; }
    const Extremes& extremes() const { return m_extremes; }
    // Statistics of the whole buffer, kept up to date sample by sample.
    const SampleStatistics& statistics() const { return m_statistics; }

    // A time without samples (a lost link) lies before the sample at
    // position: graphs break their line there. Kept while the buffer lives,
    // not in its files.
    void markGapBefore(std::int64_t position);
    bool gapBefore(std::int64_t position) const;

    // --- pages ---------------------------------------------------------------
    // False (and nothing changes) on the first or last page respectively.
    bool pageUp();
    bool pageDown();
    void showFirstPage() { m_viewedPage = 1; }
    void showLastPage() { m_viewedPage = m_lastPage; }
    // The points of the viewed page.
    std::vector<GraphPoint> pagePoints() const;
    // Buffer position of a point of the viewed page, -1 for a blank point.
    std::int64_t positionOfPoint(int point) const;

    // --- interval option -----------------------------------------------------
    int interval() const { return m_interval; }
    bool manual() const { return m_manual; }
    // Take the interval dialog's answer.
    void setIntervalOption(bool manual, int seconds);

  private:
    SampleBuffer m_buffer;
    int m_pointsPerPage;
    int m_lastPage = 1;
    int m_viewedPage = 1;
    bool m_empty = true;
    bool m_modified = false;
    YRange m_yRange;
    Extremes m_extremes;
    SampleStatistics m_statistics;
    std::vector<std::int64_t> m_gapsBefore; // ascending
    int m_interval = kFullSpeedMs;
    bool m_manual = false;
};

// Read the record file at path into load (started by RecorderEngine::startLoad).
// Touches nothing else: safe on a worker thread.
void ReadRecording(const std::string& path, RecorderLoad& load, const LoadProgress& progress = {});

} // namespace ostrel
