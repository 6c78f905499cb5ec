#include "import/logger_image_builder.h"
#include "import/session_codes.h"
#include "import/session_decoder.h"
#include "link/reading.h"
#include "simulator/demo_sessions.h"

#include <gtest/gtest.h>

namespace ostrel {
namespace {

LoggerValue Val(std::uint16_t raw, std::uint8_t range = 0, bool overload = false,
                bool negative = false) {
    LoggerValue v;
    v.raw = raw;
    v.range = range;
    v.flags = static_cast<std::uint8_t>((overload ? 0x4 : 0) | (negative ? 0x8 : 0));
    return v;
}

SessionDecodeResult DecodeSessions(const std::vector<LoggerSessionData>& sessions) {
    std::string error;
    auto image = BuildLoggerImage(sessions, &error);
    EXPECT_TRUE(image) << error;
    if (!image)
        return {};
    return DecodeLoggerImage(image->data(), image->size());
}

std::string Text(const auto& field) {
    return std::string(FieldView(field));
}

TEST(SessionCodes, IntervalsAndFunctionTables) {
    EXPECT_DOUBLE_EQ(SampleInterval(0x00), 0.05);
    EXPECT_DOUBLE_EQ(SampleInterval(0x83), 1.0);
    EXPECT_DOUBLE_EQ(SampleInterval(0x0F), 600.0);

    SessionFunction f = DecodeSessionFunction(1, 0, 0x83);
    EXPECT_EQ(f.mainFunction, nFunc_AcV);
    EXPECT_EQ(f.mainTable, 1);
    EXPECT_EQ(f.subFunction, nFunc_Hz);
    EXPECT_EQ(f.subTable, 7);

    EXPECT_EQ(DecodeSessionFunction(6, 3, 0x10).mainFunction, nFunc_T1T2F);
    EXPECT_EQ(DecodeSessionFunction(6, 3, 0x00).subFunction, nFunc_T2C);
    EXPECT_EQ(DecodeSessionFunction(8, 2, 0x20).mainTable, 16);
    EXPECT_EQ(DecodeSessionFunction(8, 2, 0x00).subTable, 17);
    EXPECT_TRUE(DecodeSessionFunction(12, 7, 0).known);
    EXPECT_EQ(DecodeSessionFunction(12, 7, 0).mainFunction, 0u);

    // Modes the tables do not list are treated like function byte 0.
    for (auto [f8, m] : {std::pair{1, 2}, {6, 4}, {6, 5}, {9, 9}}) {
        SessionFunction u = DecodeSessionFunction(f8, m, 0);
        EXPECT_FALSE(u.known);
        EXPECT_EQ(u.mainFunction, 0u);
        EXPECT_EQ(u.mainTable, 0);
    }
}

TEST(SessionCodes, RangeExponents) {
    EXPECT_EQ(RangeExponent(1, 1), 1);
    EXPECT_EQ(RangeExponent(7, 6), 6);
    EXPECT_EQ(RangeExponent(12, 0), -2);
    EXPECT_EQ(RangeExponent(20, 1), -3);
    EXPECT_EQ(RangeExponent(23, 15), 3);
    EXPECT_EQ(RangeExponent(11, 9), 1);
    EXPECT_EQ(RangeExponent(13, 9), 0);
    EXPECT_EQ(RangeExponent(30, 2), 0);
    EXPECT_EQ(RangeExponent(1, 4), std::nullopt);
    EXPECT_EQ(RangeExponent(8, 2), std::nullopt);
}

TEST(SessionDecoding, AddressFormulaTruncatesTheBank) {
    EXPECT_EQ(LoggerAddressOffset(0x80, 0x00, 0xA0), 6);
    EXPECT_EQ(LoggerAddressOffset(0x80, 0x00, 0xA1), 6);
    EXPECT_EQ(LoggerAddressOffset(0x00, 0x00, 0xA2), 65536 - 122);
    EXPECT_LT(LoggerAddressOffset(0x00, 0x00, 0x10), 0);
    for (std::size_t offset : {6u, 65413u, 65414u, 200000u}) {
        auto a = LoggerAddressOf(offset);
        ASSERT_TRUE(a);
        EXPECT_EQ(LoggerAddressOffset((*a)[0], (*a)[1], (*a)[2]), static_cast<long>(offset));
    }
}

TEST(SessionDecoding, NoSessions) {
    auto r = DecodeSessions({});
    EXPECT_EQ(r.table.sessionCount(), 0u);
    EXPECT_TRUE(r.notices.empty());
    EXPECT_FALSE(r.cancelled);
}

TEST(SessionDecoding, ReadingsFollowTheIntervalFromZero) {
    auto r = DecodeSessions({{2, 0, 0x0E, {Val(1000), Val(2000), Val(3000)}}}); // 300 s
    ASSERT_EQ(r.table.sessionCount(), 1u);
    const auto& list = r.table.session(0);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(Text(list[0].main.timeText), "0:00'0.000\"");
    EXPECT_EQ(Text(list[1].main.timeText), "0:05'0.000\"");
    EXPECT_EQ(Text(list[2].main.timeText), "0:10'0.000\"");
    EXPECT_EQ(list[0].hasSub, 0);
    EXPECT_FALSE(list[0].sub);
    EXPECT_EQ(list[0].main.function, nFunc_DcV);
    EXPECT_EQ(Text(list[0].main.functionText), "V [DC]");
}

TEST(SessionDecoding, FixedFormatMatchesPrintf) {
    char buf[64];
    for (double v :
         {0.0, -0.0, 0.0005, 0.0015, 1.2345, -1.2345, 12.345, 999.9995, -0.025, 65535.0}) {
        for (int precision : {0, 1, 2, 3}) {
            for (int width : {3, 4, 5, 6}) {
                std::snprintf(buf, sizeof buf, "%0*.*f", width, precision, v);
                EXPECT_EQ(FormatFixed(v, precision, width), buf)
                    << v << " " << precision << " " << width;
            }
        }
    }
}

TEST(SessionDecoding, TimeTextKeepsSecondsUnpadded) {
    EXPECT_EQ(SessionTimeText(65.5), "0:01'5.500\"");
    EXPECT_EQ(SessionTimeText(3600 * 2 + 61.25), "2:01'1.250\"");
    EXPECT_EQ(SessionTimeText(0.05 * 3), "0:00'0.150\"");
    EXPECT_EQ(SessionTimeText(3600.0 * 1000), "1000:00'0.000\"");
}

TEST(SessionDecoding, DualVoltsAndHertz) {
    auto r = DecodeSessions({{1, 0, 0x83, {Val(1234, 1), Val(5000, 1)}}});
    const auto& pair = r.table.session(0).at(0);
    ASSERT_EQ(pair.hasSub, 1);
    ASSERT_TRUE(pair.sub);
    EXPECT_EQ(Text(pair.main.valueText), "1.234");
    EXPECT_EQ(Text(pair.main.exponentText), "1");
    EXPECT_EQ(Text(pair.main.dataText), "12.34");
    EXPECT_FLOAT_EQ(pair.main.value, 12.34f);
    EXPECT_EQ(Text(pair.main.functionText), "V [AC]");
    EXPECT_EQ(pair.sub->function, nFunc_Hz);
    EXPECT_EQ(Text(pair.sub->dataText), "50.00");
    EXPECT_FLOAT_EQ(pair.sub->value, 50.0f);
    EXPECT_EQ(Text(pair.sub->functionText), "Hz");
    EXPECT_EQ(Text(pair.sub->timeText), Text(pair.main.timeText));
}

TEST(SessionDecoding, VoltOverloadByRange) {
    auto r =
        DecodeSessions({{2, 0, 0x03, {Val(0, 0, true), Val(0, 1, true, true), Val(0, 2, true)}}});
    const auto& list = r.table.session(0);
    EXPECT_EQ(Text(list[0].main.valueText), "OL");
    EXPECT_EQ(Text(list[0].main.dataText), ".OL");
    EXPECT_FLOAT_EQ(list[0].main.value, 10.9989f);
    EXPECT_EQ(Text(list[1].main.valueText), "-OL");
    EXPECT_EQ(Text(list[1].main.dataText), "O.L");
    EXPECT_FLOAT_EQ(list[1].main.value, -109.989f);
    EXPECT_EQ(Text(list[2].main.dataText), "OL.");
    // Range 3 has no overload text of its own: the value text stands.
    EXPECT_EQ(SessionDataText("OL", nFunc_DcV, 3), "OL");
}

TEST(SessionDecoding, TemperatureOverloadAndNegativeReading) {
    auto r = DecodeSessions(
        {{6, 0, 0x03, {Val(0, 0, true), Val(0, 0, true, true), Val(25, 0, false, true)}},
         {6, 0, 0x13, {Val(0, 0, true)}}});
    const auto& c = r.table.session(0);
    for (int i : {0, 1}) {
        EXPECT_EQ(Text(c[i].main.valueText), "----");
        EXPECT_EQ(Text(c[i].main.dataText), "----");
        EXPECT_FLOAT_EQ(c[i].main.value, -1375.0f);
    }
    EXPECT_EQ(Text(c[2].main.valueText), "-0.025");
    EXPECT_EQ(Text(c[2].main.dataText), "-25");
    EXPECT_FLOAT_EQ(c[2].main.value, -25.0f);
    EXPECT_EQ(Text(c[2].main.functionText), "C [T1]");
    EXPECT_EQ(Text(c[2].main.unitText), "");
    const auto& f = r.table.session(1);
    EXPECT_EQ(f[0].main.function, nFunc_T1F);
    EXPECT_FLOAT_EQ(f[0].main.value, -2510.0f);
}

TEST(SessionDecoding, DualWithoutSubFunctionStillMakesSubRecords) {
    auto r = DecodeSessions({{2, 0, 0x80, {Val(1500), Val(777, 2)}}});
    const auto& pair = r.table.session(0).at(0);
    ASSERT_EQ(pair.hasSub, 1);
    ASSERT_TRUE(pair.sub);
    EXPECT_EQ(pair.sub->function, 0u);
    EXPECT_EQ(Text(pair.sub->valueText), "0.777");
    EXPECT_EQ(Text(pair.sub->dataText), "0.777");
    EXPECT_EQ(Text(pair.sub->exponentText), "0");
    EXPECT_FLOAT_EQ(pair.sub->value, 0.777f);
}

TEST(SessionDecoding, DisplayTextsOfTheOtherRows) {
    EXPECT_EQ(SessionDataText("1.234", nFunc_DcV, 3), "1234");
    EXPECT_EQ(SessionDataText("-1.234", nFunc_DcV, -1), "-123.4");
    EXPECT_EQ(SessionDataText("1.234", nFunc_Ohm, 4), "12.34");
    EXPECT_EQ(SessionDataText("1.234", nFunc_Cx, 3), "1234");
    EXPECT_EQ(SessionDataText("1.234", nFunc_Cx, -2), "12.34");
    EXPECT_EQ(SessionDataText("1.234", nFunc_DcA, -4), "123.4");
    EXPECT_EQ(SessionDataText("OL", nFunc_DcA, 3), "OL");
    EXPECT_EQ(SessionDataText("OL", nFunc_DcA, -4), "OL");
    EXPECT_EQ(SessionDataText("5.000", nFunc_Hz, 4), "50.00");
    EXPECT_EQ(SessionDataText("1.234", nFunc_S, 1), "12.34");
    EXPECT_EQ(SessionDataText("0.025C", nFunc_T2C, 3), "025");
    EXPECT_EQ(SessionDataText("1.234", 0, 0), "1.234");
    EXPECT_EQ(SessionPrefixText(nFunc_Ohm, 4), "k");
    EXPECT_EQ(SessionPrefixText(nFunc_DcA, -4), "u");
    EXPECT_EQ(SessionFunctionText(nFunc_DcV, false), "V");
    EXPECT_EQ(SessionFunctionText(nFunc_AcDcA, true), "A [DC+AC]");
    EXPECT_FLOAT_EQ(SessionValue("OL", nFunc_Duty, 1), 110.0f);
    EXPECT_FLOAT_EQ(SessionValue("-OL", nFunc_Ohm, 3), -6600.0f);
    EXPECT_FLOAT_EQ(SessionValue("OL", 0, 0), 10998.9f);
}

TEST(SessionDecoding, UnknownModesAndRangesAreKeptAndReported) {
    auto r = DecodeSessions({{1, 5, 0x03, {Val(1234, 0)}}, {2, 0, 0x03, {Val(1234, 9)}}});
    ASSERT_EQ(r.table.sessionCount(), 2u);
    EXPECT_EQ(r.table.session(0)[0].main.function, 0u);
    EXPECT_EQ(Text(r.table.session(0)[0].main.dataText), "1.234");
    EXPECT_EQ(Text(r.table.session(1)[0].main.exponentText), "0");
    EXPECT_EQ(r.unknownFunctions, 1u);
    EXPECT_EQ(r.unknownRanges, 1u);
    EXPECT_EQ(r.notices, (std::vector<int>{7134, 7135}));
}

TEST(SessionDecoding, SessionCrossingABankIsFollowed) {
    std::vector<LoggerValue> many(30000, Val(1500));
    auto r = DecodeSessions({{2, 0, 0x03, {Val(1)}}, {2, 0, 0x03, many}, {5, 0, 0x03, {Val(2)}}});
    ASSERT_EQ(r.table.sessionCount(), 3u);
    EXPECT_EQ(r.table.session(1).size(), 30000u);
    EXPECT_EQ(r.table.session(2)[0].main.function, nFunc_Ohm);
    EXPECT_TRUE(r.notices.empty());
}

TEST(SessionDecoding, NothingOutsideTheImageIsRead) {
    auto image =
        *BuildLoggerImage({{2, 0, 0x03, {Val(1), Val(2), Val(3)}}, {2, 0, 0x03, {Val(4)}}});
    // Cut in the middle of the first session: two readings and no second session.
    std::vector<std::uint8_t> cut(image.begin(), image.begin() + 6 + 14 + 7);
    auto r = DecodeLoggerImage(cut.data(), cut.size());
    ASSERT_EQ(r.table.sessionCount(), 1u);
    EXPECT_EQ(r.table.session(0).size(), 2u);
    EXPECT_EQ(r.readingsCut, 1u);
    EXPECT_EQ(r.sessionsCut, 1u);
    EXPECT_EQ(r.notices, std::vector<int>{7132});

    // A next address before the image ends the chain there.
    image[6 + 7] = 0x10;
    r = DecodeLoggerImage(image.data(), image.size());
    EXPECT_EQ(r.table.sessionCount(), 1u);
    EXPECT_EQ(r.sessionsCut, 1u);

    // A next address back into what was read ends the chain: nothing is read twice.
    auto loop = *BuildLoggerImage(
        {{2, 0, 0x03, {Val(1), Val(2)}}, {2, 0, 0x03, {Val(4)}}, {2, 0, 0x03, {Val(5)}}});
    const std::size_t second = 6 + 14 + 6;
    loop[second + 5] = 0x80; // the second session points back at the first
    loop[second + 6] = 0x00;
    loop[second + 7] = 0xA0;
    r = DecodeLoggerImage(loop.data(), loop.size());
    EXPECT_EQ(r.table.sessionCount(), 2u);
    EXPECT_EQ(r.sessionsCut, 1u);
    EXPECT_EQ(r.notices, std::vector<int>{7136});

    // Too short for a header.
    EXPECT_EQ(DecodeLoggerImage(image.data(), 5).table.sessionCount(), 0u);
}

TEST(SessionDecoding, SessionCountIsBoundedByTheTable) {
    std::vector<LoggerSessionData> sessions(1005, LoggerSessionData{2, 0, 0x03, {Val(7)}});
    auto r = DecodeSessions(sessions);
    EXPECT_EQ(r.table.sessionCount(), kMaxSessions);
    EXPECT_EQ(r.sessionsCut, 6u);
    EXPECT_EQ(r.notices, std::vector<int>{7133});
}

TEST(SessionDecoding, CancelledBeforeAReadingLeavesNothing) {
    auto image = *BuildLoggerImage({{2, 0, 0x03, {Val(1), Val(2), Val(3)}}});
    int asked = 0;
    int steps = 0;
    SessionDecodeCallbacks cb;
    cb.cancelled = [&asked] { return ++asked == 2; };
    cb.step = [&steps] { ++steps; };
    auto r = DecodeLoggerImage(image.data(), image.size(), cb);
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(r.table.sessionCount(), 0u);
    EXPECT_EQ(steps, 3 + 1); // the unpack pass, then one reading of the record pass
}

TEST(SessionDecoding, ValuesForTheBuilderRoundTrip) {
    auto v = LoggerValueFor(12.34, 1);
    ASSERT_TRUE(v);
    EXPECT_EQ(v->range, 1);
    EXPECT_EQ(v->raw, 1234);
    auto t = LoggerValueFor(-25, 23);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->raw, 25);
    EXPECT_TRUE(t->negative());
    EXPECT_FALSE(LoggerValueFor(1e9, 4));
}

TEST(SessionDecoding, DemoSessionsDecodeAsDescribed) {
    auto image = *BuildLoggerImage(DemoLoggerSessions());
    // The second session runs across the first 64 KiB bank of the meter's memory.
    EXPECT_GT(image.size(), 65536u);
    auto r = DecodeLoggerImage(image.data(), image.size());
    ASSERT_EQ(r.table.sessionCount(), 3u);
    EXPECT_TRUE(r.notices.empty());
    const auto& mains = r.table.session(0);
    ASSERT_EQ(mains.size(), kDemoMainsReadings);
    EXPECT_EQ(mains[0].main.function, nFunc_AcV);
    EXPECT_NEAR(mains[0].main.value, 230.0, 3.0);
    EXPECT_NEAR(mains[0].sub->value, 50.0, 0.1);
    const auto& battery = r.table.session(1);
    ASSERT_EQ(battery.size(), kDemoBatteryReadings);
    EXPECT_EQ(Text(battery[0].main.dataText), "12.72");
    EXPECT_LT(battery.back().main.value, 11.8f);
    const auto& oven = r.table.session(2);
    ASSERT_EQ(oven.size(), kDemoTemperatureReadings);
    EXPECT_EQ(Text(oven[0].main.dataText), "021");
    EXPECT_EQ(Text(oven[56].main.dataText), "----");
    EXPECT_FLOAT_EQ(oven[56].main.value, -1375.0f);
    EXPECT_EQ(Text(oven[2].main.timeText), "0:00'20.000\"");
}

} // namespace
} // namespace ostrel
