#include "recorder/recording_gap.h"

#include "base/string_table.h"

#include <cstdio>

namespace ostrel {
namespace {

constexpr int kLinkLostText = 7214;
constexpr int kLinkedAgainText = 7215;

} // namespace

bool GapWatch::linkLost(WallClock::time_point now) {
    if (m_from)
        return false;
    m_from = m_lastSample.value_or(now);
    return true;
}

std::optional<RecordingGap> GapWatch::sampleTaken(WallClock::time_point at) {
    m_lastSample = at;
    if (!m_from)
        return std::nullopt;
    const RecordingGap gap{*m_from, at};
    m_from.reset();
    return gap;
}

std::string LossNotice(WallClock::time_point when) {
    return FormatText(kLinkLostText, {MomentText(when)});
}

std::string GapNotice(const RecordingGap& gap) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.1f",
                  std::chrono::duration<double>(gap.to - gap.from).count());
    return FormatText(kLinkedAgainText, {MomentText(gap.to), seconds, MomentText(gap.from)});
}

} // namespace ostrel
