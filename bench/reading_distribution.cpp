// Latency of the reading distribution: from the publication of a reading in
// the acquisition state to the end of the digital meter's window step on a
// stand-in window thread (wake-up, copy, follower signals, hand-over).
#include "../tests/displays/fake_window_thread.h"
#include "displays/update_threads.h"

#include <benchmark/benchmark.h>

#include <condition_variable>
#include <mutex>

namespace {

using namespace ostrel;

void BM_PublishToDigitalMeterStep(benchmark::State& bench) {
    LiveState state;
    state.setLinked(true);
    testing::FakeWindowThread window;
    std::mutex mutex;
    std::condition_variable cv;
    long shown = 0;
    TDigitalMeterThread thread(
        state, window.poster(),
        [&](const MeterReading&, bool) {
            {
                std::lock_guard lock(mutex);
                ++shown;
            }
            cv.notify_all();
        },
        [] {});
    MeterReading reading;
    reading.main.valueText = "1.234";
    SetField(reading.main.valueField, "1.234");
    long expected = 0;
    for (auto _ : bench) {
        {
            std::lock_guard lock(state.readingLock);
            state.reading = reading;
        }
        state.newReadingEvent.set();
        ++expected;
        std::unique_lock lock(mutex);
        cv.wait(lock, [&] { return shown >= expected; });
    }
    thread.stop();
}
BENCHMARK(BM_PublishToDigitalMeterStep)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly();

} // namespace
