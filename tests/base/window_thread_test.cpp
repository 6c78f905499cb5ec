#include "base/busy_flag.h"
#include "base/window_thread.h"

#include <gtest/gtest.h>

#include <thread>

namespace ostrel {
namespace {

#ifdef OSTREL_THREAD_CHECKS
// The death statements run in a child process, so the window thread set
// there does not leak into the other tests.
TEST(WindowThreadDeathTest, WindowOnlyStateTouchedFromAnotherThreadStopsTheProgram) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            SetWindowThread();
            BusyFlag busy;
            busy.set(true); // the window thread itself may
            std::thread other([&busy] { busy.set(false); });
            other.join();
        },
        "BusyFlag used off the window thread");
}
#endif

TEST(WindowThread, EveryThreadPassesUntilAWindowThreadIsSet) {
    bool elsewhere = false;
    std::thread other([&] { elsewhere = OnWindowThread(); });
    other.join();
    EXPECT_TRUE(elsewhere);
    EXPECT_TRUE(OnWindowThread());
}

} // namespace
} // namespace ostrel
