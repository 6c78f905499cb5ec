#pragma once
// LiveState: the acquisition state together with the live windows' chain of
// wake-ups. The digital meter's update thread signals analogUpdateEvent and
// comparatorUpdateEvent after each snapshot it takes; the analog meter's and
// the comparator's update threads wait on them. The link below knows nothing
// of these windows; shutting the state down wakes these waiters as well.

#include "link/acquisition_state.h"

namespace ostrel {

struct LiveState : AcquisitionState {
    AutoResetEvent analogUpdateEvent;
    AutoResetEvent comparatorUpdateEvent;

    void shutdownEvents() override {
        AcquisitionState::shutdownEvents();
        analogUpdateEvent.shutdown();
        comparatorUpdateEvent.shutdown();
    }
};

} // namespace ostrel
