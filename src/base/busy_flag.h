#pragma once
// BusyFlag: set while a record-file load, a session-file load or an import
// runs; the progress dialog's Abort clears it and the running operation stops
// when it sees it cleared. The program has one, owned by the main window and
// handed at start-up to the windows that set, clear or read it. Window thread
// only.

#include "base/window_thread.h"

namespace ostrel {

class BusyFlag {
  public:
    BusyFlag() = default;
    BusyFlag(const BusyFlag&) = delete;
    BusyFlag& operator=(const BusyFlag&) = delete;

    bool isSet() const {
        CheckWindowThread("BusyFlag");
        return m_busy;
    }
    void set(bool busy) {
        CheckWindowThread("BusyFlag");
        m_busy = busy;
    }
    // The flag itself, for an engine that keeps it as part of its own state
    // (ImportEngine) and is used on the window thread alone.
    bool& storage() { return m_busy; }

  private:
    bool m_busy = false;
};

} // namespace ostrel
