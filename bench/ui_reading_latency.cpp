// From a published reading to the digital meter's repaint: the acquisition
// side publishes a new reading under readingLock and signals newReadingEvent
// (what the acquisition thread does after each complete frame); the clock
// stops when the window thread paints one of the digital meter's panels.
// Runs on the offscreen platform.
#include "app/ui/display_windows.h"
#include "window_bench.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <vector>

namespace {

using namespace ostrel;

// Notices the first paint of any widget inside the watched window.
class PaintWatch : public QObject {
  public:
    explicit PaintWatch(QWidget* window) : m_window(window) { qApp->installEventFilter(this); }
    bool painted = false;

  protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() == QEvent::Paint && object->isWidgetType()) {
            auto* widget = static_cast<QWidget*>(object);
            if (widget == m_window || m_window->isAncestorOf(widget))
                painted = true;
        }
        return false;
    }

  private:
    QWidget* m_window;
};

void PublishedReadingToRepaint(benchmark::State& bench) {
    LiveState state;
    QWidget mainWindow;
    TDigitalMeterForm form(state, &mainWindow);
    form.show();
    state.setLinked(true);
    PaintWatch watch(&form);
    QCoreApplication::processEvents();

    int n = 0;
    std::vector<double> delays;
    for (auto _ : bench) {
        watch.painted = false;
        const auto begin = std::chrono::steady_clock::now();
        {
            std::lock_guard lock(state.readingLock);
            state.reading.main.valueText = std::to_string(1000 + (n++ % 9000));
            SetField(state.reading.main.valueField, state.reading.main.valueText);
            state.reading.lowBattery = (n % 2) != 0;
        }
        state.newReadingEvent.set();
        QElapsedTimer guard;
        guard.start();
        while (!watch.painted) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
            if (guard.elapsed() > 2000) {
                bench.SkipWithError("the digital meter did not repaint");
                break;
            }
        }
        const auto end = std::chrono::steady_clock::now();
        const double seconds = std::chrono::duration<double>(end - begin).count();
        delays.push_back(seconds);
        bench.SetIterationTime(seconds);
    }
    if (!delays.empty()) {
        std::sort(delays.begin(), delays.end());
        bench.counters["median_us"] = delays[delays.size() / 2] * 1e6;
        bench.counters["p95_us"] = delays[delays.size() * 95 / 100] * 1e6;
    }
    state.setLinked(false);
    form.stopUpdateThread();
}
BENCHMARK(PublishedReadingToRepaint)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(500)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv) {
    return ostrel::RunWindowBenchmarks(argc, argv);
}
