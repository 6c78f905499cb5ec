#include "link/hid_transport.h"

#include "fake_hid.h"

#include <gtest/gtest.h>

#include <numeric>

namespace ostrel {
namespace {

using test::FakeBackend;
using test::FakeDevice;
using test::FakeRead;

std::vector<std::uint8_t> Bytes(std::size_t n, std::uint8_t first) {
    std::vector<std::uint8_t> v(n);
    std::iota(v.begin(), v.end(), first);
    return v;
}

TEST(OpenAdapter, FirstMatchingInterfaceWinsAndOthersAreNeverOpened) {
    FakeBackend backend;
    backend.addOther(0x0820, 2);      // right vendor, wrong product
    backend.addOther(0x046D, 0xC077); // a mouse
    backend.addCable();               // /dev/hidraw2
    backend.addCable();               // /dev/hidraw3
    auto device = OpenAdapter(backend);
    ASSERT_TRUE(device);
    EXPECT_EQ(device->attributes().path, "/dev/hidraw2");
    EXPECT_EQ(backend.openedPaths(), std::vector<std::string>{"/dev/hidraw2"});
}

TEST(OpenAdapter, DeviceReportingOtherIdsIsClosedAndSkipped) {
    FakeBackend backend;
    backend.addCable();
    backend.addCable();
    backend.setReported(0, {0x0820, 5, 1, "/dev/hidraw0"});
    auto device = OpenAdapter(backend);
    ASSERT_TRUE(device);
    EXPECT_EQ(device->attributes().path, "/dev/hidraw1");
}

TEST(OpenAdapter, LooksAtTheFirstTwentyInterfacesOnly) {
    FakeBackend backend;
    for (int i = 0; i < 20; ++i)
        backend.addOther(0x1234, static_cast<std::uint16_t>(i));
    backend.addCable();
    EXPECT_FALSE(OpenAdapter(backend));
    EXPECT_TRUE(backend.openedPaths().empty());
}

TEST(OpenAdapter, TellsPermissionDeniedApartFromAbsent) {
    bool denied = true;
    FakeBackend none;
    EXPECT_FALSE(OpenAdapter(none, kCableVendorId, kCableProductId, &denied));
    EXPECT_FALSE(denied);

    FakeBackend locked;
    locked.addCable(0x0820, 1, HidOpenError::PermissionDenied);
    EXPECT_FALSE(OpenAdapter(locked, kCableVendorId, kCableProductId, &denied));
    EXPECT_TRUE(denied);

    // A second cable that opens wins; then nothing is denied.
    locked.addCable();
    EXPECT_TRUE(OpenAdapter(locked, kCableVendorId, kCableProductId, &denied));
    EXPECT_FALSE(denied);
}

TEST(OpenHidInterface, IndexOutsideTheListIsNoSuchInterface) {
    FakeBackend backend;
    backend.addCable();
    HidOpenError error = HidOpenError::None;
    EXPECT_FALSE(OpenHidInterface(backend, 1, &error));
    EXPECT_EQ(error, HidOpenError::NoSuchInterface);
    EXPECT_FALSE(OpenHidInterface(backend, -1, &error));
    EXPECT_TRUE(OpenHidInterface(backend, 0, &error));
    EXPECT_EQ(error, HidOpenError::None);
}

struct TransportTest : ::testing::Test {
    FakeBackend backend;
    std::shared_ptr<test::FakeCable> cable = backend.addCable();
    std::unique_ptr<HidDevice> device = OpenAdapter(backend);
    FakeDevice& fake() { return static_cast<FakeDevice&>(*device); }
};

TEST_F(TransportTest, SendCommandWritesTheFourByteReport) {
    EXPECT_EQ(SendCommand(*device, 0x52, 0x88), kWaitCompleted);
    ASSERT_EQ(cable->writes().size(), 1u);
    EXPECT_EQ(cable->writes()[0], (std::vector<std::uint8_t>{0x00, 0x00, 0x52, 0x88}));
    EXPECT_EQ(fake().cancels, 0);
    cable->setPresent(false);
    EXPECT_EQ(SendCommand(*device, 0x52, 0x89), kWaitFailed);
    EXPECT_EQ(fake().cancels, 1);
}

TEST_F(TransportTest, ReadReportsGathersWholeReportsAndPieces) {
    const auto data = Bytes(27, 1);
    // 5 + 4 bytes of the first report, then two whole ones.
    cable->queueRead({kWaitCompleted, {data.begin(), data.begin() + 5}});
    cable->queueRead({kWaitCompleted, {data.begin() + 5, data.begin() + 9}});
    cable->queueRead({kWaitCompleted, {}, false}); // completes with an error: ask again
    cable->queueRead({kWaitCompleted, {data.begin() + 9, data.begin() + 18}});
    cable->queueRead({kWaitCompleted, {data.begin() + 18, data.end()}});
    std::array<std::uint8_t, 27> buffer{};
    EXPECT_EQ(ReadReports(*device, buffer.data(), buffer.size()), kWaitCompleted);
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.end(), data.begin()));
}

TEST_F(TransportTest, APieceNeverWritesPastTheCallersBuffer) {
    cable->queueRead({kWaitCompleted, Bytes(5, 1)});
    cable->queueRead({kWaitCompleted, Bytes(9, 10)});
    std::array<std::uint8_t, 12> guarded{};
    guarded.fill(0xEE);
    EXPECT_EQ(ReadReports(*device, guarded.data(), 9), kWaitCompleted);
    EXPECT_EQ(guarded[4], 5);
    EXPECT_EQ(guarded[5], 10);
    EXPECT_EQ(guarded[8], 13);
    EXPECT_EQ(guarded[9], 0xEE);
}

TEST_F(TransportTest, SilentDeviceTimesOutAndCancels) {
    cable->queueRead({kWaitCompleted, Bytes(9, 0)});
    std::array<std::uint8_t, 27> buffer{};
    EXPECT_EQ(ReadReports(*device, buffer.data(), buffer.size()), kWaitTimeout);
    EXPECT_EQ(fake().cancels, 1);

    cable->queueRead({kWaitAbandoned, {}});
    EXPECT_EQ(ReadReports(*device, buffer.data(), buffer.size()), kWaitAbandoned);
    EXPECT_EQ(fake().cancels, 2);
}

TEST_F(TransportTest, ReadsThatKeepFailingEndInsteadOfSpinning) {
    for (int i = 0; i < kMaxErrorCompletions; ++i)
        cable->queueRead({kWaitCompleted, {}, false});
    std::array<std::uint8_t, 9> buffer{};
    EXPECT_EQ(ReadReports(*device, buffer.data(), buffer.size()), kWaitFailed);
}

TEST_F(TransportTest, ReadAnswerReadsBlockThenTailAndStopsAtTheFirstFailure) {
    for (int r = 0; r < 4; ++r)
        cable->queueRead({kWaitCompleted, Bytes(9, static_cast<std::uint8_t>(r * 9))});
    std::array<std::uint8_t, 27> block{};
    std::array<std::uint8_t, 9> tail{};
    EXPECT_EQ(ReadAnswer(*device, block, tail), kWaitCompleted);
    EXPECT_EQ(block[26], 26);
    EXPECT_EQ(tail[0], 27);

    for (int r = 0; r < 2; ++r)
        cable->queueRead({kWaitCompleted, Bytes(9, 0)});
    tail.fill(0xAA);
    EXPECT_EQ(ReadAnswer(*device, block, tail), kWaitTimeout);
    EXPECT_EQ(tail[0], 0xAA); // the tail is not read after a failed block
}

TEST(CableLines, FirmwareAndSerialAsTheAboutBoxShowsThem) {
    EXPECT_EQ(CableFirmwareLine(0x0102), "Cable Firmware ver.:01.02");
    EXPECT_EQ(CableFirmwareLine(0xAB0F), "Cable Firmware ver.:AB.0F");
    EXPECT_EQ(CableSerialLine({1, 2, 3, 4, 5, 6, 7, 8}), "Cable SN : 0807060504030201");
}

TEST(CableLines, SerialBytesAreTheUtf16OfTheString) {
    EXPECT_EQ(SerialNumberBytes("AB"), (std::array<std::uint8_t, 8>{0x41, 0, 0x42, 0, 0, 0, 0, 0}));
    EXPECT_EQ(SerialNumberBytes("ABCDEF"),
              (std::array<std::uint8_t, 8>{0x41, 0, 0x42, 0, 0x43, 0, 0x44, 0}));
    // U+0201 U+0403 U+0605 U+0807 give the bytes 1 to 8.
    EXPECT_EQ(SerialNumberBytes("\xC8\x81\xD0\x83\xD8\x85\xE0\xA0\x87"),
              (std::array<std::uint8_t, 8>{1, 2, 3, 4, 5, 6, 7, 8}));
    // Outside the basic plane: a surrogate pair; broken UTF-8: a replacement.
    EXPECT_EQ(SerialNumberBytes("\xF0\x9F\x98\x80"),
              (std::array<std::uint8_t, 8>{0x3D, 0xD8, 0x00, 0xDE, 0, 0, 0, 0}));
    EXPECT_EQ(SerialNumberBytes("\xC3"),
              (std::array<std::uint8_t, 8>{0xFD, 0xFF, 0, 0, 0, 0, 0, 0}));
}

} // namespace
} // namespace ostrel
