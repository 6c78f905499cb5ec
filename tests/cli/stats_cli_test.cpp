// ostrel-cli stats of a capture, the record file converted from it and the
// session file of a simulated download, checked against arithmetic of its
// own over the stored records.
#include "import/session_file.h"
#include "recorder/record_file.h"

#include "cli_run.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <optional>

namespace ostrel {
namespace {

using test::CliDir;
using test::CliRun;
using test::RunCli;

struct Stored {
    std::string valueText;
    float value;
    std::string time;
};

// Seconds of "hh:mm:ss.t" or "h:mm's.fff\"" by sscanf, or nothing.
std::optional<double> Seconds(const std::string& time) {
    int h = 0, m = 0;
    double s = 0;
    char tail = 0;
    if (std::sscanf(time.c_str(), "%d:%d:%lf%c", &h, &m, &s, &tail) == 3 ||
        (std::sscanf(time.c_str(), "%d:%d'%lf%c", &h, &m, &s, &tail) == 4 && tail == '"'))
        return h * 3600.0 + m * 60.0 + s;
    return std::nullopt;
}

// The display's figures worked out over the whole list in two passes.
void ExpectFigures(const nlohmann::ordered_json& got, const std::vector<Stored>& records) {
    std::vector<const Stored*> values;
    long overloads = 0;
    for (const Stored& r : records) {
        const bool substitute = r.valueText.find('L') != std::string::npos ||
                                r.valueText.find_first_not_of('-') == std::string::npos;
        if (substitute)
            ++overloads;
        else
            values.push_back(&r);
    }
    EXPECT_EQ(got["count"], values.size());
    EXPECT_EQ(got["overloads"], overloads);
    if (values.empty()) {
        EXPECT_TRUE(got["mean"].is_null() && got["min"].is_null() && got["maxTime"].is_null());
    } else {
        double sum = 0;
        for (const Stored* r : values)
            sum += r->value;
        const double mean = sum / static_cast<double>(values.size());
        double squares = 0;
        for (const Stored* r : values)
            squares += (r->value - mean) * (r->value - mean);
        EXPECT_NEAR(got["mean"].get<double>(), mean, 1e-9 * (1 + std::fabs(mean)));
        if (values.size() > 1) {
            EXPECT_NEAR(got["stddev"].get<double>(),
                        std::sqrt(squares / static_cast<double>(values.size() - 1)),
                        1e-9 * (1 + std::fabs(mean)));
        }
        const Stored* min = values.front();
        const Stored* max = values.front();
        for (const Stored* r : values) {
            if (r->value < min->value)
                min = r;
            if (r->value > max->value)
                max = r;
        }
        EXPECT_EQ(got["min"].get<double>(), min->value);
        EXPECT_EQ(got["max"].get<double>(), max->value);
        EXPECT_EQ(got["minTime"], min->time);
        EXPECT_EQ(got["maxTime"], max->time);
    }
    if (records.empty()) {
        EXPECT_TRUE(got["span"].is_null());
    } else {
        double span = 0, previous = *Seconds(records.front().time), day = 0;
        for (const Stored& r : records) {
            const double s = *Seconds(r.time);
            if (s < previous)
                day += 86400;
            previous = s;
            span = s + day - *Seconds(records.front().time);
        }
        EXPECT_NEAR(got["span"].get<double>(), span, 1e-6);
    }
}

Stored Of(const TRecord& r, const TRecord& timed) {
    return {std::string(FieldView(r.valueText)), r.value, std::string(FieldView(timed.timeText))};
}

TEST(StatsCliTest, ACaptureAndItsRecordFileGiveTheFiguresOfTheirRecords) {
    CliDir dir;
    // Long enough to pass every function of the simulated meter, an
    // overload and stretches without sub display among them.
    ASSERT_EQ(RunCli(dir, "read --simulate=latency=0 --format raw --count 600 -o x.frames").status,
              0);
    ASSERT_EQ(RunCli(dir, "convert x.frames -o x.g53").status, 0);
    const CliRun fromRecords = RunCli(dir, "stats x.g53 --json");
    ASSERT_EQ(fromRecords.status, 0) << fromRecords.err;
    const CliRun fromCapture = RunCli(dir, "stats x.frames --json");
    ASSERT_EQ(fromCapture.status, 0) << fromCapture.err;
    EXPECT_EQ(fromRecords.out, fromCapture.out);
    // The simulated meter changes function: the figures come with a caution.
    EXPECT_NE(fromRecords.err.find("The main display changes its function within these samples"),
              std::string::npos)
        << fromRecords.err;

    SampleBuffer pairs;
    ASSERT_EQ(LoadRecordFile(dir / "x.g53", pairs).status, LoadStatus::Ok);
    std::vector<Stored> main, sub;
    for (const RecordPair& p : pairs) {
        main.push_back(Of(p.main, p.main));
        if (p.hasSub)
            sub.push_back(Of(p.sub, p.main));
    }
    const auto json = nlohmann::ordered_json::parse(fromRecords.out);
    ExpectFigures(json["main"], main);
    ExpectFigures(json["sub"], sub);
    EXPECT_GT(json["main"]["overloads"].get<int>(), 0);
    EXPECT_GT(main.size(), sub.size());
    std::vector<std::string> keys;
    for (const auto& item : json["main"].items())
        keys.push_back(item.key());
    EXPECT_EQ(keys, (std::vector<std::string>{"count", "mean", "stddev", "min", "max", "minTime",
                                              "maxTime", "span", "overloads"}));

    // The text form says the same in words.
    const CliRun text = RunCli(dir, "stats x.g53");
    EXPECT_EQ(text.out.rfind("main: " + json["main"]["count"].dump() + " values, ", 0), 0u)
        << text.out;
    EXPECT_NE(text.out.find("\nsub: "), std::string::npos);
}

TEST(StatsCliTest, ASessionFileGivesABlockPerSession) {
    CliDir dir;
    const CliRun download = RunCli(dir, "download --simulate=logger,latency=0 -o s.slr");
    ASSERT_EQ(download.status, 0) << download.err;
    const CliRun run = RunCli(dir, "stats s.slr --json");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, ""); // each session keeps to one function
    const auto json = nlohmann::ordered_json::parse(run.out);

    const SessionFileResult file = OpenSessionFile(dir / "s.slr");
    ASSERT_EQ(file.status, SessionFileStatus::Ok);
    ASSERT_EQ(json["sessions"].size(), file.table.sessionCount());
    long overloads = 0;
    for (std::size_t k = 0; k < file.table.sessionCount(); ++k) {
        const auto& block = json["sessions"][k];
        EXPECT_EQ(block["session"], k + 1);
        std::vector<Stored> main, sub;
        for (SessionList::Reader p(file.table.session(k)); p.next();) {
            main.push_back(Of(p.main(), p.main()));
            if (p.sub())
                sub.push_back(Of(*p.sub(), p.main()));
        }
        ExpectFigures(block["main"], main);
        ExpectFigures(block["sub"], sub);
        overloads += block["main"]["overloads"].get<long>();
    }
    EXPECT_GT(overloads, 0); // the open sensor

    const CliRun text = RunCli(dir, "stats s.slr");
    EXPECT_EQ(text.out.rfind("Session 1\nmain: ", 0), 0u) << text.out;
    EXPECT_NE(text.out.find("\n\nSession 3\nmain: "), std::string::npos) << text.out;
}

TEST(StatsCliTest, WhatCannotBeReadIsSaid) {
    CliDir dir;
    CliRun run = RunCli(dir, "stats none.g53");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "Error[E9004]: File open error. (none.g53: No such file or directory)\n");
    EXPECT_EQ(run.out, "");

    // A record file cut short: the figures of its complete entries, and the shortfall.
    SampleBuffer pairs(3);
    for (int i = 0; i < 3; ++i) {
        StoreField(pairs[i].main.valueText, "1");
        pairs[i].main.value = static_cast<float>(i);
    }
    ASSERT_TRUE(SaveRecordFile(dir / "c.g53", pairs));
    std::filesystem::resize_file(dir / "c.g53", 4 + 169 * 2 + 10);
    run = RunCli(dir, "stats c.g53 --json");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(nlohmann::json::parse(run.out)["main"]["count"], 2);
    EXPECT_EQ(run.err, "Error[E9020]: The file is cut short: 2 of 3 entries were read.\n");

    test::WriteText(dir / "bad.frames", "not a frame\n");
    run = RunCli(dir, "stats bad.frames");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("Line 1 is not a frame"), std::string::npos) << run.err;
}

} // namespace
} // namespace ostrel
