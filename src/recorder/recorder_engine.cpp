#include "recorder/recorder_engine.h"

#include <algorithm>
#include <climits>

namespace ostrel {

int IntervalForSeconds(int seconds) {
    if (seconds <= 0)
        return kFullSpeedMs;
    return std::min(seconds, kMaxIntervalSeconds) * 1000;
}

int SecondsForInterval(int intervalMs) {
    return intervalMs == kFullSpeedMs ? 0 : intervalMs / 1000;
}

RecorderEngine::RecorderEngine(int pointsPerPage) : m_pointsPerPage(std::max(1, pointsPerPage)) {}

void RecorderEngine::reset() {
    SampleBuffer().swap(m_buffer); // frees the pairs and their memory
    m_lastPage = 1;
    m_viewedPage = 1;
    m_empty = true;
    m_modified = false;
    m_yRange = YRange{};
    m_extremes = Extremes{};
}

void RecorderEngine::addSample(const RecordPair& pair) {
    const std::int64_t position = count();
    const float v = pair.main.value;
    ScaleY(m_yRange, v, position == 0);
    m_buffer.push_back(pair);
    // Positions beyond the int range would only occur past 300 GB of samples.
    const int at = static_cast<int>(std::min<std::int64_t>(position, INT_MAX));
    TrackExtremes(m_extremes, at, v,
                  m_buffer[static_cast<std::size_t>(m_extremes.maxIndex)].main.value,
                  m_buffer[static_cast<std::size_t>(m_extremes.minIndex)].main.value);
    m_lastPage = static_cast<int>(position / m_pointsPerPage + 1);
    m_viewedPage = m_lastPage;
    m_empty = false;
    m_modified = true;
}

LoadResult RecorderEngine::load(const std::string& path, const LoadProgress& progress) {
    const LoadResult result = LoadRecordFile(path, m_buffer, progress);
    if (result.status == LoadStatus::OpenError || result.status == LoadStatus::Damaged ||
        result.status == LoadStatus::Aborted)
        return result;
    accountLoaded();
    return result;
}

void RecorderEngine::accountLoaded() {
    ScanBuffer(m_buffer, m_yRange, m_extremes);
    m_lastPage = LastPageFor(count(), m_pointsPerPage);
    m_viewedPage = m_lastPage;
    m_empty = false;
    m_modified = true;
}

void RecorderEngine::markSaved() {
    m_empty = false;
    m_modified = false;
}

bool RecorderEngine::pageUp() {
    if (m_viewedPage <= 1)
        return false;
    --m_viewedPage;
    return true;
}

bool RecorderEngine::pageDown() {
    if (m_viewedPage >= m_lastPage)
        return false;
    ++m_viewedPage;
    return true;
}

std::vector<GraphPoint> RecorderEngine::pagePoints() const {
    return FillPage(m_buffer, m_pointsPerPage, m_lastPage, m_viewedPage);
}

std::int64_t RecorderEngine::positionOfPoint(int point) const {
    return PointPosition(point, count(), m_pointsPerPage, m_lastPage, m_viewedPage);
}

void RecorderEngine::setIntervalOption(bool manual, int seconds) {
    m_manual = manual;
    m_interval = IntervalForSeconds(seconds);
}

} // namespace ostrel
