#include "import/session_statistics.h"

namespace ostrel {

SampleStatistics SessionStatisticsOf(const SessionList& session) {
    SampleStatistics statistics;
    SessionList::Reader reader(session);
    while (reader.next())
        statistics.add(reader.main(), reader.sub());
    return statistics;
}

} // namespace ostrel
