#include "import/session_statistics.h"

namespace ostrel {

SampleStatistics SessionStatisticsOf(const SessionList& session, const std::atomic<bool>* stop) {
    constexpr std::size_t kLookEvery = 4096;
    SampleStatistics statistics;
    SessionList::Reader reader(session);
    for (std::size_t n = 1; reader.next(); ++n) {
        statistics.add(reader.main(), reader.sub());
        if (stop && n % kLookEvery == 0 && stop->load(std::memory_order_relaxed))
            break;
    }
    return statistics;
}

} // namespace ostrel
