// The import run on a thread of its own: the check, the download with its
// progress, failures, and an abort at every stage.
#include "import/logger_import_run.h"
#include "simulator/demo_sessions.h"
#include "simulator/simulated_logger.h"
#include "simulator/simulation_options.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace ostrel {
namespace {

using Outcome = LoggerImportResult::Outcome;

std::unique_ptr<SimulatedMeter> Meter(const std::string& text) {
    std::string error;
    auto options = ParseSimulationOptions(text, &error);
    EXPECT_TRUE(options) << error;
    auto meter = std::make_unique<SimulatedMeter>(*options);
    EXPECT_TRUE(AttachSimulatedLogger(*meter, &error)) << error;
    return meter;
}

// Runs a stage to its end, keeping what the callbacks reported.
struct Recorder {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    std::vector<std::size_t> started;
    std::vector<std::size_t> positions;
    std::size_t decodeCalls = 0;
    std::function<void(LoggerImportRun&)> onBlock; // e.g. abort after a block
    std::function<void(LoggerImportRun&)> onDecode;
    LoggerImportRun* run = nullptr;

    LoggerImportRun::Callbacks callbacks() {
        LoggerImportRun::Callbacks cb;
        cb.started = [this](std::size_t size) { started.push_back(size); };
        cb.blockRead = [this](std::size_t p, std::uint32_t) {
            positions.push_back(p);
            if (onBlock)
                onBlock(startedRun());
        };
        cb.decodeProgress = [this](std::size_t, std::size_t, std::size_t, std::size_t) {
            ++decodeCalls;
            if (onDecode)
                onDecode(startedRun());
        };
        cb.finished = [this] {
            std::lock_guard lock(mutex);
            finished = true;
            done.notify_all();
        };
        return cb;
    }

    // The run, once its constructor has returned.
    LoggerImportRun& startedRun() {
        std::unique_lock lock(mutex);
        done.wait(lock, [this] { return run != nullptr; });
        return *run;
    }

    LoggerImportResult runStage(HidBackend& backend, LoggerImportStage stage) {
        LoggerImportRun r(backend);
        std::thread worker([&] { r.run(stage, callbacks()); });
        {
            std::unique_lock lock(mutex);
            run = &r;
            done.notify_all();
            done.wait(lock, [this] { return finished; });
        }
        worker.join();
        EXPECT_TRUE(r.finished());
        return r.takeResult();
    }
};

TEST(LoggerImportRunThread, CheckSaysWhetherTheLoggerCanBeRead) {
    for (auto [profile, message] : {std::pair{"logger,latency=0", 0},
                                    {"absent,latency=0", 9015},
                                    {"nologger,latency=0", 9017}}) {
        auto meter = Meter(profile);
        Recorder rec;
        const LoggerImportResult r = rec.runStage(*meter, LoggerImportStage::Check);
        EXPECT_EQ(r.messageId, message) << profile;
        EXPECT_EQ(r.outcome, message == 0 ? Outcome::Done : Outcome::Failed);
        EXPECT_TRUE(rec.started.empty());
    }
}

TEST(LoggerImportRunThread, DownloadGivesTheSessionsAndReportsEveryBlock) {
    auto meter = Meter("logger,latency=0");
    Recorder rec;
    const LoggerImportResult r = rec.runStage(*meter, LoggerImportStage::Download);
    ASSERT_EQ(r.outcome, Outcome::Done);
    ASSERT_EQ(r.decoded.table.sessionCount(), 3u);
    EXPECT_EQ(r.decoded.table.session(1).size(), kDemoBatteryReadings);
    ASSERT_EQ(rec.started.size(), 1u);
    EXPECT_EQ(rec.started[0], r.imageSize);
    ASSERT_EQ(rec.positions.size(), r.imageSize / 24 - 1);
    EXPECT_EQ(rec.positions.front(), 48u);
    EXPECT_EQ(rec.positions.back(), r.imageSize);
    EXPECT_GT(rec.decodeCalls, 3u);
}

TEST(LoggerImportRunThread, FailuresKeepTheirMessages) {
    auto silentHeader = Meter("logger,latency=0,timeout=3");
    Recorder rec;
    LoggerImportResult r = rec.runStage(*silentHeader, LoggerImportStage::Download);
    EXPECT_EQ(r.outcome, Outcome::Failed);
    EXPECT_EQ(r.messageId, 9016);
    EXPECT_TRUE(rec.started.empty());

    auto badBlocks = Meter("logger,latency=0,badsum=4");
    Recorder rec2;
    r = rec2.runStage(*badBlocks, LoggerImportStage::Download);
    EXPECT_EQ(r.messageId, 9016);
    EXPECT_EQ(rec2.started.size(), 1u); // the header was good
    EXPECT_TRUE(r.decoded.table.empty());
}

TEST(LoggerImportRunThread, AbortEndsEveryStageAsCancelled) {
    // After some blocks of a meter that answers in real time.
    auto meter = Meter("logger,latency=2");
    Recorder rec;
    rec.onBlock = [&rec](LoggerImportRun& run) {
        if (rec.positions.size() == 5)
            run.abort();
    };
    LoggerImportResult r = rec.runStage(*meter, LoggerImportStage::Download);
    EXPECT_EQ(r.outcome, Outcome::Cancelled);
    EXPECT_EQ(rec.positions.size(), 5u);
    EXPECT_TRUE(r.decoded.table.empty());

    // While the decoding runs.
    auto quick = Meter("logger,latency=0");
    Recorder rec2;
    rec2.onDecode = [](LoggerImportRun& run) { run.abort(); };
    r = rec2.runStage(*quick, LoggerImportStage::Download);
    EXPECT_EQ(r.outcome, Outcome::Cancelled);
    EXPECT_TRUE(r.decoded.table.empty());

    // While a read waits for a meter that does not answer: the wait is given up.
    auto silent = Meter("logger,latency=2,timeout=1000");
    LoggerImportRun run(*silent);
    std::thread worker([&run] { run.run(LoggerImportStage::Download, {}); });
    run.abort();
    worker.join();
    r = run.takeResult();
    EXPECT_EQ(r.outcome, Outcome::Cancelled);
}

TEST(LoggerImportRunThread, AnAbortedBackendOpensNothingAndDoesNotPause) {
    auto meter = Meter("logger,latency=5");
    AbortableBackend backend(*meter);
    auto device = backend.open(backend.enumerate().at(0), nullptr);
    auto another = backend.open(backend.enumerate().at(0), nullptr);
    ASSERT_TRUE(device && another);
    backend.abort();
    // The open devices give up their waits; nothing more is opened.
    std::uint8_t report[9];
    EXPECT_EQ(device->read(report, sizeof report, 5000).wait, kWaitAbandoned);
    EXPECT_EQ(another->read(report, sizeof report, 5000).wait, kWaitAbandoned);
    EXPECT_TRUE(backend.enumerate().empty());
    HidOpenError error = HidOpenError::None;
    EXPECT_FALSE(backend.open({0x0820, 1, 0, kSimulatedPath}, &error));
    backend.pause()(60000); // returns at once
}

} // namespace
} // namespace ostrel
