// The import window with the simulated logger memory (offscreen platform
// unless QT_QPA_PLATFORM says otherwise):
// - a download of a 1 MiB image at the logger profile's default latency: the
//   longest the window thread goes without running its events, and how long
//   Abort takes to end the download;
// - a maximal image (5,592,398 single readings in one session, /1; or two
//   sessions, a million readings and the rest, /2) downloaded at latency=0, decoded and shown,
//   against `ostrel-cli decode-image` of the same image in the same run, with
//   the listing alone (cli_decode_s, peak memory) and with its session file
//   (cli_decode_slr_s), and the times to show the page again for the other
//   display (switch_ms) and to page to the other session and back (page_ms);
//   the decoding and showing also in processor seconds against those of
//   `decode-image` (cpu_ratio), which depend less on what else runs. Those
//   take the download's own time away from the whole, and the download is
//   most of it: so the window is also timed from the meter's answer to the
//   last block until the first page is painted (shown_s, shown_ratio), in
//   processor seconds of the process (shown_cpu_ratio) and of the window
//   thread alone (window_thread_cpu_s);
// - a memory of 999 small sessions (/999), the same way: its hundreds of
//   pages are made on the window thread.
// Run one benchmark at a time (--benchmark_filter) to see each one's own peak.
#include "base/busy_flag.h"
#include "base/ui/message_box.h"
#include "base/ui/message_dialogs.h"
#include "graph/ui/export_dialog.h"
#include "graph/ui/line_colour_dialog.h"
#include "import/logger_download.h"
#include "import/logger_image_builder.h"
#include "import/session_conversion.h"
#include "import/ui/import_form.h"
#include "simulator/simulated_logger.h"
#include "simulator/simulation_options.h"
#include "window_bench.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <pthread.h>
#include <sys/resource.h>

namespace {

using namespace ostrel;

std::vector<std::uint8_t> SingleSessionImage(std::size_t bytes) {
    LoggerSessionData s{2, 0, 0x03, {}};
    s.values.resize((bytes - 6 - 14) / 3);
    for (std::size_t i = 0; i < s.values.size(); ++i) {
        s.values[i].raw = static_cast<std::uint16_t>(i % 10000);
        s.values[i].range = static_cast<std::uint8_t>(i % 4);
        s.values[i].flags = (i % 97 == 0) ? 0x4 : (i % 5 == 0 ? 0x8 : 0);
    }
    return *BuildLoggerImage({s});
}

std::unique_ptr<SimulatedMeter> Meter(const std::string& simulation,
                                      const std::vector<std::uint8_t>& image) {
    auto meter = std::make_unique<SimulatedMeter>(*ParseSimulationOptions(simulation, nullptr));
    meter->setLoggerResponder(std::make_shared<SimulatedLoggerMemory>(image, LoggerFaults{}));
    return meter;
}

double Seconds(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// The logger memory of a simulated meter that notes when it last answered:
// the wall clock, the process's processor time and that of the thread that
// made it (the window thread).
class TimedLoggerMemory final : public LoggerResponder {
  public:
    explicit TimedLoggerMemory(const std::vector<std::uint8_t>& image)
        : m_memory(image, LoggerFaults{}) {
        pthread_getcpuclockid(pthread_self(), &m_windowThread);
    }
    std::vector<InputReport> answer(std::uint8_t c1, std::uint8_t c2) override {
        auto reports = m_memory.answer(c1, c2);
        wall = Seconds(CLOCK_MONOTONIC);
        processCpu = Seconds(CLOCK_PROCESS_CPUTIME_ID);
        windowCpu = Seconds(m_windowThread);
        return reports;
    }
    clockid_t windowThread() const { return m_windowThread; }
    std::atomic<double> wall{0}, processCpu{0}, windowCpu{0};

  private:
    SimulatedLoggerMemory m_memory;
    clockid_t m_windowThread{};
};

// Notes the first painting of a widget once ready() holds: the same clocks.
class FirstPaint final : public QObject {
  public:
    FirstPaint(QWidget* widget, clockid_t windowThread, std::function<bool()> ready)
        : m_windowThread(windowThread), m_ready(std::move(ready)) {
        widget->installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && wall == 0 && m_ready()) {
            wall = Seconds(CLOCK_MONOTONIC);
            processCpu = Seconds(CLOCK_PROCESS_CPUTIME_ID);
            windowCpu = Seconds(m_windowThread);
        }
        return QObject::eventFilter(watched, event);
    }
    double wall = 0, processCpu = 0, windowCpu = 0;

  private:
    clockid_t m_windowThread;
    std::function<bool()> m_ready;
};

struct Window {
    explicit Window(HidBackend& backend) {
        ImportWindowServices services{&backend, &progress, &exportDialog, &lineColour, &busy};
        progress.setBusyFlag(&busy);
        form = std::make_unique<TFormImport>(services);
    }
    ~Window() { form.reset(); }
    bool idle() const { return !form->importRunning() && !busy.isSet(); }
    BusyFlag busy;
    TMsgForm progress;
    TDlgExportForm exportDialog;
    TdlgGraphLineColor lineColour;
    std::unique_ptr<TFormImport> form;
};

// Run the window thread's event loop until pred holds, looking every 5 ms;
// the longest gap between two looks goes into stall (milliseconds): the
// longest the window thread was kept from its events.
template <class Pred> void RunUntil(Pred pred, double* stall = nullptr) {
    QEventLoop loop;
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0;
    QTimer look;
    look.setTimerType(Qt::PreciseTimer);
    QObject::connect(&look, &QTimer::timeout, &loop, [&] {
        const qint64 now = clock.elapsed();
        if (stall)
            *stall = std::max(*stall, static_cast<double>(now - last));
        last = now;
        if (pred())
            loop.quit();
    });
    look.start(5);
    if (!pred())
        loop.exec();
}

void BM_DownloadKeepsTheWindowResponsive(benchmark::State& state) {
    const auto image = SingleSessionImage(1u << 20);
    double maxStall = 0, abortMs = 0;
    for (auto _ : state) {
        auto meter = Meter("logger", image); // the profile's default latency
        Window w(*meter);
        ScopedMessageAnswerer yes(QMessageBox::Yes);
        w.form->sbtnImportClick();
        RunUntil([&] { return w.progress.isVisible(); }, &maxStall);
        QElapsedTimer downloading;
        downloading.start();
        RunUntil([&] { return downloading.elapsed() > 3000; }, &maxStall);
        QElapsedTimer aborting;
        aborting.start();
        w.progress.findChild<QPushButton*>("bbtnAbort")->click();
        RunUntil([&] { return w.idle(); }, &maxStall);
        abortMs = std::max(abortMs, static_cast<double>(aborting.nsecsElapsed()) / 1e6);
    }
    state.counters["max_stall_ms"] = maxStall;
    state.counters["abort_ms"] = abortMs;
}
BENCHMARK(BM_DownloadKeepsTheWindowResponsive)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->UseRealTime();

double PeakRssMiB(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// Processor seconds (user + system, all threads) of this process or of its
// waited-for children so far: on a shared machine they say more than the
// wall clock, which depends on what else runs.
double CpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Seconds and peak memory (MiB) of `ostrel-cli decode-image path` with the
// arguments after it, the peak as /usr/bin/time reports it (a child forked
// from this big process would report this process's pages).
std::pair<double, double> CommandLineDecode(const std::string& path, const std::string& arguments,
                                            const QTemporaryDir& dir) {
    const std::string peakFile = dir.filePath("peak.txt").toStdString();
    QElapsedTimer clock;
    clock.start();
    const std::string command = "/usr/bin/time -f %M -o '" + peakFile + "' " + OSTREL_CLI +
                                " decode-image '" + path + "' " + arguments + " > /dev/null";
    if (std::system(command.c_str()) != 0)
        return {0, 0};
    const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    std::ifstream in(peakFile);
    double kib = 0;
    in >> kib;
    return {seconds, kib / 1024.0};
}

// A maximal image: one session, or two (for paging): a million readings,
// then the rest. The meter addresses a session only in its first 3 MiB or
// so, so a second session starts there. 999 sessions: as many as a memory
// holds, of 1000 readings each, all within those 3 MiB. Empty when it cannot
// be built.
std::vector<std::uint8_t> MaximalImage(int sessions) {
    std::vector<std::uint8_t> image;
    if (sessions == 1) {
        image = SingleSessionImage(kMaxLoggerLength);
    } else {
        const auto n = static_cast<std::size_t>(sessions);
        std::vector<LoggerSessionData> all(n, LoggerSessionData{2, 0, 0x03, {}});
        const std::size_t first = n == 2 ? 1000000 : 1000;
        for (std::size_t k = 0; k < n; ++k) {
            const std::size_t count =
                n == 2 && k == 1 ? (kMaxLoggerLength - 6 - 2 * 14) / 3 - first : first;
            for (std::size_t i = 0; i < count; ++i)
                all[k].values.push_back({static_cast<std::uint8_t>(i % 97 == 0 ? 0x4 : 0),
                                         static_cast<std::uint8_t>(i % 4),
                                         static_cast<std::uint16_t>(i % 10000)});
        }
        const auto built = BuildLoggerImage(all);
        if (!built)
            return {};
        image = *built;
    }
    image.resize(LoggerImageSize(LoggerLength(image.data())), 0);
    return image;
}

// The window thread's time for a click (milliseconds).
template <class Click> double ClickMs(Click click) {
    QElapsedTimer clock;
    clock.start();
    click();
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

// From the meter's answer to the last block until the window, shown, has
// painted the graph of its first page: seconds of the wall clock, processor
// seconds of the process and of the window thread. Zeros when no page came.
struct ShownTimes {
    double wall = 0, processCpu = 0, windowCpu = 0;
};

ShownTimes ShowInTheWindow(const std::vector<std::uint8_t>& image) {
    auto meter =
        std::make_unique<SimulatedMeter>(*ParseSimulationOptions("logger,latency=0", nullptr));
    auto memory = std::make_shared<TimedLoggerMemory>(image);
    meter->setLoggerResponder(memory);
    Window w(*meter);
    w.form->show();
    QWidget* plot = nullptr;
    for (QWidget* child :
         w.form->findChild<QWidget*>(QStringLiteral("PEGraph"))->findChildren<QWidget*>())
        if (child->inherits("QCustomPlot"))
            plot = child;
    FirstPaint painted(plot, memory->windowThread(), [&] { return w.form->sessionCount() > 0; });
    ScopedMessageAnswerer yes(QMessageBox::Yes);
    RunUntil([&] { return w.form->isVisible(); });
    w.form->sbtnImportClick();
    QElapsedTimer limit;
    limit.start();
    RunUntil([&] { return (w.idle() && painted.wall > 0) || limit.elapsed() > 120000; });
    if (painted.wall == 0)
        return {};
    return {painted.wall - memory->wall, painted.processCpu - memory->processCpu,
            painted.windowCpu - memory->windowCpu};
}

void BM_MaximalImageInTheWindow(benchmark::State& state) {
    const int sessions = static_cast<int>(state.range(0));
    const auto image = MaximalImage(sessions);
    if (image.empty()) {
        state.SkipWithError("the image cannot be built");
        return;
    }
    QTemporaryDir dir;
    const std::string path = dir.filePath("max.bin").toStdString();
    WriteLoggerImageFile(path, image);
    const std::string slr = "-o '" + dir.filePath("max.slr").toStdString() + "'";
    double window = 0, download = 0, cli = 0, cliPeak = 0, cliSlr = 0, switchMs = 0, pageMs = 0;
    double windowCpu = 0, downloadCpu = 0, cliCpu = 0;
    ShownTimes shown;
    for (auto _ : state) {
        // The download alone, on its own meter.
        {
            auto meter = Meter("logger,latency=0", image);
            QElapsedTimer clock;
            clock.start();
            const double cpu = CpuSeconds(RUSAGE_SELF);
            DownloadLoggerImage(*meter, {});
            download = static_cast<double>(clock.nsecsElapsed()) / 1e9;
            downloadCpu = CpuSeconds(RUSAGE_SELF) - cpu;
        }
        auto meter = Meter("logger,latency=0", image);
        Window w(*meter);
        ScopedMessageAnswerer yes(QMessageBox::Yes);
        QElapsedTimer clock;
        clock.start();
        const double cpu = CpuSeconds(RUSAGE_SELF);
        w.form->sbtnImportClick();
        RunUntil([&] { return w.idle(); });
        window = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        windowCpu = CpuSeconds(RUSAGE_SELF) - cpu;
        if (w.form->points() <= 0)
            state.SkipWithError("no page shown");
        // The other display chosen, then back; the other page, then back.
        auto* subData = w.form->findChild<QRadioButton*>(QStringLiteral("rbtnSubData"));
        auto* mainData = w.form->findChild<QRadioButton*>(QStringLiteral("rbtnMainData"));
        switchMs = (ClickMs([&] {
                        subData->setChecked(true);
                        w.form->rbtnSubDataClick();
                    }) +
                    ClickMs([&] {
                        mainData->setChecked(true);
                        w.form->rbtnMainDataClick();
                    })) /
                   2;
        if (sessions > 1)
            pageMs = (ClickMs([&] { w.form->sbtnPageUpClick(); }) +
                      ClickMs([&] { w.form->sbtnPageDownClick(); })) /
                     2;
        w.form.reset();
        shown = ShowInTheWindow(image);
        if (shown.wall <= 0)
            state.SkipWithError("the shown window painted no page");
        const double childrenCpu = CpuSeconds(RUSAGE_CHILDREN);
        std::tie(cli, cliPeak) = CommandLineDecode(path, "", dir);
        cliCpu = CpuSeconds(RUSAGE_CHILDREN) - childrenCpu;
        cliSlr = CommandLineDecode(path, slr, dir).first;
    }
    state.counters["window_s"] = window;
    state.counters["download_s"] = download;
    state.counters["decode_show_s"] = window - download;
    state.counters["cli_decode_s"] = cli;
    state.counters["cli_decode_slr_s"] = cliSlr;
    state.counters["time_ratio"] = cli > 0 ? (window - download) / cli : 0;
    state.counters["time_ratio_slr"] = cliSlr > 0 ? (window - download) / cliSlr : 0;
    // The same in processor time.
    state.counters["decode_show_cpu_s"] = windowCpu - downloadCpu;
    state.counters["cli_decode_cpu_s"] = cliCpu;
    state.counters["download_cpu_s"] = downloadCpu;
    state.counters["cpu_ratio"] = cliCpu > 0 ? (windowCpu - downloadCpu) / cliCpu : 0;
    // From the last block to the first page painted.
    state.counters["shown_s"] = shown.wall;
    state.counters["shown_ratio"] = cli > 0 ? shown.wall / cli : 0;
    state.counters["shown_cpu_s"] = shown.processCpu;
    state.counters["shown_cpu_ratio"] = cliCpu > 0 ? shown.processCpu / cliCpu : 0;
    state.counters["window_thread_cpu_s"] = shown.windowCpu;
    state.counters["switch_ms"] = switchMs;
    if (sessions > 1)
        state.counters["page_ms"] = pageMs;
    state.counters["window_peak_MiB"] = PeakRssMiB(RUSAGE_SELF);
    state.counters["cli_peak_MiB"] = cliPeak;
    state.counters["memory_ratio"] = cliPeak > 0 ? PeakRssMiB(RUSAGE_SELF) / cliPeak : 0;
}
BENCHMARK(BM_MaximalImageInTheWindow)
    ->Arg(1)
    ->Arg(2)
    ->Arg(999)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(10)
    ->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    return ostrel::RunWindowBenchmarks(argc, argv);
}
