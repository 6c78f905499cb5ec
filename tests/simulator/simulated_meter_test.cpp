#include "simulator/simulated_meter.h"

#include "link/hid_transport.h"
#include "link/tarvix_thread.h"

#include <gtest/gtest.h>

#include <chrono>
#include <set>

namespace ostrel {
namespace {

using namespace std::chrono_literals;

SimulationOptions Parse(const std::string& text) {
    std::string error;
    auto options = ParseSimulationOptions(text, &error);
    EXPECT_TRUE(options) << error;
    return options.value_or(SimulationOptions{});
}

std::string Refusal(const std::string& text) {
    std::string error;
    EXPECT_FALSE(ParseSimulationOptions(text, &error));
    return error;
}

TEST(SimulationOptions, ProfilesAndKeys) {
    EXPECT_EQ(Parse("").profile, "default");
    EXPECT_EQ(Parse("").latencyMs, 250);
    EXPECT_EQ(Parse("latency=0").latencyMs, 0);
    EXPECT_EQ(Parse("latency=0").profile, "default");
    EXPECT_FALSE(Parse("absent").cablePresent);
    EXPECT_FALSE(Parse("silent,latency=0").answersDisplay);
    EXPECT_EQ(Parse("partial").partialEvery, 5);
    EXPECT_EQ(Parse("partial,after=3").partialEvery, 3);
    EXPECT_EQ(Parse("unplug,after=7,latency=0").unplugAfter, 7);
    EXPECT_EQ(Parse("unplug").unplugAfter, 20);
    EXPECT_EQ(Parse("default,after=7").unplugAfter, 0);
    EXPECT_EQ(Parse("replug").replugAfter, 20);
    EXPECT_EQ(Parse("replug").goneMs, 2000);
    EXPECT_EQ(Parse("replug,after=3,gone=50").goneMs, 50);
    EXPECT_EQ(Parse("nologger").statusByte, 0x82);
    EXPECT_EQ(Parse("default").statusByte, 0x52);
    EXPECT_EQ(Parse("default,seed=42").seed, 42u);
}

TEST(SimulationOptions, RefusalsSayWhatIsAccepted) {
    EXPECT_NE(Refusal("loud").find("unknown profile \"loud\""), std::string::npos);
    EXPECT_NE(Refusal("loud").find("silent"), std::string::npos);
    EXPECT_NE(Refusal("default,speed=3").find("unknown key \"speed\""), std::string::npos);
    EXPECT_NE(Refusal("default,speed=3").find("latency=N"), std::string::npos);
    EXPECT_NE(Refusal("default,latency=-1").find("latency=-1"), std::string::npos);
    Refusal("default,latency=12ms");
    Refusal("default,after=0");
    Refusal("default,latency");
    Refusal("default,=3");
    Refusal("default,");
    Refusal("partial,after=99999999999999999999");
}

struct SimulatedMeterTest : ::testing::Test {
    // Sends the display request and reads the 27-byte answer.
    static std::uint32_t Exchange(HidDevice& device, RawFrame& raw) {
        EXPECT_EQ(SendCommand(device, 0x82, 0x66), kWaitCompleted);
        return ReadReports(device, raw.data(), raw.size());
    }
};

TEST_F(SimulatedMeterTest, AnswersTheDisplayRequestWithEncodedFrames) {
    SimulatedMeter meter(Parse("default,latency=0"));
    auto device = OpenAdapter(meter);
    ASSERT_TRUE(device);
    const HidInterfaceInfo a = device->attributes();
    EXPECT_EQ(a.vendorId, 0x0820);
    EXPECT_EQ(a.productId, 1);
    EXPECT_EQ(CableFirmwareLine(a.releaseNumber), "Cable Firmware ver.:01.05");
    EXPECT_EQ(CableSerialLine(SerialNumberBytes(device->serialNumber())),
              "Cable SN : F0DEBC9A78563412");
    for (std::uint64_t n = 0; n < 3; ++n) {
        RawFrame raw{};
        ASSERT_EQ(Exchange(*device, raw), kWaitCompleted);
        EXPECT_EQ(raw, EncodeFrame(SimulatedMeter::DisplayAt(n, meter.options())));
        EXPECT_EQ(raw[22], 0x52);
    }
    EXPECT_EQ(meter.answers(), 3u);
    // Nothing more was asked: nothing more comes, at once.
    std::uint8_t report[9];
    EXPECT_EQ(device->read(report, 9, 4000).wait, kWaitTimeout);
}

TEST_F(SimulatedMeterTest, ADayOfTheDefaultMeterShowsEveryFunction) {
    const SimulationOptions o = Parse("default");
    std::set<std::uint32_t> mains, subs;
    bool lowBattery = false, overload = false, negative = false;
    for (std::uint64_t n = 0; n < 600; ++n) {
        const FrameContent f = SimulatedMeter::DisplayAt(n, o);
        mains.insert(f.main.function);
        subs.insert(f.sub.function);
        lowBattery = lowBattery || f.lowBattery;
        overload = overload || f.main.chars[2] == 'L';
        negative = negative || f.main.negative;
        EXPECT_EQ(f.status, 0x52);
    }
    EXPECT_EQ(mains, (std::set<std::uint32_t>{nFunc_DcV, nFunc_AcV, nFunc_Ohm, nFunc_T1C}));
    EXPECT_EQ(subs, (std::set<std::uint32_t>{0, nFunc_AcV, nFunc_Hz}));
    EXPECT_FALSE(lowBattery); // the demo meter's battery is fine
    EXPECT_TRUE(overload);
    EXPECT_TRUE(negative);
    // lowbattery=N: the mark on every Nth answer, nothing else changed.
    const SimulationOptions low = Parse("default,lowbattery=3");
    for (std::uint64_t n = 0; n < 600; ++n) {
        const FrameContent f = SimulatedMeter::DisplayAt(n, low);
        EXPECT_EQ(f.lowBattery, n % 3 == 2) << n;
        EXPECT_EQ(f.main.chars, SimulatedMeter::DisplayAt(n, o).main.chars);
    }
    EXPECT_TRUE(SimulatedMeter::DisplayAt(0, Parse("lowbattery=1")).lowBattery);
    // Repeatable for one seed, different for another.
    auto shown = [](const FrameContent& f) { return std::make_pair(f.main.chars, f.sub.chars); };
    EXPECT_EQ(shown(SimulatedMeter::DisplayAt(17, o)), shown(SimulatedMeter::DisplayAt(17, o)));
    EXPECT_NE(shown(SimulatedMeter::DisplayAt(17, o)),
              shown(SimulatedMeter::DisplayAt(17, Parse("default,seed=2"))));
}

TEST_F(SimulatedMeterTest, FaultProfiles) {
    SimulatedMeter absent(Parse("absent,latency=0"));
    EXPECT_FALSE(OpenAdapter(absent));

    SimulatedMeter silent(Parse("silent,latency=0"));
    auto device = OpenAdapter(silent);
    ASSERT_TRUE(device);
    RawFrame raw{};
    EXPECT_EQ(Exchange(*device, raw), kWaitTimeout);

    SimulatedMeter nologger(Parse("nologger,latency=0"));
    device = OpenAdapter(nologger);
    ASSERT_EQ(Exchange(*device, raw), kWaitCompleted);
    EXPECT_EQ(raw[22], 0x82);

    SimulatedMeter partial(Parse("partial,after=2,latency=0"));
    device = OpenAdapter(partial);
    EXPECT_EQ(Exchange(*device, raw), kWaitCompleted);
    EXPECT_EQ(Exchange(*device, raw), kWaitTimeout); // one report, then nothing
    EXPECT_EQ(Exchange(*device, raw), kWaitCompleted);

    SimulatedMeter unplug(Parse("unplug,after=2,latency=0"));
    device = OpenAdapter(unplug);
    EXPECT_EQ(Exchange(*device, raw), kWaitCompleted);
    EXPECT_EQ(Exchange(*device, raw), kWaitCompleted);
    EXPECT_EQ(SendCommand(*device, 0x82, 0x66), kWaitCompleted); // the cable goes now
    EXPECT_EQ(ReadReports(*device, raw.data(), raw.size()), kWaitFailed);
    EXPECT_FALSE(OpenAdapter(unplug));

    // replug: the same, but the cable comes back after its time away, as a
    // new device; the one opened before stays dead.
    SimulatedMeter replug(Parse("replug,after=1,gone=150,latency=0"));
    device = OpenAdapter(replug);
    EXPECT_EQ(Exchange(*device, raw), kWaitCompleted);
    EXPECT_EQ(SendCommand(*device, 0x82, 0x66), kWaitCompleted); // the cable goes now
    const auto gone = std::chrono::steady_clock::now();
    EXPECT_FALSE(OpenAdapter(replug));
    std::unique_ptr<HidDevice> back;
    while (!back && std::chrono::steady_clock::now() - gone < 5s)
        back = OpenAdapter(replug);
    ASSERT_TRUE(back);
    EXPECT_GE(std::chrono::steady_clock::now() - gone, 150ms);
    EXPECT_EQ(Exchange(*back, raw), kWaitCompleted);
    EXPECT_EQ(Exchange(*back, raw), kWaitCompleted); // it goes away only once
    EXPECT_EQ(SendCommand(*device, 0x82, 0x66), kWaitFailed);
}

class EchoLogger final : public LoggerResponder {
  public:
    std::vector<InputReport> answer(std::uint8_t c1, std::uint8_t c2) override {
        if (c1 != 0x52)
            return {};
        std::vector<InputReport> reports(4);
        for (auto& r : reports)
            r.fill(c2);
        return reports;
    }
};

TEST_F(SimulatedMeterTest, LoggerCommandsGoToTheResponder) {
    SimulatedMeter meter(Parse("default,latency=0"));
    auto device = OpenAdapter(meter);
    std::array<std::uint8_t, 27> block{};
    std::array<std::uint8_t, 9> tail{};
    ASSERT_EQ(SendCommand(*device, 0x52, 0x88), kWaitCompleted);
    EXPECT_EQ(ReadAnswer(*device, block, tail), kWaitTimeout); // no logger: silence

    meter.setLoggerResponder(std::make_shared<EchoLogger>());
    ASSERT_EQ(SendCommand(*device, 0x52, 0x89), kWaitCompleted);
    EXPECT_EQ(ReadAnswer(*device, block, tail), kWaitCompleted);
    EXPECT_EQ(block[0], 0x89);
    EXPECT_EQ(tail[8], 0x89);
    EXPECT_EQ(meter.answers(), 0u);
}

TEST(SimulatedMeterThread, LinkFollowsTheMeterUntilTheCableIsPulled) {
    AcquisitionState state;
    SimulatedMeter meter(Parse("unplug,after=25,latency=0"));
    TTarvixThread thread(state, meter, nullptr);
    ASSERT_TRUE(state.acquisitionEndedEvent.waitFor(10s));
    EXPECT_TRUE(state.cableLostEvent.tryWait());
    EXPECT_EQ(meter.answers(), 25u);
    const MeterReading last = state.copyReading();
    EXPECT_EQ(
        last.main.valueText,
        DecodeFrame(EncodeFrame(SimulatedMeter::DisplayAt(24, meter.options()))).main.valueText);
}

TEST(SimulatedMeterThread, StopWakesAReadWaitingForARealTimeAnswer) {
    AcquisitionState state;
    SimulatedMeter meter(Parse("silent,latency=250"));
    auto thread = std::make_unique<TTarvixThread>(state, meter, nullptr);
    std::this_thread::sleep_for(20ms); // into the 4000 ms wait for the first report
    const auto start = std::chrono::steady_clock::now();
    thread->terminate();
    ASSERT_TRUE(state.acquisitionEndedEvent.waitFor(10s));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    EXPECT_FALSE(state.cableLostEvent.tryWait());
}

} // namespace
} // namespace ostrel
