#pragma once
// The gaps of a recording that goes on across lost links: a gap runs from
// the last sample taken before the link was lost (or from the loss, when no
// sample came before it) to the first sample taken after the link came back.
// A link that fails again and again meanwhile (a meter that stays silent)
// makes one gap. The command line says how long it was; a graph shows it as
// a gap, not as a line across it.

#include "recorder/trigger.h"

#include <optional>
#include <string>

namespace ostrel {

struct RecordingGap {
    WallClock::time_point from;
    WallClock::time_point to;
};

class GapWatch {
  public:
    // The link was lost at now; true when this opens a gap (the first loss
    // since the last sample).
    bool linkLost(WallClock::time_point now);
    // A sample taken at `at`: the gap it closes, if one is open.
    std::optional<RecordingGap> sampleTaken(WallClock::time_point at);
    bool open() const { return m_from.has_value(); }

  private:
    std::optional<WallClock::time_point> m_lastSample;
    std::optional<WallClock::time_point> m_from;
};

// "The link to the meter was lost at …" and "Linked again at …: no samples
// for … seconds, since …".
std::string LossNotice(WallClock::time_point when);
std::string GapNotice(const RecordingGap& gap);

} // namespace ostrel
