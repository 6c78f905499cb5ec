// ostrel-cli record: the recorder without windows, for long unattended
// logging. It samples the live reading at the recorder's interval through the
// recorder's own sampling path, writes each sample to a journal beside the
// output before printing it (a killed run loses nothing that was printed;
// convert recovers the journal), and at the end (count, duration, Ctrl+C,
// SIGTERM, SIGHUP, a lost link, a journal that cannot be written) writes the
// output and removes the journal. A run that took no sample leaves the output
// as it was.
#include "base/string_table.h"
#include "cli/cable_access.h"
#include "cli/command.h"
#include "cli/file_checks.h"
#include "cli/live_link.h"
#include "cli/standard_output.h"
#include "recorder/recording_journal.h"
#include "recorder/sample_conversion.h"
#include "recorder/sampling.h"
#include "recorder/text_export.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <iostream>

namespace ostrel::cli {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kLowBatteryText = 8000;
constexpr int kCannotCreateJournalText = 9003;
constexpr int kJournalFailedText = 9068;
constexpr int kLeftoverJournalText = 9069;
constexpr int kOutputNotWrittenText = 9070;
constexpr int kRecordingInUseText = 9072;
constexpr int kNoSampleText = 9073;

struct RecordOptions {
    std::optional<std::string> simulate;
    double interval = 0.5; // seconds; 0.5 is the recorder's "Full Speed"
    long count = 0;        // 0: no limit
    std::optional<double> duration;
    std::string output;
};

// A line of the text export as printed: LF-ended instead of CR LF.
std::string Printed(std::string line) {
    if (line.size() >= 2 && line.compare(line.size() - 2, 2, "\r\n") == 0)
        line.replace(line.size() - 2, 2, "\n");
    return line;
}

// The line printed for a sample: its line of the text export.
std::string SampleLine(const RecordPair& pair, std::int64_t position) {
    std::string line;
    AppendExportLine(line, pair, position);
    return Printed(std::move(line));
}

Clock::duration Seconds(double seconds) {
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

class Recording {
  public:
    Recording(const RecordOptions& options, ConvertOutput kind)
        : m_options(options), m_kind(kind) {}

    int run() {
        // The output and its journal are held before the cable is touched: a
        // second recording into the same output never disturbs the first.
        switch (m_journal.create(m_options.output)) {
        case RecordingJournal::Start::Created:
            break;
        case RecordingJournal::Start::InUse:
            std::cerr << NumberedLine(kErrorCaption, kRecordingInUseText, {m_journal.busyPath()})
                      << '\n';
            return kExitFailure;
        case RecordingJournal::Start::Failed:
            std::cerr << NumberedLine(kErrorCaption, kCannotCreateJournalText) << " ("
                      << m_options.output << ".TMP: " << std::strerror(errno) << ")\n";
            return kExitFailure;
        }
        if (!m_link.start(m_options.simulate, false)) {
            m_journal.discard();
            return kExitFailure;
        }
        for (const std::string& leftover : m_journal.leftovers())
            std::cerr << NumberedLine(kWarningCaption, kLeftoverJournalText, {leftover}) << '\n';
        m_printing = Print(Printed(std::string(kExportHeader))) && FlushOutput();

        const int status = sample();
        m_link.stop();
        return finish(status);
    }

  private:
    // The logger timer: a tick every interval, from the start on; ticks that
    // could not be kept (the machine slept) are dropped, not caught up.
    int sample() {
        const Clock::time_point start = Clock::now();
        const Clock::duration interval = Seconds(m_options.interval);
        const Clock::time_point end =
            m_options.duration ? start + Seconds(*m_options.duration) : Clock::time_point::max();
        Clock::time_point tick = start + interval;
        for (;;) {
            switch (m_link.wait(std::min(tick, end))) {
            case LiveLink::Event::Stop:
                return 0;
            case LiveLink::Event::Lost:
                return kExitFailure;
            case LiveLink::Event::Reading:
            case LiveLink::Event::Deadline:
                break;
            }
            const Clock::time_point now = Clock::now();
            if (now >= end)
                return 0;
            if (now < tick)
                continue;
            tick += interval;
            if (tick <= now)
                tick = now + interval;
            if (m_link.state().isLinkAlive() && !takeSample())
                return kExitFailure;
            if ((m_options.count > 0 && m_journal.count() >= m_options.count) || !m_printing)
                return 0;
        }
    }

    // False when the sample could not be kept: the run ends.
    bool takeSample() {
        const MeterReading snapshot = TakeRecorderSnapshot(m_link.state());
        if (snapshot.lowBattery && !m_lowBattery)
            std::cerr << NumberedLine(kWarningCaption, kLowBatteryText) << '\n';
        m_lowBattery = snapshot.lowBattery != 0;
        const auto pair = SampleOf(snapshot, SampleTimeText(std::chrono::system_clock::now()));
        if (!pair)
            return true; // a reading the recorder refuses changes nothing
        const std::int64_t position = m_journal.count();
        // The journal first: what is printed is always on the disk. A sample
        // the journal cannot take is neither printed nor kept.
        if (m_journal.append(*pair) == RecordingJournal::Append::JournalFailed) {
            std::cerr << NumberedLine(kErrorCaption, kJournalFailedText,
                                      {m_journal.path(), std::strerror(errno)})
                      << '\n';
            return false;
        }
        if (m_printing)
            m_printing = Print(SampleLine(*pair, position)) && FlushOutput();
        return true;
    }

    int finish(int status) {
        const std::string& output = m_options.output;
        const std::string count = std::to_string(m_journal.count());
        switch (m_journal.finish(output, m_kind)) {
        case RecordingJournal::Finish::Written:
            std::cerr << count << (m_journal.count() == 1 ? " sample" : " samples")
                      << " written to " << output << '\n';
            return status;
        case RecordingJournal::Finish::NoSample:
            // A failure has said why already; one message is enough.
            if (status == 0)
                std::cerr << NumberedLine(kErrorCaption, kNoSampleText, {output}) << '\n';
            return kExitFailure;
        case RecordingJournal::Finish::NotWritten:
            ReportSaveError(output, m_journal.outputError());
            if (m_journal.outputError() != EPIPE)
                std::cerr << NumberedLine(kErrorCaption, kOutputNotWrittenText,
                                          {output, m_journal.path(), count})
                          << '\n';
            return kExitFailure;
        }
        return kExitFailure;
    }

    const RecordOptions& m_options;
    ConvertOutput m_kind;
    LiveLink m_link;
    RecordingJournal m_journal;
    bool m_printing = true;
    bool m_lowBattery = false;
};

int Record(const RecordOptions& options) {
    std::string problem;
    const auto kind = RecordOutputKind(options.output, &problem);
    if (!kind) {
        std::cerr << problem << '\n';
        return kExitFailure;
    }
    return Recording(options, *kind).run();
}

CommandRegistrar registrar([](CLI::App& app) {
    auto options = std::make_shared<RecordOptions>();
    Command cmd = AddCommand(
        app, "record",
        "Record samples of the live reading as the recorder does, into a text export (.csv) or a "
        "record file (.g53); Ctrl+C ends the recording");
    AddSimulateOption(*cmd.app, options->simulate);
    cmd.app
        ->add_option("--interval", options->interval,
                     "Seconds between samples (default 0.5, the recorder's Full Speed)")
        ->check(SecondsFromTo(0.01, 1e6));
    cmd.app->add_option("--count", options->count, "Stop after N samples (0: no limit)")
        ->check(WholeNumberFrom(0));
    cmd.app
        ->add_option_function<double>(
            "--duration", [options](double seconds) { options->duration = seconds; },
            "Stop after this many seconds")
        ->check(SecondsFromTo(0.01, 1e8));
    cmd.output("-o,--output", options->output,
               "file to write at the end, ending in .csv or .g53; the journal OUTPUT.TMP beside "
               "it holds every sample while recording")
        ->required();
    cmd.run([options] { return Record(*options); });
});

} // namespace
} // namespace ostrel::cli
