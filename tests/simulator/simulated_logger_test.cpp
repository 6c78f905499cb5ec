#include "import/logger_download.h"
#include "simulator/demo_sessions.h"
#include "simulator/simulated_logger.h"
#include "simulator/simulation_options.h"

#include <gtest/gtest.h>

namespace ostrel {
namespace {

SimulationOptions Options(const std::string& text) {
    std::string error;
    auto options = ParseSimulationOptions(text, &error);
    EXPECT_TRUE(options) << error;
    return options.value_or(SimulationOptions{});
}

// With the meter's own pauses: none at latency=0.
LoggerDownloadResult Download(SimulatedMeter& meter) {
    EXPECT_FALSE(meter.spendsRealTime());
    return DownloadLoggerImage(meter, {});
}

TEST(SimulatedLogger, OptionsOfTheLoggerHalf) {
    SimulationOptions o = Options("logger");
    EXPECT_TRUE(o.loggerSessions);
    EXPECT_EQ(o.latencyMs, 5);
    o = Options("logger,latency=40,badsum=2,timeout=1,image=/x/y.bin");
    EXPECT_EQ(o.latencyMs, 40);
    EXPECT_EQ(o.loggerBadChecksums, 2);
    EXPECT_EQ(o.loggerHeaderTimeouts, 1);
    EXPECT_EQ(o.loggerImage, "/x/y.bin");
    EXPECT_FALSE(Options("default").loggerSessions);
    // Only a meter that answers in real time keeps the protocol's pauses.
    EXPECT_TRUE(SimulatedMeter(Options("logger")).spendsRealTime());
    EXPECT_FALSE(SimulatedMeter(Options("logger,latency=0")).spendsRealTime());
    std::string error;
    EXPECT_FALSE(ParseSimulationOptions("logger,image=", &error));
    EXPECT_FALSE(ParseSimulationOptions("logger,badsum=-1", &error));
}

TEST(SimulatedLogger, DemoSessionsDownloadWhole) {
    SimulatedMeter meter(Options("logger,latency=0"));
    std::string error;
    ASSERT_TRUE(AttachSimulatedLogger(meter, &error)) << error;
    LoggerDownloadResult r = Download(meter);
    ASSERT_EQ(r.outcome, LoggerDownloadOutcome::Done);
    const auto expected = *BuildLoggerImage(DemoLoggerSessions());
    ASSERT_EQ(r.image.size(), LoggerImageSize(static_cast<std::uint32_t>(expected.size())));
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), r.image.begin()));
}

TEST(SimulatedLogger, EmptyMemoryAndFaults) {
    SimulatedMeter plain(Options("default,latency=0"));
    ASSERT_TRUE(AttachSimulatedLogger(plain, nullptr));
    LoggerDownloadResult r = Download(plain);
    ASSERT_EQ(r.outcome, LoggerDownloadOutcome::Done);
    EXPECT_EQ(r.image.size(), 24u);
    EXPECT_EQ(r.blockExchanges, 0u);

    SimulatedMeter bad(Options("logger,latency=0,badsum=4"));
    ASSERT_TRUE(AttachSimulatedLogger(bad, nullptr));
    EXPECT_EQ(Download(bad).messageId, 9016);

    SimulatedMeter none(Options("nologger,latency=0"));
    ASSERT_TRUE(AttachSimulatedLogger(none, nullptr));
    EXPECT_EQ(Download(none).messageId, 9017);

    SimulatedMeter missing(Options("logger,image=/no/such/image.bin"));
    std::string error;
    EXPECT_FALSE(AttachSimulatedLogger(missing, &error));
    EXPECT_NE(error.find("image="), std::string::npos);
}

} // namespace
} // namespace ostrel
