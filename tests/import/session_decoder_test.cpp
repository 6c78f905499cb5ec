#include "import/logger_image_builder.h"
#include "import/session_codes.h"
#include "import/session_decoder.h"
#include "import/session_record_maker.h"
#include "link/reading.h"
#include "session_reference.h"
#include "simulator/demo_sessions.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>

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

std::string TimeText(double t) {
    return std::string(FieldView(SessionTimeField(t)));
}

TEST(SessionDecoding, TimeTextKeepsSecondsUnpadded) {
    EXPECT_EQ(TimeText(65.5), "0:01'5.500\"");
    EXPECT_EQ(TimeText(3600 * 2 + 61.25), "2:01'1.250\"");
    EXPECT_EQ(TimeText(0.05 * 3), "0:00'0.150\"");
    EXPECT_EQ(TimeText(3600.0 * 1000), "1000:00'0.000\"");
    // Longer than the field: cut to 15 characters.
    EXPECT_EQ(TimeText(3600.0 * 1000000 + 59.5), "1000000:00'59.5");
}

TEST(SessionDecoding, TimeTextMatchesPrintf) {
    // Running sums of every interval, as the decoder adds them up, and times
    // whose seconds end in a half thousandth.
    std::vector<double> times = {0.0625, 0.0005, 59.9995, 3599.9995, 1.0625, 7.3125};
    for (std::uint8_t code = 0; code < 16; ++code) {
        double t = 0;
        for (int i = 0; i < 3000; ++i, t += SampleInterval(code))
            if (i % 7 == 0)
                times.push_back(t);
    }
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> any(0, 400000);
    for (int i = 0; i < 20000; ++i)
        times.push_back(any(random));
    // Up to the longest session: 5.6 million readings 600 s apart.
    std::uniform_real_distribution<double> far(0, 3.4e9);
    for (int i = 0; i < 5000; ++i)
        times.push_back(far(random));
    char buf[64];
    // The clock of a session gives the same fields, in order and out of it.
    SessionClock clock, jumping;
    for (double t : times) {
        ASSERT_TRUE(clock.field(t) == SessionTimeField(t)) << t;
        ASSERT_TRUE(jumping.field(400000 - t) == SessionTimeField(400000 - t)) << t;
    }
    for (double t : times) {
        const int h = static_cast<int>(t / 60 / 60);
        const int m = static_cast<int>((t - 3600.0 * h) / 60);
        const float sec = static_cast<float>(t - 3600.0 * h - 60.0 * m);
        std::snprintf(buf, sizeof buf, "%d:%02d'%4.3f\"", h, m, static_cast<double>(sec));
        ASSERT_EQ(TimeText(t), std::string(buf).substr(0, 15)) << t;
    }
}

TEST(SessionDecoding, QuickRecordsMatchTheTextRules) {
    // Every function and range table a session can name, every range code,
    // counts across the four-digit range and beyond, each flag combination.
    std::vector<std::pair<std::uint32_t, int>> displays = {{0, 0}, {0x14, 0}, {nFunc_S, 0}};
    for (int f = 0; f <= 10; ++f)
        for (int m = 0; m <= 5; ++m)
            for (std::uint8_t g : {0x00, 0x10, 0x20}) {
                const SessionFunction fn = DecodeSessionFunction(f, m, g);
                displays.emplace_back(fn.mainFunction, fn.mainTable);
                displays.emplace_back(fn.subFunction, fn.subTable);
            }
    std::sort(displays.begin(), displays.end());
    displays.erase(std::unique(displays.begin(), displays.end()), displays.end());
    std::vector<std::uint16_t> counts = {0, 1, 5, 9, 10, 99, 100, 999, 1000, 9999, 10000, 65535};
    for (std::uint16_t raw = 0; raw < 10000; raw += 37)
        counts.push_back(raw);
    const TimeField time = SessionTimeField(1.5);
    for (bool isMain : {true, false}) {
        for (const auto& [function, table] : displays) {
            const SessionRecordMaker maker(function, table, isMain);
            for (std::uint8_t k = 0; k < 16; ++k)
                for (std::uint16_t raw : counts)
                    for (std::uint8_t flags : {0x0, 0x4, 0x8, 0xC}) {
                        LoggerValue v;
                        v.raw = raw;
                        v.range = k;
                        v.flags = flags;
                        TRecord quick;
                        const bool known = maker.fill(quick, v, time);
                        TRecord reference = ReferenceRecord(v, function, table, isMain);
                        reference.timeText = time;
                        ASSERT_EQ(known, RangeExponent(table, k).has_value());
                        const float number = maker.value(v);
                        ASSERT_EQ(std::memcmp(&number, &reference.value, sizeof number), 0)
                            << number << " / " << reference.value;
                        ASSERT_TRUE(quick == reference)
                            << std::hex << function << std::dec << " table " << table << " k "
                            << int(k) << " raw " << raw << " flags " << int(flags) << ": "
                            << Text(quick.dataText) << " / " << Text(reference.dataText) << ", "
                            << quick.value << " / " << reference.value;
                    }
        }
    }
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

TEST(SessionDecoding, LongSessionsDecodeInPartsAsInOne) {
    // Long enough to be shared out between threads; every reading's time is
    // the running sum of an interval that has no exact binary form.
    const std::size_t n = (std::size_t{1} << 18) + 5;
    LoggerSessionData s{1, 0, 0x80, {}}; // dual, 0.05 s
    for (std::size_t i = 0; i < n; ++i) {
        s.values.push_back(Val(static_cast<std::uint16_t>(i % 10000), 2));
        s.values.push_back(Val(static_cast<std::uint16_t>((i * 3) % 10000), 1));
    }
    auto r = DecodeSessions({s});
    ASSERT_EQ(r.table.sessionCount(), 1u);
    const SessionList& list = r.table.session(0);
    ASSERT_EQ(list.size(), n);
    double t = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0)
            t += 0.05;
        ASSERT_TRUE(list[i].main.timeText == SessionTimeField(t)) << i;
        ASSERT_TRUE(list[i].sub && list[i].sub->timeText == list[i].main.timeText) << i;
        ASSERT_EQ(list[i].main.value, static_cast<float>(static_cast<double>(i % 10000) / 10)) << i;
        ASSERT_EQ(list[i].sub->value, static_cast<float>(static_cast<double>(i * 3 % 10000) / 100))
            << i;
    }
}

TEST(SessionDecoding, ChainInAnotherMemoryOrderIsFollowedWhole) {
    // Five sessions stored as 0, 3, 1, 4, 2 from the lowest address up; the
    // long one (stored second) runs across the first 64 KiB bank, and the
    // chain jumps back and forth over it.
    std::vector<LoggerSessionData> sessions;
    const std::size_t sizes[] = {40, 7, 500, 25000, 3};
    for (std::size_t k = 0; k < 5; ++k) {
        LoggerSessionData s{static_cast<std::uint8_t>(k == 2 ? 1 : 2),
                            0,
                            static_cast<std::uint8_t>(k == 2 ? 0x83 : 0x03),
                            {}};
        for (std::size_t i = 0; i < sizes[k]; ++i) {
            s.values.push_back(Val(static_cast<std::uint16_t>((k * 1000 + i * 7) % 10000), 1));
            if (k == 2)
                s.values.push_back(Val(static_cast<std::uint16_t>(i % 10000), 2));
        }
        sessions.push_back(s);
    }
    std::string error;
    auto image = BuildLoggerImage(sessions, {0, 3, 1, 4, 2}, &error);
    ASSERT_TRUE(image) << error;
    ASSERT_GT(image->size(), 65536u);
    // The chain's addresses do not only go up: session 1 lies after session 3.
    const LoggerChain chain = WalkLoggerChain(image->data(), image->size());
    ASSERT_EQ(chain.sessions.size(), 5u);
    EXPECT_GT(chain.sessions[1].descriptor, chain.sessions[3].descriptor);
    EXPECT_LT(chain.sessions[3].descriptor, 65536u - 122);
    EXPECT_GT(chain.sessions[3].first + 3 * sizes[3], 65536u - 122);

    auto r = DecodeLoggerImage(image->data(), image->size());
    EXPECT_TRUE(r.notices.empty());
    EXPECT_EQ(r.sessionsCut, 0u);
    EXPECT_EQ(r.readingsCut, 0u);
    ASSERT_EQ(r.table.sessionCount(), 5u);
    for (std::size_t k = 0; k < 5; ++k) {
        const SessionList& list = r.table.session(k);
        ASSERT_EQ(list.size(), sizes[k]) << k;
        const bool dual = k == 2;
        for (std::size_t i = 0; i < sizes[k]; ++i) {
            const LoggerValue& main = sessions[k].values[dual ? 2 * i : i];
            char text[8];
            std::snprintf(text, sizeof text, "%u.%03u", main.raw / 1000, main.raw % 1000);
            ASSERT_EQ(Text(list[i].main.valueText), text) << k << " " << i;
            ASSERT_EQ(list[i].main.function, dual ? nFunc_AcV : nFunc_DcV);
            ASSERT_EQ(list[i].hasSub, dual ? 1 : 0);
            if (dual) {
                ASSERT_FLOAT_EQ(list[i].sub->value,
                                static_cast<float>(sessions[k].values[2 * i + 1].raw) / 10);
            }
        }
    }
}

TEST(SessionDecoding, DataAlreadyReadIsNotReadAgain) {
    auto image = *BuildLoggerImage(
        {{2, 0, 0x03, {Val(1), Val(2), Val(3), Val(4)}}, {2, 0, 0x03, {Val(5), Val(6)}}});
    const std::size_t first = 6, second = 6 + 14 + 12;
    auto pointAt = [](std::vector<std::uint8_t>& img, std::size_t desc, std::size_t target) {
        const auto a = *LoggerAddressOf(target);
        std::copy(a.begin(), a.end(), img.begin() + static_cast<std::ptrdiff_t>(desc + 5));
    };
    // Into the readings of the first session, into the header, at itself.
    for (std::size_t target : {first + 14 + 3, std::size_t{2}, second + 0}) {
        auto img = image;
        pointAt(img, second, target);
        img[4] = 3; // a third session that would lie there
        auto r = DecodeLoggerImage(img.data(), img.size());
        EXPECT_EQ(r.notices, std::vector<int>{7136}) << target;
        EXPECT_EQ(r.table.sessionCount(), 2u);
        EXPECT_EQ(r.sessionsCut, 1u);
    }

    // Readings that would run into a session read before are cut where it
    // begins. Stored as 0, 2, 1, the chain visits 2 last, after 1.
    auto shuffled = *BuildLoggerImage({{2, 0, 0x03, {Val(1), Val(2), Val(3), Val(4)}},
                                       {2, 0, 0x03, {Val(5), Val(6)}},
                                       {2, 0, 0x03, {Val(7), Val(8), Val(9)}}},
                                      {0, 2, 1});
    const std::size_t third = 6 + 14 + 12;
    shuffled[third + 11] = 3 * 5; // two readings more than it holds
    auto r = DecodeLoggerImage(shuffled.data(), shuffled.size());
    ASSERT_EQ(r.table.sessionCount(), 3u);
    EXPECT_EQ(r.table.session(2).size(), 3u);
    EXPECT_EQ(Text(r.table.session(2).back().main.valueText), "0.009");
    EXPECT_EQ(r.readingsCut, 2u);
    EXPECT_EQ(r.sessionsCut, 0u);
    EXPECT_EQ(r.notices, std::vector<int>{7137});
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

TEST(SessionDecoding, CancelledDecodingLeavesNothing) {
    std::vector<LoggerValue> many(3 * kDecodeProgressStep, Val(1500));
    auto image = *BuildLoggerImage({{2, 0, 0x03, {Val(1)}}, {2, 0, 0x03, many}});
    std::vector<std::size_t> done;
    SessionDecodeCallbacks cb;
    cb.progress = [&done](std::size_t session, std::size_t sessions, std::size_t d,
                          std::size_t total) {
        EXPECT_EQ(sessions, 2u);
        EXPECT_EQ(total, session == 0 ? 1u : 3 * kDecodeProgressStep);
        done.push_back(d);
    };
    cb.cancelled = [&done] { return done.size() == 4; }; // in the second session
    auto r = DecodeLoggerImage(image.data(), image.size(), cb);
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(r.table.sessionCount(), 0u);
    EXPECT_EQ(done, (std::vector<std::size_t>{0, 1, 0, kDecodeProgressStep}));

    // Not cancelled: each session from 0 to its end.
    done.clear();
    cb.cancelled = [] { return false; };
    r = DecodeLoggerImage(image.data(), image.size(), cb);
    EXPECT_EQ(r.table.pairCount(), 1 + 3 * kDecodeProgressStep);
    EXPECT_EQ(done, (std::vector<std::size_t>{0, 1, 0, kDecodeProgressStep, 2 * kDecodeProgressStep,
                                              3 * kDecodeProgressStep}));
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
