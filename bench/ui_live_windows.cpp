// The live windows at work, on the offscreen platform.
//
// ReadingToNeedles: from a reading published into the acquisition state (as
// the acquisition thread does) until the analog meter's and the comparator's
// needles stand at their new angles, sweeps included; max_block_ms is the
// longest single event those two windows kept the window thread busy with
// (max_block_cpu_ms counts only the thread's own time, without the time
// other processes took the core).
//
// LinkedCpu/R/N: the whole program linked to the simulated meter with every
// live window shown (the digital meter, the analog meter, the comparator with
// its alarm on, the data list and the recorder), for N seconds: the process's
// CPU time as a percentage of one core, threads included (window_thread_percent
// is the window thread's own share of it). R is the meter's
// pace: 4 is the default profile (about four readings a second), 200 the
// logger profile (5 ms latency, about 200 readings a second); readings counts
// what the acquisition thread published per second, wakeups the times a
// thread of the process went to sleep per second. UnlinkedCpu/N: the same
// program after 10 link and unlink cycles, left alone for N seconds.
// tools/bench-live-cpu runs them several times under Xvfb. With
// OSTREL_BENCH_CENSUS set, each measurement also prints to the error stream
// the events the program handled a second, by receiver and event type.
#include "app/ui/display_windows.h"
#include "app/ui/main_form.h"
#include "app/ui/meter_access_factory.h"
#include "app/ui/ostrel_application.h"
#include "app/ui/start_up.h"
#include "base/ui/app_windows.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace ostrel;

// Times every event delivered to the watched windows and their children.
class TimingApplication : public OstrelApplication {
  public:
    using OstrelApplication::OstrelApplication;
    std::vector<const QObject*> watched;
    double longestMs = 0;    // wall time, preemption by other processes included
    double longestCpuMs = 0; // the window thread's own time
    std::map<std::string, int>* census = nullptr; // events by receiver and type

    bool notify(QObject* receiver, QEvent* event) override {
        if (census)
            ++(*census)[std::string(receiver->metaObject()->className()) + " " +
                        receiver->objectName().toStdString() + ", event " +
                        std::to_string(static_cast<int>(event->type()))];
        if (!isWatched(receiver))
            return OstrelApplication::notify(receiver, event);
        const double wall = Milliseconds(CLOCK_MONOTONIC);
        const double cpu = Milliseconds(CLOCK_THREAD_CPUTIME_ID);
        const bool result = OstrelApplication::notify(receiver, event);
        longestMs = std::max(longestMs, Milliseconds(CLOCK_MONOTONIC) - wall);
        longestCpuMs = std::max(longestCpuMs, Milliseconds(CLOCK_THREAD_CPUTIME_ID) - cpu);
        return result;
    }

  private:
    static double Milliseconds(clockid_t clock) {
        timespec t{};
        clock_gettime(clock, &t);
        return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) * 1e-6;
    }
    bool isWatched(const QObject* object) const {
        for (; object; object = object->parent())
            if (std::find(watched.begin(), watched.end(), object) != watched.end())
                return true;
        return false;
    }
};

TimingApplication* App() {
    return static_cast<TimingApplication*>(QCoreApplication::instance());
}

void Publish(LiveState& state, std::string value) {
    {
        std::lock_guard lock(state.readingLock);
        SetField(state.reading.main.valueField, value);
        state.reading.main.valueText = std::move(value);
        state.reading.main.exponentText.assign(1, '0');
        state.reading.main.function = 0x6;
        SetField(state.reading.main.secondLabelField, "V");
    }
    state.newReadingEvent.set();
}

void ReadingToNeedles(benchmark::State& bench) {
    LiveState state;
    QWidget mainWindow;
    mainWindow.resize(800, 60);
    TDigitalMeterForm digital(state, &mainWindow);
    const LiveWindows above{&mainWindow, &digital, nullptr};
    TAnalogMeterForm analog(state, nullptr, above);
    TComparatorForm comparator(state, 4.0, 0.0, nullptr, above);
    digital.show();
    analog.show();
    comparator.show();
    state.setLinked(true);
    QCoreApplication::processEvents();
    App()->watched = {&analog, &comparator};
    App()->longestMs = 0;
    App()->longestCpuMs = 0;

    const std::string values[] = {"1.234", "3.456"};
    int n = 0;
    std::vector<double> delays;
    for (auto _ : bench) {
        const std::string& value = values[n++ % 2];
        const auto begin = std::chrono::steady_clock::now();
        Publish(state, value);
        QElapsedTimer guard;
        guard.start();
        // Sleeps until the window thread has work (the hand-overs, the sweeps'
        // timers), so that the measurement does not compete for a core.
        QTimer wake;
        wake.start(100);
        while (!(analog.state().valueText == value && comparator.valueText() == value &&
                 analog.shownAngle() == analog.state().angle &&
                 comparator.shownAngle() == comparator.angle())) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            if (guard.elapsed() > 2000) {
                bench.SkipWithError("the needles did not reach their angles");
                break;
            }
        }
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        delays.push_back(seconds);
        bench.SetIterationTime(seconds);
    }
    std::sort(delays.begin(), delays.end());
    if (!delays.empty()) {
        bench.counters["median_ms"] = delays[delays.size() / 2] * 1e3;
        bench.counters["p95_ms"] = delays[delays.size() * 95 / 100] * 1e3;
    }
    bench.counters["max_block_ms"] = App()->longestMs;
    bench.counters["max_block_cpu_ms"] = App()->longestCpuMs;
    App()->watched.clear();
    state.setLinked(false);
    digital.stopUpdateThread();
    analog.stopUpdateThread();
    comparator.stopUpdateThread();
}
BENCHMARK(ReadingToNeedles)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(200)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

// The calling thread's own CPU time.
double ThreadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

void RunEventsFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// The process's voluntary context switches so far: each is a thread going to
// sleep, to be woken again.
double Sleeps() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_nvcsw);
}

// Percentages of one core the whole process and its window thread (the
// caller) used over seconds of events, and the process's wake-ups a second.
struct CpuShare {
    double process = 0;
    double windowThread = 0;
    double wakeups = 0;
};
CpuShare CpuPercentOver(int seconds) {
    const double cpu = CpuSeconds();
    const double windowCpu = ThreadCpuSeconds();
    const double sleeps = Sleeps();
    std::map<std::string, int> census;
    if (std::getenv("OSTREL_BENCH_CENSUS"))
        App()->census = &census;
    QElapsedTimer wall;
    wall.start();
    RunEventsFor(seconds * 1000);
    const double elapsed = static_cast<double>(wall.nsecsElapsed()) * 1e-9;
    App()->census = nullptr;
    for (const auto& [what, count] : census)
        std::fprintf(stderr, "%8.1f/s %s\n", count / elapsed, what.c_str());
    return {100.0 * (CpuSeconds() - cpu) / elapsed,
            100.0 * (ThreadCpuSeconds() - windowCpu) / elapsed, (Sleeps() - sleeps) / elapsed};
}

// The program as a user starts it with --simulate, every live window shown,
// the comparator's alarm on.
struct Program {
    explicit Program(const std::string& simulation = "default") {
        std::string error;
        access = MakeMeterAccess(simulation, &error);
        session = std::make_unique<ShellSession>(*access, directory.path());
        session->showWindows();
        const AppWindows& w = session->windows();
        w.comparator->show();
        w.comparator->bbtnAlartClick();
        RunEventsFor(300);
    }
    ~Program() {
        if (session->windows().main->isLinked())
            setLinked(false);
        session->shutdown();
    }
    void setLinked(bool linked) {
        TFormMain* main = session->windows().main;
        main->findChild<QToolButton*>("sbtnLink")->setChecked(linked);
        main->sbtnLinkClick();
    }
    QTemporaryDir directory;
    std::unique_ptr<MeterAccess> access;
    std::unique_ptr<ShellSession> session;
};

void LinkedCpu(benchmark::State& bench) {
    Program program(bench.range(0) >= 100 ? "logger" : "default");
    program.setLinked(true);
    RunEventsFor(2000);
    LiveState& state = program.session->main().acquisitionState();
    for (auto _ : bench) {
        const std::uint64_t before = state.publishedCount();
        const int seconds = static_cast<int>(bench.range(1));
        const CpuShare share = CpuPercentOver(seconds);
        bench.counters["cpu_percent"] = share.process;
        bench.counters["window_thread_percent"] = share.windowThread;
        bench.counters["wakeups"] = share.wakeups;
        bench.counters["readings"] = static_cast<double>(state.publishedCount() - before) / seconds;
    }
}
BENCHMARK(LinkedCpu)
    ->Args({4, 20})
    ->Args({200, 20})
    ->ArgNames({"rate", "seconds"})
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

void UnlinkedCpu(benchmark::State& bench) {
    Program program;
    for (int i = 0; i < 10; ++i) {
        program.setLinked(true);
        RunEventsFor(400);
        program.setLinked(false);
        RunEventsFor(100);
    }
    RunEventsFor(1000);
    for (auto _ : bench)
        bench.counters["cpu_percent"] = CpuPercentOver(static_cast<int>(bench.range(0))).process;
}
BENCHMARK(UnlinkedCpu)->Arg(60)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    TimingApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
