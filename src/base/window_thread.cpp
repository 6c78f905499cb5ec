#include "base/window_thread.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace ostrel {
namespace {

std::atomic<std::thread::id> g_windowThread{};

} // namespace

void SetWindowThread() {
    g_windowThread.store(std::this_thread::get_id());
}

bool OnWindowThread() {
    const std::thread::id id = g_windowThread.load();
    return id == std::thread::id() || id == std::this_thread::get_id();
}

void FailOffWindowThread(const char* what) {
    std::fprintf(stderr, "ostrel: %s used off the window thread\n", what);
    std::abort();
}

} // namespace ostrel
