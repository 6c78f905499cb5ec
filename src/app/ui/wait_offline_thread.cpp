#include "app/ui/wait_offline_thread.h"

#include "base/hand_over.h"
#include "link/auto_reset_event.h"

namespace ostrel {

TWaitOffLineThread::TWaitOffLineThread(AutoResetEvent& cableLostEvent, HandOver& handOver,
                                       std::function<void()> onCableLost)
    : m_cableLostEvent(cableLostEvent), m_handOver(handOver), m_onCableLost(std::move(onCableLost)),
      m_thread([this] { execute(); }) {}

TWaitOffLineThread::~TWaitOffLineThread() {
    terminate();
    join();
}

void TWaitOffLineThread::join() {
    if (m_thread.joinable())
        m_thread.join();
}

void TWaitOffLineThread::execute() {
    while (!m_terminated) {
        if (!m_cableLostEvent.wait())
            return; // events shut down: the program ends
        if (m_terminated)
            return;
        if (!m_handOver.run(m_onCableLost))
            return;
    }
}

} // namespace ostrel
