// Statistics of stored samples: random runs against a two-pass computation in
// long double, the time span across midnight and in session time, and what
// the figures are when there are too few values.
#include "recorder/statistics.h"

#include "recorder/sample_conversion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace ostrel {
namespace {

TRecord Record(const std::string& valueText, float value, const std::string& time = "") {
    TRecord r;
    StoreField(r.valueText, valueText);
    StoreField(r.timeText, time);
    r.value = value;
    return r;
}

TEST(StatisticsTest, RandomRunsAgreeWithATwoPassComputation) {
    std::mt19937 random(7);
    std::normal_distribution<float> noise(0.0f, 1.0f);
    for (int run = 0; run < 200; ++run) {
        // A large offset with a small spread: a one-pass sum of squares
        // would lose every digit here.
        const float offset = run % 2 ? 1.0e4f : 0.0f;
        const float spread = run % 3 ? 0.01f : 100.0f;
        const int n = std::uniform_int_distribution(0, 400)(random);
        SampleStatistics statistics;
        std::vector<float> main, sub;
        int mainOverloads = 0, subOverloads = 0;
        float minMain = INFINITY, maxMain = -INFINITY;
        std::string minTime, maxTime;
        for (int i = 0; i < n; ++i) {
            const std::string time = FormatSampleTime(10, i / 600 % 60, i / 10 % 60, i % 10);
            const float v = offset + spread * noise(random);
            const bool overload = std::uniform_int_distribution(0, 9)(random) == 0;
            const TRecord m = overload ? Record(" 0L", 6.6f, time) : Record("1.0", v, time);
            mainOverloads += overload;
            if (!overload) {
                main.push_back(v);
                if (v < minMain)
                    minMain = v, minTime = time;
                if (v > maxMain)
                    maxMain = v, maxTime = time;
            }
            const int subKind = std::uniform_int_distribution(0, 3)(random); // absent, ----, value
            const TRecord s = subKind == 1 ? Record("----", -1375.0f) : Record("2", v / 2);
            if (subKind == 1)
                ++subOverloads;
            if (subKind >= 2)
                sub.push_back(v / 2);
            statistics.add(m, subKind == 0 ? nullptr : &s);
        }

        const auto check = [](const DisplayStatistics& got, const std::vector<float>& values,
                              int overloads) {
            EXPECT_EQ(got.count, static_cast<std::int64_t>(values.size()));
            EXPECT_EQ(got.overloads, overloads);
            if (values.empty()) {
                EXPECT_FALSE(got.mean || got.min || got.max || got.stddev);
                return;
            }
            long double sum = 0;
            for (float v : values)
                sum += v;
            const long double mean = sum / values.size();
            EXPECT_NEAR(*got.mean, static_cast<double>(mean), 1e-12 * (1 + std::fabs(*got.mean)));
            if (values.size() < 2) {
                EXPECT_FALSE(got.stddev);
                return;
            }
            long double squares = 0;
            for (float v : values)
                squares += (v - mean) * (v - mean);
            const double stddev = std::sqrt(static_cast<double>(squares / (values.size() - 1)));
            EXPECT_NEAR(*got.stddev, stddev, 1e-9 * stddev + 1e-12);
        };
        check(statistics.main().result(), main, mainOverloads);
        check(statistics.sub().result(), sub, subOverloads);
        const DisplayStatistics m = statistics.main().result();
        if (!main.empty()) {
            EXPECT_EQ(*m.min, minMain);
            EXPECT_EQ(*m.max, maxMain);
            EXPECT_EQ(m.minTime, minTime); // the first of equal values
            EXPECT_EQ(m.maxTime, maxTime);
        }
        EXPECT_EQ(statistics.samples(), n);
    }
}

TEST(StatisticsTest, SpanCountsTheNextDayAndPassesOverTextsThatAreNoTime) {
    SampleStatistics s;
    for (const char* time :
         {" 23:59:58.5", "", " 23:59:59.9", "  0:00:01.0", "garbage", "  0:00:00.5", " 12:00:00.0"})
        s.add(Record("1", 1.0f, time), nullptr);
    // 23:59:58.5 -> 0:00:01.0 (+1 day) -> 0:00:00.5 (+1 more day) -> 12:00:00.0
    EXPECT_DOUBLE_EQ(*s.main().result().span, 86400.0 + 12 * 3600.0 + 1.5);

    SampleStatistics session;
    for (const char* time : {"0:00'0.000\"", "0:00'12.500\"", "1:02'3.250\"", "26:00'0.000\""})
        session.add(Record("1", 1.0f, time), nullptr);
    EXPECT_DOUBLE_EQ(*session.main().result().span, 26 * 3600.0);
    // A session time that runs back by more than a day still moves forward.
    session.add(Record("1", 1.0f, "0:00'1.000\""), nullptr);
    EXPECT_DOUBLE_EQ(*session.main().result().span, 2 * 86400.0 + 1.0);

    EXPECT_EQ(TimeTextMilliseconds(" 14:05:09.3"), 50709300);
    EXPECT_EQ(TimeTextMilliseconds("0:01'5.250\""), 65250);
    for (const char* bad :
         {"14:05", "14:5:09.3", "14:05:09.3x", "0:01'5.250", "x14:05:09.3", "24:00:00.0"})
        EXPECT_FALSE(TimeTextMilliseconds(bad)) << bad;
}

TEST(StatisticsTest, SubstitutesOnlyAndSingleValues) {
    SampleStatistics s;
    s.add(Record("0L", 6.6f, " 10:00:00.0"), nullptr);
    s.add(Record("---", 1375.0f, " 10:00:01.0"), nullptr);
    const DisplayStatistics all = s.main().result();
    EXPECT_EQ(all.count, 0);
    EXPECT_EQ(all.overloads, 2);
    EXPECT_FALSE(all.mean || all.min || all.max || all.stddev);
    EXPECT_DOUBLE_EQ(*all.span, 1.0); // the time still spans the substitutes
    const DisplayStatistics none = s.sub().result();
    EXPECT_EQ(none.count + none.overloads, 0);
    EXPECT_FALSE(none.span);

    s.add(Record(" -1.25 ", -1.25f, " 10:00:02.0"), nullptr);
    const DisplayStatistics one = s.main().result();
    EXPECT_EQ(one.count, 1);
    EXPECT_EQ(*one.mean, -1.25);
    EXPECT_FALSE(one.stddev);
    EXPECT_EQ(one.minTime, " 10:00:02.0");

    EXPECT_TRUE(IsSubstituteValue(Record("-OL", -6.6f)));
    EXPECT_TRUE(IsSubstituteValue(Record("1.0", NAN)));
    EXPECT_FALSE(IsSubstituteValue(Record("1.5E3", 1500.0f)));

    SampleBuffer buffer(5);
    for (int i = 0; i < 5; ++i) {
        StoreField(buffer[i].main.valueText, "1");
        buffer[i].main.value = static_cast<float>(i);
    }
    EXPECT_EQ(*StatisticsOf(buffer, 1, 4).main().result().mean, 2.0);
    EXPECT_EQ(StatisticsOf(buffer, 3, 99).main().count(), 2);
}

} // namespace
} // namespace ostrel
