// The graphical recorder window at scale (offscreen unless QT_QPA_PLATFORM
// says otherwise), with its data list shown:
// - one sample while recording (snapshot, buffer, temporary file, extremes,
//   graph append and redraw, data list line, status bar) with 10^3 and 10^6
//   samples already in the buffer;
// - opening a 1,000,000-entry ".g53" file into the recorder (progress dialog,
//   data list filled) against `ostrel-cli convert` of the same file to CSV,
//   and the peak memory of the open against the file's size;
// - the longest gap between two ticks of a 1 ms timer on the window thread
//   while a file loads and while samples are taken.
#include "base/ui/message_box.h"
#include "base/ui/message_dialogs.h"
#include "displays/ui/data_list_form.h"
#include "recorder/record_file.h"
#include "recorder/sample_conversion.h"
#include "recorder/ui/graphical_form.h"
#include "window_bench.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <sys/resource.h>

namespace {

using namespace ostrel;

constexpr std::int64_t kMillion = 1'000'000;

RecordPair SamplePair(std::int64_t i) {
    RecordPair p;
    const std::int64_t ms = i * 500;
    const std::string time = FormatSampleTime(int(ms / 3600000 % 24), int(ms / 60000 % 60),
                                              int(ms / 1000 % 60), int(ms / 100 % 10));
    std::string text = std::to_string(i % 4000);
    text += ".5";
    p.hasSub = i % 2 == 0 ? 1 : 0;
    StoreField(p.main.valueText, text);
    StoreField(p.main.exponentText, "-3");
    p.main.function = 0x6;
    StoreField(p.main.timeText, time);
    StoreField(p.main.dataText, text);
    StoreField(p.main.unitText, "m");
    StoreField(p.main.functionText, "V");
    StoreField(p.main.modeText, "DC");
    p.main.value = static_cast<float>(i % 4000) * 1e-3f;
    if (p.hasSub) {
        StoreField(p.sub.dataText, "50.00");
        StoreField(p.sub.functionText, "Hz");
        p.sub.function = 0x400;
        p.sub.value = 50.0f;
    }
    return p;
}

// A record file of n entries in a scratch directory.
class RecordFile {
  public:
    explicit RecordFile(std::int64_t n) : m_path(m_dir.filePath("input.g53")) {
        RecordFileWriter writer;
        if (!writer.open(m_path.toStdString()))
            std::abort();
        for (std::int64_t i = 0; i < n; ++i)
            writer.append(SamplePair(i));
        if (!writer.commit(false))
            std::abort();
    }
    const QString& path() const { return m_path; }
    QString scratch(const char* name) const { return m_dir.filePath(name); }
    double bytes() const { return double(std::filesystem::file_size(m_path.toStdString())); }

  private:
    QTemporaryDir m_dir;
    QString m_path;
};

// The recorder with its data list and progress dialog, shown, linked to a
// state whose reading the benchmark publishes.
class Recorder {
  public:
    Recorder() : form(state, dir.path()) {
        TGraphicalForm::Collaborators with;
        with.dataList = &dataList;
        with.progress = &progress;
        form.setCollaborators(with);
        form.resize(1000, 640);
        form.show();
        dataList.resize(340, 400);
        dataList.show();
        state.setLinked(true);
        state.setLinkAlive(true);
        QCoreApplication::processEvents();
    }
    void publish(std::int64_t i) {
        MeterReading r;
        r.main.valueText = std::to_string(i % 997);
        r.main.valueText += ".25";
        r.main.exponentText.assign(1, '0');
        r.main.function = 6;
        SetField(r.main.valueField, r.main.valueText);
        SetField(r.main.secondLabelField, std::string(1, 'V'));
        std::lock_guard lock(state.readingLock);
        state.reading = std::move(r);
    }

    QTemporaryDir dir;
    AcquisitionState state;
    TDataStringGridForm dataList;
    TMsgForm progress;
    TGraphicalForm form;
};

// Largest gap between the ticks of a 1 ms timer on the window thread.
class TickGap {
  public:
    TickGap() {
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout,
                         [this] { m_longest = std::max(m_longest, m_clock.restart()); });
        m_clock.start();
        m_timer.start();
    }
    qint64 longestMs() const { return m_longest; }

  private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_longest = 0;
};

const RecordFile& MillionFile() {
    static const RecordFile file(kMillion);
    return file;
}

// A recorder recording, with n samples in its buffer (opened from a file).
Recorder& RecordingWith(std::int64_t n) {
    static std::map<std::int64_t, std::unique_ptr<Recorder>> recorders;
    auto& slot = recorders[n];
    if (!slot) {
        slot = std::make_unique<Recorder>();
        if (n == kMillion)
            slot->form.openFile(MillionFile().path());
        else
            slot->form.openFile(RecordFile(n).path());
        slot->form.findChild<QToolButton*>(QStringLiteral("sbtnRecordStart"))->click();
        // The benchmark takes the ticks.
        slot->form.findChild<QTimer*>(QStringLiteral("TimerLogger"))->stop();
    }
    return *slot;
}

void BM_SampleWhileRecording(benchmark::State& bench) {
    Recorder& r = RecordingWith(bench.range(0));
    std::int64_t i = 0;
    for (auto _ : bench) {
        r.publish(i++);
        r.form.TimerLoggerTimer();
        // The data list's line and the graph's redraw come through the loop.
        QCoreApplication::processEvents();
    }
    bench.counters["buffer"] = double(r.form.engine().count());
}
BENCHMARK(BM_SampleWhileRecording)
    ->Arg(1000)
    ->Arg(kMillion)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly();

void BM_OpenMillionIntoRecorder(benchmark::State& bench) {
    const RecordFile& file = MillionFile();
    rusage before{};
    ::getrusage(RUSAGE_SELF, &before);
    qint64 longestGap = 0;
    for (auto _ : bench) {
        auto r = std::make_unique<Recorder>();
        TickGap gap;
        if (!r->form.openFile(file.path()) || r->form.engine().count() != kMillion)
            bench.SkipWithError("open failed");
        longestGap = std::max(longestGap, gap.longestMs());
        bench.PauseTiming();
        r.reset();
        bench.ResumeTiming();
    }
    rusage after{};
    ::getrusage(RUSAGE_SELF, &after);
    // Peak resident memory of the open over what the process held before it.
    bench.counters["peak_rss_growth_per_file_byte"] =
        double(after.ru_maxrss - before.ru_maxrss) * 1024.0 / file.bytes();
    bench.counters["longest_tick_gap_ms"] = double(longestGap);
}
BENCHMARK(BM_OpenMillionIntoRecorder)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_CliConvertMillionToCsv(benchmark::State& bench) {
    const RecordFile& file = MillionFile();
    const QString out = file.scratch("million.csv");
    for (auto _ : bench) {
        QProcess cli;
        cli.start(QStringLiteral(OSTREL_CLI),
                  {QStringLiteral("convert"), file.path(), QStringLiteral("-o"), out});
        if (!cli.waitForFinished(-1) || cli.exitCode() != 0)
            bench.SkipWithError("ostrel-cli convert failed");
    }
}
BENCHMARK(BM_CliConvertMillionToCsv)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_LongestTickGapWhileRecording(benchmark::State& bench) {
    Recorder& r = RecordingWith(kMillion);
    qint64 longest = 0;
    std::int64_t i = 0;
    for (auto _ : bench) {
        // Two seconds of samples every 10 ms with a million in the buffer.
        TickGap gap;
        QTimer sampler;
        QObject::connect(&sampler, &QTimer::timeout, [&] {
            r.publish(i++);
            r.form.TimerLoggerTimer();
        });
        sampler.start(10);
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 2000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        longest = std::max(longest, gap.longestMs());
    }
    bench.counters["longest_tick_gap_ms"] = double(longest);
}
BENCHMARK(BM_LongestTickGapWhileRecording)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

} // namespace

int main(int argc, char** argv) {
    // Nobody answers message boxes here.
    return ostrel::RunWindowBenchmarks(argc, argv, [] {
        ostrel::SetMessageAnswerer([](const ostrel::MessageRequest& request) {
            return request.kind == ostrel::MessageKind::AutoContinue ? 6 : int(QMessageBox::Ok);
        });
    });
}
