#pragma once
// The statistics of one imported session, as the import window shows them
// and ostrel-cli stats prints them for a session file.

#include "import/session_list.h"
#include "recorder/statistics.h"

#include <atomic>

namespace ostrel {

// stop, when given, is looked at every few thousand readings: once it is set
// the sum ends early, with what it had (for a caller that no longer wants it).
SampleStatistics SessionStatisticsOf(const SessionList& session,
                                     const std::atomic<bool>* stop = nullptr);

} // namespace ostrel
