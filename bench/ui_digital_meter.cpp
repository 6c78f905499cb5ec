// Latency from the publication of a reading to the digital meter's repaint of
// its value panel, through the update thread and the window thread's event
// loop (offscreen platform unless QT_QPA_PLATFORM says otherwise).
#include "displays/ui/digital_meter_form.h"
#include "window_bench.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QLabel>

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

using namespace ostrel;

class PaintCounter : public QObject {
  public:
    long paints = 0;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

void BM_PublishToValuePanelRepaint(benchmark::State& bench) {
    LiveState state;
    state.setLinked(true);
    QWidget mainWindow;
    mainWindow.resize(800, 60);
    TDigitalMeterForm form(state, &mainWindow);
    form.show();
    PaintCounter counter;
    form.findChild<QLabel*>(QStringLiteral("DataPanel"))->installEventFilter(&counter);
    QCoreApplication::processEvents();
    int i = 0;
    for (auto _ : bench) {
        const long before = counter.paints;
        {
            std::lock_guard lock(state.readingLock);
            state.reading.main.valueText = (i++ % 2) ? "1.234" : "5.678";
        }
        state.newReadingEvent.set();
        while (counter.paints == before)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    form.stopUpdateThread();
}
BENCHMARK(BM_PublishToValuePanelRepaint)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly();

} // namespace

int main(int argc, char** argv) {
    return ostrel::RunWindowBenchmarks(argc, argv);
}
