#pragma once
// The statistics of one imported session, as the import window shows them
// and ostrel-cli stats prints them for a session file.

#include "import/session_list.h"
#include "recorder/statistics.h"

namespace ostrel {

SampleStatistics SessionStatisticsOf(const SessionList& session);

} // namespace ostrel
