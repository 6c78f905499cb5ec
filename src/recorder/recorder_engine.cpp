#include "recorder/recorder_engine.h"

#include "base/number_format.h"

#include <algorithm>

namespace ostrel {

int IntervalForSeconds(int seconds) {
    if (seconds <= 0)
        return kFullSpeedMs;
    return std::min(seconds, kMaxIntervalSeconds) * 1000;
}

int SecondsForInterval(int intervalMs) {
    return intervalMs == kFullSpeedMs ? 0 : intervalMs / 1000;
}

IntervalEntry ReadIntervalEntry(std::string_view text, int* seconds) {
    double value = 0.0;
    if (!ParseReal(text, &value))
        return IntervalEntry::NotANumber;
    int whole = 0;
    if (!ParseInteger(text, &whole) || whole < 1 || whole > kMaxIntervalSeconds)
        return IntervalEntry::OutOfRange;
    *seconds = whole;
    return IntervalEntry::Seconds;
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
    m_statistics = SampleStatistics{};
    m_gapsBefore.clear();
}

void RecorderEngine::markGapBefore(std::int64_t position) {
    if (position > 0 && position < count() && !gapBefore(position))
        m_gapsBefore.insert(std::upper_bound(m_gapsBefore.begin(), m_gapsBefore.end(), position),
                            position);
}

bool RecorderEngine::gapBefore(std::int64_t position) const {
    return std::binary_search(m_gapsBefore.begin(), m_gapsBefore.end(), position);
}

void RecorderEngine::addSample(const RecordPair& pair) {
    const std::int64_t position = count();
    m_buffer.push_back(pair);
    AccountSample(m_buffer, m_buffer.size() - 1, m_yRange, m_extremes);
    m_statistics.add(pair);
    m_lastPage = static_cast<int>(position / m_pointsPerPage + 1);
    m_viewedPage = m_lastPage;
    m_empty = false;
    m_modified = true;
}

LoadResult RecorderEngine::load(const std::string& path, const LoadProgress& progress) {
    RecorderLoad loaded = startLoad();
    ReadRecording(path, loaded, progress);
    return finishLoad(std::move(loaded));
}

RecorderLoad RecorderEngine::startLoad() const {
    RecorderLoad load;
    load.range = m_yRange;
    load.extremes = m_extremes;
    load.statistics = m_statistics;
    return load;
}

void ReadRecording(const std::string& path, RecorderLoad& load, const LoadProgress& progress) {
    // Each pair is accounted as it arrives, so that nothing long remains to
    // be done after the last progress report.
    std::size_t accounted = load.pairs.size();
    const auto account = [&] {
        for (; accounted < load.pairs.size(); ++accounted) {
            AccountSample(load.pairs, accounted, load.range, load.extremes);
            load.statistics.add(load.pairs[accounted]);
        }
    };
    load.result = LoadRecordFile(path, load.pairs, [&](std::int64_t done, std::int64_t total) {
        account();
        return !progress || progress(done, total);
    });
    account();
}

LoadResult RecorderEngine::finishLoad(RecorderLoad&& loaded) {
    const LoadResult result = loaded.result;
    if (result.status == LoadStatus::OpenError || result.status == LoadStatus::Damaged ||
        result.status == LoadStatus::Aborted)
        return result;
    m_buffer = std::move(loaded.pairs);
    m_yRange = loaded.range;
    m_extremes = loaded.extremes;
    m_statistics = std::move(loaded.statistics);
    m_lastPage = LastPageFor(count(), m_pointsPerPage);
    m_viewedPage = m_lastPage;
    m_empty = false;
    m_modified = true;
    return result;
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
