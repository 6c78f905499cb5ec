// Sessions held as the meter logged them give every record, text and number
// that records made one by one by the text rules give: decoded from the demo
// memory and from random images, saved, exported, plotted, and read back
// from their session files.
#include "import/logger_image_builder.h"
#include "import/session_decoder.h"
#include "import/session_export.h"
#include "import/session_file.h"
#include "import/session_page.h"
#include "session_reference.h"
#include "simulator/demo_sessions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

namespace ostrel {
namespace {

using Sessions = std::vector<std::vector<SessionPair>>;

// Every reading of the chain as a pair of records made by the text rules, at
// the running sum of its session's interval.
Sessions ReferenceSessions(const std::vector<std::uint8_t>& image) {
    Sessions sessions;
    for (const LoggerSessionSpan& span : WalkLoggerChain(image.data(), image.size()).sessions) {
        const SessionFunction fn = DecodeSessionFunction(span.f, span.m, span.g);
        auto& pairs = sessions.emplace_back();
        double t = 0;
        for (std::size_t i = 0; i < span.readings; ++i) {
            t += i > 0 ? SampleInterval(span.g) : 0;
            const std::uint8_t* p = image.data() + span.first + i * (span.dual ? 6 : 3);
            SessionPair& pair = pairs.emplace_back();
            pair.main = ReferenceRecord(UnpackLoggerValue(p), fn.mainFunction, fn.mainTable, true);
            pair.main.timeText = SessionTimeField(t);
            if (span.dual) {
                pair.hasSub = 1;
                pair.sub =
                    ReferenceRecord(UnpackLoggerValue(p + 3), fn.subFunction, fn.subTable, false);
                pair.sub->timeText = pair.main.timeText;
            }
        }
    }
    return sessions;
}

std::vector<std::uint8_t> FileBytes(const Sessions& sessions) {
    std::vector<std::uint8_t> bytes(4);
    StoreU32(bytes.data(), static_cast<std::uint32_t>(sessions.size()));
    for (const auto& pairs : sessions) {
        bytes.resize(bytes.size() + 4);
        StoreU32(bytes.data() + bytes.size() - 4, static_cast<std::uint32_t>(pairs.size()));
        for (const SessionPair& pair : pairs) {
            bytes.push_back(pair.hasSub);
            for (const TRecord* r : {&pair.main, pair.sub ? &*pair.sub : nullptr}) {
                if (!r)
                    continue;
                bytes.resize(bytes.size() + kTRecordSize);
                WriteTRecord(*r, bytes.data() + bytes.size() - kTRecordSize);
            }
        }
    }
    return bytes;
}

// The text export, line by line from the records' fields.
std::string ExportText(const Sessions& sessions) {
    std::string text = "#item,Time,MainData,MainUnit,MainFunc,Sub Data,SubUnit,SubFunc\r\n";
    for (const auto& pairs : sessions) {
        for (std::size_t j = 0; j < pairs.size(); ++j) {
            const TRecord& m = pairs[j].main;
            const bool ohm = m.function == 0x80 || m.function == 0x180;
            text += std::to_string(j + 1) + "," + std::string(FieldView(m.timeText)) + "," +
                    std::string(FieldView(m.dataText)) + "," + std::string(FieldView(m.unitText)) +
                    "," + (ohm ? std::string("Ohm") : std::string(FieldView(m.functionText)));
            if (const auto& sub = pairs[j].sub)
                text += "," + std::string(FieldView(sub->dataText)) + "," +
                        std::string(FieldView(sub->unitText)) + "," +
                        std::string(FieldView(sub->functionText));
            text += "\r\n";
        }
    }
    return text;
}

bool Same(const TRecord& a, const TRecord& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// The table gives the reference's records in order and at random, and the
// cells, numbers and graph points made of them.
void ExpectReference(const SessionTable& table, const Sessions& reference, std::mt19937& random) {
    ASSERT_EQ(table.sessionCount(), reference.size());
    for (std::size_t s = 0; s < reference.size(); ++s) {
        const SessionList& list = table.session(s);
        const auto& pairs = reference[s];
        ASSERT_EQ(list.size(), pairs.size());
        SessionList::Reader reader(list);
        for (const SessionPair& pair : pairs) {
            ASSERT_TRUE(reader.next());
            const std::size_t i = reader.position();
            ASSERT_TRUE(Same(reader.main(), pair.main)) << s << " " << i;
            ASSERT_EQ(reader.sub() != nullptr, pair.hasSub == 1);
            if (pair.sub) {
                ASSERT_TRUE(Same(*reader.sub(), *pair.sub)) << s << " " << i;
            }
        }
        EXPECT_FALSE(reader.next());
        for (int k = 0; k < 200 && !pairs.empty(); ++k) {
            const std::size_t i = random() % pairs.size();
            const SessionPair pair = list[i];
            ASSERT_TRUE(Same(pair.main, pairs[i].main)) << s << " " << i;
            ASSERT_EQ(list.value(i, true), pairs[i].sub ? pairs[i].sub->value : 0.0f);
            EXPECT_EQ(SessionCellText(list, i, kColumnTime), FieldView(pairs[i].main.timeText));
            EXPECT_EQ(SessionCellText(list, i, kColumnMain), SessionReadingText(pairs[i].main));
            EXPECT_EQ(SessionCellText(list, i, kColumnSub),
                      pairs[i].sub ? SessionReadingText(*pairs[i].sub) : "");
        }
        // The graph of a session whose pairs all have or all lack a sub record.
        const bool uniform = std::all_of(pairs.begin(), pairs.end(), [&](const SessionPair& p) {
            return p.hasSub == pairs.front().hasSub;
        });
        const SessionPagePlot plot = PlotSessionPage(list, true, {});
        for (std::size_t j = 0; uniform && j < plot.points(); ++j) {
            const SessionPair& pair = pairs[static_cast<std::size_t>(plot.readingAt(j))];
            ASSERT_EQ(plot.values[j], (pair.sub && plot.subChosen ? *pair.sub : pair.main).value);
            ASSERT_TRUE(plot.labels[j] == pair.main.timeText) << j;
        }
    }
}

// Every way out of the table and back through its session file.
void ExpectFormsAgree(const std::vector<std::uint8_t>& image, std::mt19937& random) {
    const Sessions reference = ReferenceSessions(image);
    const SessionDecodeResult decoded = DecodeLoggerImage(image.data(), image.size());
    ExpectReference(decoded.table, reference, random);
    const std::vector<std::uint8_t> file = FileBytes(reference);
    ASSERT_EQ(SessionFileBytes(decoded.table), file);

    EXPECT_EQ(SessionExportText(decoded.table), ExportText(reference));

    // Read back, every pair is a reading again: a few bytes each.
    const SessionFileResult opened = ParseSessionFile(file.data(), file.size());
    ASSERT_EQ(opened.status, SessionFileStatus::Ok);
    ExpectReference(opened.table, reference, random);
    EXPECT_EQ(SessionFileBytes(opened.table), file);
    for (const SessionList& list : opened.table.sessions())
        EXPECT_EQ(list.keptPairs(), 0u);
    EXPECT_LE(opened.table.heldBytes(), 7 * opened.table.pairCount() + 64 * reference.size());
}

TEST(SessionListForms, DemoMemoryAsRecordsMadeOneByOne) {
    std::mt19937 random(1);
    ExpectFormsAgree(*BuildLoggerImage(DemoLoggerSessions()), random);
}

TEST(SessionListForms, RandomImagesAsRecordsMadeOneByOne) {
    std::mt19937 random(2);
    for (int round = 0; round < 12; ++round) {
        std::vector<LoggerSessionData> sessions(1 + random() % 5);
        for (LoggerSessionData& s : sessions) {
            s.function = static_cast<std::uint8_t>(random() % 11);
            s.mode = static_cast<std::uint8_t>(random() % 6);
            s.flags = static_cast<std::uint8_t>(random());
            const std::size_t n = round % 4 == 0 ? 9000 + random() % 3000 : random() % 800;
            for (std::size_t i = 0; i < n * ((s.flags & 0x80) ? 2 : 1); ++i) {
                LoggerValue v;
                v.flags = static_cast<std::uint8_t>(random() % 16);
                v.range = static_cast<std::uint8_t>(random() % 16);
                v.raw = static_cast<std::uint16_t>(random() % 4 == 0 ? random() : random() % 10000);
                s.values.push_back(v);
            }
        }
        std::string error;
        const auto image = BuildLoggerImage(sessions, &error);
        ASSERT_TRUE(image) << error;
        ExpectFormsAgree(*image, random);
    }
}

TEST(SessionListForms, AnyRecordsOfAFileAreKeptAsTheyAre) {
    // Records the form cannot make again (changed bytes, a pair without its
    // sub record, times of no interval) come back byte for byte among the
    // readings around them.
    std::mt19937 random(3);
    auto image = *BuildLoggerImage(DemoLoggerSessions());
    std::vector<std::uint8_t> file = FileBytes(ReferenceSessions(image));
    Sessions changed = ReferenceSessions(image);
    for (auto& pairs : changed) {
        for (int k = 0; k < 40; ++k) {
            SessionPair& pair = pairs[random() % pairs.size()];
            TRecord& r = pair.sub && random() % 2 ? *pair.sub : pair.main;
            std::uint8_t bytes[kTRecordSize];
            WriteTRecord(r, bytes);
            bytes[random() % kTRecordSize] = static_cast<std::uint8_t>(random());
            ReadTRecord(bytes, r);
            if (k % 10 == 0) {
                pair.hasSub = !pair.hasSub;
                pair.sub = pair.hasSub ? std::optional<TRecord>(pair.main) : std::nullopt;
            }
        }
    }
    file = FileBytes(changed);
    const SessionFileResult opened = ParseSessionFile(file.data(), file.size());
    ASSERT_EQ(opened.status, SessionFileStatus::Ok);
    ExpectReference(opened.table, changed, random);
    EXPECT_EQ(SessionFileBytes(opened.table), file);
    EXPECT_GT(opened.table.session(1).keptPairs(), 0u);
    EXPECT_LT(opened.table.session(1).keptPairs(), 100u);
}

// The extremes of a block found straight from the readings are those of the
// numbers one by one, first occurrences and bits alike: random readings of
// every kind (overloads, minus, counts past 9999, unlisted ranges), on
// their own and among pairs kept as they came.
TEST(SessionListForms, ExtremesOfABlockAreThoseOfItsNumbers) {
    std::mt19937 random(4);
    for (int round = 0; round < 8; ++round) {
        LoggerSessionData s;
        s.function = static_cast<std::uint8_t>(random() % 11);
        s.mode = static_cast<std::uint8_t>(random() % 6);
        s.flags = static_cast<std::uint8_t>(random());
        const std::size_t n = 2000 + random() % 2000;
        for (std::size_t i = 0; i < n * ((s.flags & 0x80) ? 2 : 1); ++i) {
            LoggerValue v;
            v.flags = static_cast<std::uint8_t>(random() % 16);
            v.range = static_cast<std::uint8_t>(random() % (round % 2 ? 16 : 3));
            v.raw = static_cast<std::uint16_t>(random() % 8 == 0 ? random() : random() % 30);
            s.values.push_back(v);
        }
        const auto image = *BuildLoggerImage({s});
        const SessionDecodeResult decoded = DecodeLoggerImage(image.data(), image.size());
        ASSERT_EQ(decoded.table.sessionCount(), 1u);
        const SessionList& formed = decoded.table.session(0);
        SessionList kept;
        for (std::size_t i = 0; i < formed.size(); ++i) {
            SessionPair pair = formed[i];
            if (i % 97 == 5)
                pair.main.value = -3 * pair.main.value - 1; // no reading gives it
            kept.push_back(pair);
        }
        ASSERT_GT(kept.keptPairs(), 0u);
        for (const SessionList* list : {&formed, static_cast<const SessionList*>(&kept)}) {
            for (bool sub : {false, true}) {
                const SessionList::CountValues counts = list->countValues(sub);
                for (int k = 0; k < 60; ++k) {
                    const std::size_t from = random() % list->size();
                    const std::size_t length =
                        1 + random() % std::min<std::size_t>(list->size() - from, 700);
                    std::vector<float> values(length);
                    list->chosenValues(from, length, sub, values.data());
                    const auto expected = BlockExtremes(values);
                    const SessionList::Extremes e = list->chosenExtremes(from, length, sub, counts);
                    ASSERT_EQ(e.smallest, static_cast<std::size_t>(expected.smallest));
                    ASSERT_EQ(e.largest, static_cast<std::size_t>(expected.largest));
                    ASSERT_EQ(std::memcmp(&e.smallestValue, &values[e.smallest], sizeof(float)), 0);
                    ASSERT_EQ(std::memcmp(&e.largestValue, &values[e.largest], sizeof(float)), 0);
                }
            }
        }
    }
}

// The kept running sums are the sums of one addition after the other, for
// every interval the meter has and a few that round in other ways, across
// the times a full logger memory reaches.
TEST(SessionListTimes, RunningSumsAreTheSumsOfOneAdditionAfterAnother) {
    std::vector<double> intervals;
    for (std::uint8_t g = 0; g < 16; ++g)
        intervals.push_back(SampleInterval(g));
    for (double odd : {0.3, 1e-7, 123.456, 0.0625, 3.0 / 7.0})
        intervals.push_back(odd);
    for (double d : intervals) {
        const std::size_t n = d < 1 ? 6000000 : 600000;
        const std::size_t every[] = {1, 128, 4093};
        std::vector<double> sums[3];
        for (std::size_t w = 0; w < 3; ++w) {
            sums[w] = RunningSums(d, w == 0 ? 100000 : n, every[w]);
            ASSERT_EQ(sums[w].size(), ((w == 0 ? 100000 : n) - 1) / every[w] + 1) << d;
        }
        double t = 0;
        for (std::size_t k = 0; k < n; ++k, t += d) {
            for (std::size_t w = 0; w < 3; ++w) {
                if (k % every[w] == 0 && k / every[w] < sums[w].size()) {
                    ASSERT_EQ(sums[w][k / every[w]], t) << d << " at " << k;
                }
            }
        }
    }
}

} // namespace
} // namespace ostrel
