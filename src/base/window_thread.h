#pragma once
// State that only the window thread may touch (the busy flag, the window
// registry, the shell geometry, the message helper) checks its caller in
// debug and test builds: a call from another thread is a race that would
// otherwise show only now and then, so it stops the program at once with the
// name of what was touched.

#include <thread>

namespace ostrel {

// Make the calling thread the window thread (the program and the window
// tests call it once, where the application object is made). Until then no
// call is checked.
void SetWindowThread();

// Whether the calling thread is the window thread (true while none is set).
bool OnWindowThread();

// Abort with a message naming what when called off the window thread; does
// nothing in builds without OSTREL_THREAD_CHECKS.
void FailOffWindowThread(const char* what);
inline void CheckWindowThread([[maybe_unused]] const char* what) {
#ifdef OSTREL_THREAD_CHECKS
    if (!OnWindowThread())
        FailOffWindowThread(what);
#endif
}

} // namespace ostrel
