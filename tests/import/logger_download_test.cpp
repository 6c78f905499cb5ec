#include "fake_cable.h"

#include "import/logger_download.h"
#include "import/logger_image_builder.h"

#include <gtest/gtest.h>

namespace ostrel {
namespace {

using test::FakeBackend;
using test::FakeMeter;

std::vector<std::uint8_t> ImageOfLength(std::uint32_t length) {
    std::vector<std::uint8_t> image(std::max<std::size_t>(length, 24));
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i * 7 + 3);
    image[1] = length & 0xFF;
    image[2] = (length >> 8) & 0xFF;
    image[3] = (length >> 16) & 0xFF;
    return image;
}

struct DownloadRun {
    LoggerDownloadResult result;
    std::vector<std::string> lines;
    bool cleared = false;
};

DownloadRun Download(FakeMeter& meter, bool answerYes = true, int cancelAfter = -1) {
    FakeBackend backend(meter);
    DownloadRun run;
    LoggerDownloadCallbacks cb;
    cb.confirm = [answerYes] { return answerYes; };
    cb.clearData = [&run] { run.cleared = true; };
    cb.progress = [&run](std::size_t position, std::uint32_t length) {
        run.lines.push_back(LoggerProgressLine(position, length));
    };
    cb.cancelled = [&run, cancelAfter] {
        return cancelAfter >= 0 && static_cast<int>(run.lines.size()) >= cancelAfter;
    };
    cb.pause = test::NoPause;
    run.result = DownloadLoggerImage(backend, cb);
    return run;
}

int CountCommand(const FakeMeter& m, std::uint8_t c2) {
    int n = 0;
    for (auto& c : m.commands)
        n += c.second == c2;
    return n;
}

TEST(LoggerProtocol, ChecksumIsTheByteSumModulo65536) {
    LoggerBlock block;
    block.fill(0xFF);
    EXPECT_EQ(LoggerChecksum(block.data()), 24 * 255);
    block.fill(0);
    EXPECT_EQ(LoggerChecksum(block.data()), 0);
}

TEST(LoggerProtocol, StatusBytesOfAMeterWithoutLoggerMapTo0x82) {
    for (int raw : {0xFF, 0xF7, 0xF3, 0xF1, 0xF0, 0xE0, 0xC0, 0x80, 0x00})
        EXPECT_EQ(MapStatusByte(static_cast<std::uint8_t>(raw)), 0x82) << raw;
    EXPECT_EQ(MapStatusByte(0x52), 0x52);
    EXPECT_EQ(MapStatusByte(0x82), 0x82);
    EXPECT_EQ(MapStatusByte(0x13), 0x13);
}

TEST(LoggerProtocol, StatusQueryReportsSilenceAndReadsByte22) {
    FakeMeter meter;
    test::FakeDevice device(meter);
    int status = -1;
    meter.statusByte = 0xF0;
    EXPECT_EQ(ReadMeterStatusByte(device, status), 0);
    EXPECT_EQ(status, 0x82);
    meter.silentStatus = true;
    status = -1;
    EXPECT_EQ(ReadMeterStatusByte(device, status), kStatusNoAnswer);
    EXPECT_EQ(status, -1);
    meter.silentStatus = false;
    meter.statusReports = 2;
    EXPECT_EQ(ReadMeterStatusByte(device, status), kStatusPartAnswer);
    EXPECT_EQ(status, -1);
}

TEST(LoggerProtocol, ImageSizeIsRoundedUpToWholeBlocks) {
    EXPECT_EQ(LoggerImageSize(0), 24u);
    EXPECT_EQ(LoggerImageSize(24), 24u);
    EXPECT_EQ(LoggerImageSize(25), 48u);
    EXPECT_EQ(LoggerImageSize(1000), 1008u);
    EXPECT_EQ(LoggerImageSize(0xFFFFFF), 16777224u);
}

TEST(LoggerDownload, ShortMemoryMakesNoBlockExchange) {
    for (std::uint32_t length : {0u, 6u, 24u}) {
        FakeMeter meter;
        meter.logger = LoggerMemoryResponder(ImageOfLength(length), {});
        DownloadRun run = Download(meter);
        ASSERT_EQ(run.result.outcome, LoggerDownloadOutcome::Done);
        EXPECT_EQ(run.result.image.size(), 24u);
        EXPECT_EQ(CountCommand(meter, 0x89), 0);
        EXPECT_TRUE(run.lines.empty());
    }
}

TEST(LoggerDownload, WholeImageArrivesAndTheLastLineShowsTheRoundedPosition) {
    FakeMeter meter;
    const auto image = ImageOfLength(1000);
    meter.logger = LoggerMemoryResponder(image, {});
    DownloadRun run = Download(meter);
    ASSERT_EQ(run.result.outcome, LoggerDownloadOutcome::Done);
    ASSERT_EQ(run.result.image.size(), 1008u);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), run.result.image.begin()));
    EXPECT_EQ(run.result.blockExchanges, 1008u / 24 - 1);
    EXPECT_EQ(run.lines.front(), "Read Bytes : 48 Of 1000");
    EXPECT_EQ(run.lines.back(), "Read Bytes : 1008 Of 1000");
    // One open per exchange: status, header and every block; all closed again.
    EXPECT_EQ(meter.opens, 2 + 1008 / 24 - 1);
    EXPECT_EQ(meter.openDevices, 0);
    EXPECT_TRUE(run.cleared);
}

TEST(LoggerDownload, BadChecksumIsAskedAgainAtTheSamePosition) {
    FakeMeter meter;
    const auto image = ImageOfLength(72);
    meter.logger = LoggerMemoryResponder(image, {1, 0});
    DownloadRun run = Download(meter);
    ASSERT_EQ(run.result.outcome, LoggerDownloadOutcome::Done);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), run.result.image.begin()));
    // Header (bad, repeated), then per block 0x89 (bad) and 0x8A (good).
    using C = std::pair<std::uint8_t, std::uint8_t>;
    const std::vector<C> expected = {{0x82, 0x66}, {0x52, 0x88}, {0x52, 0x88}, {0x52, 0x89},
                                     {0x52, 0x8A}, {0x52, 0x89}, {0x52, 0x8A}};
    EXPECT_EQ(meter.commands, expected);
}

TEST(LoggerDownload, FourBadAnswersEndWithTheTimeoutMessage) {
    FakeMeter meter;
    meter.logger = LoggerMemoryResponder(ImageOfLength(48), {4, 0});
    DownloadRun run = Download(meter);
    EXPECT_EQ(run.result.outcome, LoggerDownloadOutcome::Failed);
    EXPECT_EQ(run.result.messageId, 9016);
    EXPECT_EQ(CountCommand(meter, 0x89), 1);
    EXPECT_EQ(CountCommand(meter, 0x8A), 3);
    EXPECT_TRUE(run.result.image.empty());
    EXPECT_TRUE(run.cleared);
}

TEST(LoggerDownload, HeaderTimeouts) {
    FakeMeter meter;
    meter.logger = LoggerMemoryResponder(ImageOfLength(48), {0, 3});
    DownloadRun run = Download(meter);
    EXPECT_EQ(run.result.outcome, LoggerDownloadOutcome::Failed);
    EXPECT_EQ(run.result.messageId, 9016);
    EXPECT_EQ(CountCommand(meter, 0x88), 3);
    EXPECT_EQ(CountCommand(meter, 0x89), 0);

    FakeMeter patient;
    patient.logger = LoggerMemoryResponder(ImageOfLength(48), {0, 2});
    EXPECT_EQ(Download(patient).result.outcome, LoggerDownloadOutcome::Done);
}

TEST(LoggerDownload, HeaderWithEndlessBadChecksumsGivesUp) {
    FakeMeter meter;
    meter.logger = LoggerMemoryResponder(ImageOfLength(48), {1000, 0});
    DownloadRun run = Download(meter);
    EXPECT_EQ(run.result.outcome, LoggerDownloadOutcome::Failed);
    EXPECT_EQ(run.result.messageId, 9016);
    EXPECT_EQ(CountCommand(meter, 0x88), kHeaderChecksumRepeats);
}

TEST(LoggerDownload, WriteTimeoutEndsAtOnceWithoutRetry) {
    FakeMeter meter;
    meter.logger = LoggerMemoryResponder(ImageOfLength(96), {});
    meter.writeTimeoutAt = 3; // status, header, first block, second block
    DownloadRun run = Download(meter);
    EXPECT_EQ(run.result.outcome, LoggerDownloadOutcome::Failed);
    EXPECT_EQ(run.result.messageId, 9016);
    EXPECT_EQ(meter.commands.size(), 4u);

    FakeMeter headerMeter;
    headerMeter.logger = LoggerMemoryResponder(ImageOfLength(96), {});
    headerMeter.writeTimeoutAt = 1;
    DownloadRun header = Download(headerMeter);
    EXPECT_EQ(header.result.messageId, 9016);
    EXPECT_EQ(headerMeter.commands.size(), 2u);
}

TEST(LoggerDownload, CableAndStatusFailures) {
    FakeMeter absent;
    absent.cablePresent = false;
    DownloadRun run = Download(absent);
    EXPECT_EQ(run.result.messageId, 9015);
    EXPECT_FALSE(run.cleared);

    FakeMeter plain;
    plain.statusByte = 0x00;
    run = Download(plain);
    EXPECT_EQ(run.result.messageId, 9017);
    EXPECT_FALSE(run.cleared);

    FakeMeter silent;
    silent.silentStatus = true;
    run = Download(silent);
    EXPECT_EQ(run.result.messageId, 9017);
}

TEST(LoggerDownload, NoAtTheQuestionChangesNothing) {
    FakeMeter meter;
    meter.logger = LoggerMemoryResponder(ImageOfLength(96), {});
    DownloadRun run = Download(meter, false);
    EXPECT_EQ(run.result.outcome, LoggerDownloadOutcome::Declined);
    EXPECT_FALSE(run.cleared);
    EXPECT_EQ(meter.commands.size(), 1u);
}

TEST(LoggerDownload, StopsAfterTheBlockWhenCancelled) {
    FakeMeter meter;
    meter.logger = LoggerMemoryResponder(ImageOfLength(240), {});
    DownloadRun run = Download(meter, true, 2);
    EXPECT_EQ(run.result.outcome, LoggerDownloadOutcome::Cancelled);
    EXPECT_EQ(run.lines.size(), 2u);
    EXPECT_EQ(CountCommand(meter, 0x89), 2);
    EXPECT_TRUE(run.result.image.empty());
}

} // namespace
} // namespace ostrel
