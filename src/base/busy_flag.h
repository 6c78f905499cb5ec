#pragma once
// The process-wide busy flag: set while a record-file load, a session-file load
// or an import runs; the progress dialog's Abort clears it and the running
// operation stops when it sees it cleared. Window thread only.

#include "base/window_thread.h"

namespace ostrel {

inline bool& BusyFlag() {
    CheckWindowThread("BusyFlag");
    static bool flag = false;
    return flag;
}

} // namespace ostrel
