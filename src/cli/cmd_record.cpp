// ostrel-cli record: the recorder without windows, for long unattended
// logging. It samples the live reading at the recorder's interval through the
// recorder's own sampling path, writes each sample to a journal beside the
// output before printing it (a killed run loses nothing that was printed;
// convert recovers the journal), and at the end (count, duration, a stop
// condition, Ctrl+C, SIGTERM, SIGHUP, a lost link, a journal that cannot be
// written) writes the output and removes the journal. A run that took no
// sample leaves the output as it was. A run may wait for a start condition;
// the samples it keeps from before the start reach the journal and the output
// only once it starts. With --reconnect a lost link is looked for again
// instead of ending the run. With --mqtt each sample kept also goes to an MQTT
// broker.
#include "base/string_table.h"
#include "cli/cable_access.h"
#include "cli/command.h"
#include "cli/file_checks.h"
#include "cli/live_link.h"
#include "cli/mqtt_output.h"
#include "cli/record_conditions.h"
#include "cli/standard_output.h"
#include "recorder/recording_gap.h"
#include "recorder/recording_journal.h"
#include "recorder/sample_conversion.h"
#include "recorder/sampling.h"
#include "recorder/text_export.h"
#include "recorder/trigger.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <deque>
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
    CableChoice cable;
    double interval = 0.5;   // seconds; 0.5 is the recorder's "Full Speed"
    TriggerSettings trigger; // when to start and stop; --count and --duration among them
    bool reconnect = false;
    std::string output;
    MqttOptions mqtt;
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

// The moment of the steady clock at which the system clock shows `when`.
Clock::time_point SteadyAt(WallClock::time_point when) {
    return Clock::now() + std::chrono::duration_cast<Clock::duration>(when - WallClock::now());
}

class Recording {
  public:
    Recording(const RecordOptions& options, ConvertOutput kind)
        : m_options(options), m_kind(kind) {}

    int run() {
        if (const std::string problem = m_mqtt.prepare(); !problem.empty()) {
            std::cerr << problem << '\n';
            return kExitFailure;
        }
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
        if (!m_link.start(m_options.cable, false, m_options.reconnect) ||
            (m_mqtt.wanted() && !m_mqtt.start(m_link.cableSerial()))) {
            m_link.stop();
            m_journal.discard();
            return kExitFailure;
        }
        for (const std::string& leftover : m_journal.leftovers())
            std::cerr << NumberedLine(kWarningCaption, kLeftoverJournalText, {leftover}) << '\n';
        m_printing = Print(Printed(std::string(kExportHeader))) && FlushOutput();

        const int status = sample();
        m_link.stop();
        const std::string notice = EndNotice(m_sampler->state());
        if (!notice.empty())
            std::cerr << notice << '\n';
        const int written = finish(status, !notice.empty());
        // The files first; then a second Ctrl+C gives up the messages that
        // still wait for the broker.
        const int stops = m_link.stopRequests();
        const bool delivered =
            m_mqtt.finish([this, stops] { return m_link.stopRequests() > stops; });
        return delivered ? written : kExitFailure;
    }

  private:
    // The logger timer: a tick every interval, from the start on; ticks that
    // could not be kept (the machine slept) are dropped, not caught up. A
    // start time of day gets a tick of its own, from which the ticks go on.
    int sample() {
        const Clock::duration interval = Seconds(m_options.interval);
        TriggerState& trigger = m_sampler.emplace(m_options.trigger, WallClock::now()).state();
        if (m_options.trigger.waitsForStart())
            std::cerr << WaitingNotice(m_options.trigger) << '\n';
        Clock::time_point tick = Clock::now() + interval;
        bool startTicked = false;
        for (;;) {
            Clock::time_point wake = tick;
            const auto startTime = startTicked ? std::nullopt : trigger.startTime();
            if (startTime)
                wake = std::min(wake, SteadyAt(*startTime));
            if (const auto limit = trigger.timeLimit())
                wake = std::min(wake, SteadyAt(*limit));
            switch (m_link.wait(wake)) {
            case LiveLink::Event::Stop:
                return 0;
            case LiveLink::Event::Lost:
                if (!m_options.reconnect)
                    return kExitFailure;
                if (const auto now = WallClock::now(); m_gaps.linkLost(now))
                    std::cerr << LossNotice(now) << '\n';
                break;
            case LiveLink::Event::Reading:
            case LiveLink::Event::Deadline:
            case LiveLink::Event::Relinked:
                break;
            }
            const Clock::time_point now = Clock::now();
            const WallClock::time_point wall = WallClock::now();
            if (trigger.expire(wall))
                return 0;
            if (startTime && wall >= *startTime) {
                startTicked = true;
                tick = now;
            }
            if (now < tick)
                continue;
            tick += interval;
            if (tick <= now)
                tick = now + interval;
            if (m_link.state().isLinkAlive())
                takeSample(wall);
            if (m_journalFailed)
                return kExitFailure;
            if (trigger.phase() == TriggerPhase::Ended || !m_printing)
                return 0;
        }
    }

    void takeSample(WallClock::time_point wall) {
        const MeterReading snapshot = TakeRecorderSnapshot(m_link.state());
        if (snapshot.lowBattery && !m_lowBattery)
            std::cerr << NumberedLine(kWarningCaption, kLowBatteryText) << '\n';
        m_lowBattery = snapshot.lowBattery != 0;
        const auto pair = SampleOf(snapshot, SampleTimeText(wall));
        if (!pair)
            return; // a reading the recorder refuses changes nothing
        if (const auto gap = m_gaps.sampleTaken(wall))
            std::cerr << GapNotice(*gap) << '\n';
        // What the record keeps no field for goes beside it, in the same order:
        // the samples kept take theirs from the front, and those that stay
        // held are the last ones offered.
        m_taken.push_back({wall, snapshot.lowBattery != 0});
        const TriggerVerdict verdict =
            m_sampler->offer(*pair, wall, [this](const RecordPair& p) { keep(p); });
        while (m_taken.size() > m_sampler->held())
            m_taken.pop_front();
        if (verdict.starts && m_options.trigger.waitsForStart())
            std::cerr << StartedNotice(*m_sampler, wall, pair->main.value) << '\n';
    }

    // A sample to record: to the journal, then printed. Once the journal
    // cannot take one, nothing more is kept or printed and the run ends: what
    // is printed is always on the disk.
    void keep(const RecordPair& pair) {
        const Taken taken = m_taken.front();
        m_taken.pop_front();
        if (m_journalFailed)
            return;
        const std::int64_t position = m_journal.count();
        if (m_journal.append(pair) == RecordingJournal::Append::JournalFailed) {
            std::cerr << NumberedLine(kErrorCaption, kJournalFailedText,
                                      {m_journal.path(), std::strerror(errno)})
                      << '\n';
            m_journalFailed = true;
            return;
        }
        if (m_printing)
            m_printing = Print(SampleLine(pair, position)) && FlushOutput();
        m_mqtt.send(FactsOfSample(pair, taken.lowBattery), taken.when);
    }

    // toldWhy: the end of the run was explained already (a start that never
    // came, a stop condition).
    int finish(int status, bool toldWhy) {
        const std::string& output = m_options.output;
        const std::string count = std::to_string(m_journal.count());
        switch (m_journal.finish(output, m_kind)) {
        case RecordingJournal::Finish::Written:
            std::cerr << count << (m_journal.count() == 1 ? " sample" : " samples")
                      << " written to " << output << '\n';
            return status;
        case RecordingJournal::Finish::NoSample:
            // A failure has said why already; one message is enough.
            if (status == 0 && !toldWhy)
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

    // When a sample was taken, and whether the meter then showed its low battery.
    struct Taken {
        WallClock::time_point when;
        bool lowBattery;
    };

    const RecordOptions& m_options;
    ConvertOutput m_kind;
    MqttOutput m_mqtt{m_options.mqtt};
    std::deque<Taken> m_taken; // of the samples offered and not yet kept
    LiveLink m_link;
    RecordingJournal m_journal;
    std::optional<TriggeredSampler> m_sampler; // made when sampling begins
    bool m_printing = true;
    bool m_journalFailed = false;
    bool m_lowBattery = false;
    GapWatch m_gaps;
};

int Record(const RecordOptions& options) {
    if (const std::string problem = RecordConditionProblem(options.trigger); !problem.empty()) {
        std::cerr << problem << " (see --help)\n";
        return kExitFailure;
    }
    std::string problem;
    const auto kind = RecordOutputKind(options.output, &problem);
    if (!kind) {
        std::cerr << problem << '\n';
        return kExitFailure;
    }
    return Recording(options, *kind).run();
}

const CommandRegistrar kRecordCommand([](CLI::App& app) {
    auto options = std::make_shared<RecordOptions>();
    Command cmd = AddCommand(
        app, "record",
        "Record samples of the live reading as the recorder does, into a text export (.csv) or a "
        "record file (.g53); Ctrl+C ends the recording");
    AddCableOptions(*cmd.app, options->cable);
    cmd.app
        ->add_option("--interval", options->interval,
                     "Seconds between samples (default 0.5, the recorder's Full Speed)")
        ->check(SecondsFromTo(0.01, 1e6));
    AddRecordConditionOptions(*cmd.app, options->trigger, options->reconnect);
    cmd.output("-o,--output", options->output,
               "file to write at the end, ending in .csv or .g53; the journal OUTPUT.TMP beside "
               "it holds every sample while recording")
        ->required();
    AddMqttOptions(cmd, options->mqtt);
    cmd.run([options] { return Record(*options); });
});

} // namespace
} // namespace ostrel::cli
