// The acquisition thread's poll loop against the simulated meter without
// latency: how many polls a second the link can make when the meter answers at
// once, and how much CPU time one poll (request, three reports, decode,
// publish) costs.
#include "link/acquisition_state.h"
#include "link/frame_codec.h"
#include "link/hid_transport.h"
#include "link/tarvix_thread.h"
#include "simulator/simulated_meter.h"

#include <benchmark/benchmark.h>

#include <ctime>

namespace {

using namespace ostrel;

// CPU time of the whole process (the acquisition thread included).
double ProcessCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

SimulationOptions Options(int unplugAfter) {
    std::string error;
    return *ParseSimulationOptions("unplug,latency=0,after=" + std::to_string(unplugAfter), &error);
}

// One iteration: link, let the thread poll until the cable is pulled after
// `polls` answers, wait for its end.
void BM_PollLoop(benchmark::State& state) {
    const int polls = static_cast<int>(state.range(0));
    double cpu = 0;
    std::uint64_t answered = 0;
    for (auto _ : state) {
        SimulatedMeter meter(Options(polls));
        AcquisitionState shared;
        const double before = ProcessCpuSeconds();
        {
            TTarvixThread thread(shared, meter, nullptr);
            shared.acquisitionEndedEvent.wait();
        }
        cpu += ProcessCpuSeconds() - before;
        answered += meter.answers();
    }
    state.counters["polls/s"] =
        benchmark::Counter(static_cast<double>(answered), benchmark::Counter::kIsRate);
    state.counters["cpu_us/poll"] = cpu * 1e6 / static_cast<double>(answered);
}
BENCHMARK(BM_PollLoop)->Arg(100000)->UseRealTime()->Unit(benchmark::kMillisecond);

// One display exchange through the transport, without the thread.
void BM_DisplayExchange(benchmark::State& state) {
    std::string error;
    SimulatedMeter meter(*ParseSimulationOptions("default,latency=0", &error));
    auto device = OpenAdapter(meter);
    RawFrame raw{};
    for (auto _ : state) {
        SendCommand(*device, 0x82, 0x66);
        ReadReports(*device, raw.data(), raw.size());
        benchmark::DoNotOptimize(DecodeFrame(raw));
    }
}
BENCHMARK(BM_DisplayExchange);

} // namespace
