// Latency of the reading distribution: from the publication of a reading in
// the acquisition state to the end of the digital meter's window step on a
// stand-in window thread (wake-up, copy, follower signals, hand-over).
#include "displays/update_threads.h"

#include <benchmark/benchmark.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace {

using namespace ostrel;

class WindowThread {
public:
    WindowThread() : m_thread([this] { loop(); }) {}
    ~WindowThread() {
        {
            std::lock_guard lock(m_mutex);
            m_quit = true;
        }
        m_cv.notify_all();
        m_thread.join();
    }
    HandOver::Poster poster() {
        return [this](HandOver::Routine r) {
            {
                std::lock_guard lock(m_mutex);
                m_queue.push_back(std::move(r));
            }
            m_cv.notify_all();
        };
    }

private:
    void loop() {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_cv.wait(lock, [this] { return m_quit || !m_queue.empty(); });
            if (m_quit) return;
            auto r = std::move(m_queue.front());
            m_queue.pop_front();
            lock.unlock();
            r();
            lock.lock();
        }
    }
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::deque<HandOver::Routine> m_queue;
    bool m_quit = false;
    std::thread m_thread;
};

void BM_PublishToDigitalMeterStep(benchmark::State& bench) {
    AcquisitionState state;
    state.setLinked(true);
    WindowThread window;
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
