// The recorder's state without its window: sampling bookkeeping, pages,
// loading, the interval option; and the texts and rules the window shows.
#include "recorder/recorder_engine.h"
#include "recorder/recorder_view.h"

#include "record_test_util.h"

#include <gtest/gtest.h>

namespace ostrel {
namespace {

using test::MakePair;

RecordPair PairWithValue(float v, int i = 0) {
    RecordPair p = MakePair(i);
    p.main.value = v;
    return p;
}

TEST(RecorderEngineTest, PagesGrowAtTheTwoHundredAndFirstSample) {
    RecorderEngine engine;
    for (int i = 0; i < 200; ++i)
        engine.addSample(MakePair(i));
    EXPECT_EQ(engine.lastPage(), 1);
    EXPECT_EQ(engine.viewedPage(), 1);
    engine.addSample(MakePair(200));
    EXPECT_EQ(engine.count(), 201);
    EXPECT_EQ(engine.lastPage(), 2);
    EXPECT_EQ(engine.viewedPage(), 2);
    // The last page shows samples 2 … 201 (positions 1 … 200).
    EXPECT_EQ(engine.positionOfPoint(0), 1);
    EXPECT_EQ(engine.positionOfPoint(199), 200);
    EXPECT_EQ(engine.pagePoints()[199].y, MakePair(200).main.value);
    EXPECT_TRUE(engine.modified());
    EXPECT_FALSE(engine.empty());
}

TEST(RecorderEngineTest, ExtremesAndYRangeFollowTheSamples) {
    RecorderEngine engine;
    engine.addSample(PairWithValue(0.0f));
    EXPECT_EQ(engine.yRange().max, 1.0f);
    EXPECT_EQ(engine.yRange().min, -1.0f);

    RecorderEngine tie;
    tie.addSample(PairWithValue(5.0f));
    tie.addSample(PairWithValue(5.0f));
    // The maximum moves to the newer equal sample; the minimum is not tested.
    EXPECT_EQ(tie.extremes().maxIndex, 1);
    EXPECT_EQ(tie.extremes().minIndex, 0);
    tie.addSample(PairWithValue(-2.0f));
    EXPECT_EQ(tie.extremes().minIndex, 2);
    EXPECT_EQ(tie.yRange().max, static_cast<float>(5.0 * 1.33));

    tie.reset();
    EXPECT_EQ(tie.count(), 0);
    EXPECT_TRUE(tie.empty());
    EXPECT_FALSE(tie.modified());
    EXPECT_EQ(tie.yRange().max, 100.0f);
    EXPECT_EQ(tie.yRange().min, -100.0f);
    EXPECT_EQ(tie.lastPage(), 1);
}

TEST(RecorderEngineTest, TwoHundredAndFiftySamplesPageBackToAPartlyBlankFirstPage) {
    RecorderEngine engine;
    for (int i = 0; i < 250; ++i)
        engine.addSample(MakePair(i));
    ASSERT_EQ(engine.lastPage(), 2);
    EXPECT_EQ(engine.positionOfPoint(0), 50);
    EXPECT_EQ(engine.positionOfPoint(199), 249);
    EXPECT_FALSE(engine.pageDown());
    EXPECT_EQ(engine.viewedPage(), 2);

    ASSERT_TRUE(engine.pageUp());
    EXPECT_EQ(engine.viewedPage(), 1);
    EXPECT_EQ(engine.positionOfPoint(10), -1);
    EXPECT_EQ(engine.positionOfPoint(149), -1);
    EXPECT_EQ(engine.positionOfPoint(150), 0);
    EXPECT_EQ(engine.positionOfPoint(199), 49);
    const std::vector<GraphPoint> points = engine.pagePoints();
    EXPECT_EQ(points[149].y, kBlankValue);
    EXPECT_EQ(points[149].label, " ");
    EXPECT_EQ(points[150].label, std::string(FieldView(MakePair(0).main.timeText)));
    EXPECT_FALSE(engine.pageUp());
    EXPECT_EQ(engine.viewedPage(), 1);

    // A new sample brings the view back to the last page.
    engine.addSample(MakePair(250));
    EXPECT_EQ(engine.viewedPage(), 2);
}

TEST(RecorderEngineTest, LoadingAccountsEveryPairAndAnAbortChangesNothing) {
    test::ScratchDir dir;
    SampleBuffer pairs;
    for (int i = 0; i < 201; ++i)
        pairs.push_back(PairWithValue(static_cast<float>(i % 7) - 3.0f, i));
    ASSERT_TRUE(SaveRecordFile(dir / "a.g53", pairs));
    ASSERT_TRUE(SaveRecordFile(dir / "empty.g53", SampleBuffer{}));

    RecorderEngine engine;
    EXPECT_EQ(engine.load(dir / "a.g53").status, LoadStatus::Ok);
    EXPECT_EQ(engine.count(), 201);
    EXPECT_EQ(engine.lastPage(), 2);
    EXPECT_EQ(engine.viewedPage(), 2);
    EXPECT_TRUE(engine.modified());
    EXPECT_TRUE(engine.hasUnsavedSamples());
    // The same extremes as sampling the pairs one by one.
    RecorderEngine sampled;
    for (const RecordPair& p : pairs)
        sampled.addSample(p);
    EXPECT_EQ(engine.extremes().maxIndex, sampled.extremes().maxIndex);
    EXPECT_EQ(engine.extremes().minIndex, sampled.extremes().minIndex);
    EXPECT_EQ(engine.yRange().max, sampled.yRange().max);
    engine.markSaved();
    EXPECT_FALSE(engine.hasUnsavedSamples());

    RecorderEngine empty;
    EXPECT_EQ(empty.load(dir / "empty.g53").status, LoadStatus::Ok);
    EXPECT_EQ(empty.lastPage(), 1);
    EXPECT_FALSE(empty.empty());
    EXPECT_FALSE(empty.hasUnsavedSamples()); // nothing to lose at exit

    RecorderEngine aborted;
    const LoadResult r =
        aborted.load(dir / "a.g53", [](std::int64_t done, std::int64_t) { return done < 100; });
    EXPECT_EQ(r.status, LoadStatus::Aborted);
    EXPECT_EQ(aborted.count(), 0);
    EXPECT_TRUE(aborted.empty());
    EXPECT_FALSE(aborted.modified());

    EXPECT_EQ(aborted.load(dir / "missing.g53").status, LoadStatus::OpenError);
    EXPECT_TRUE(aborted.empty());
}

TEST(RecorderEngineTest, IntervalOptionMapsSecondsAndLimitsThem) {
    EXPECT_EQ(IntervalForSeconds(0), 500);
    EXPECT_EQ(IntervalForSeconds(3), 3000);
    EXPECT_EQ(IntervalForSeconds(3600), 3600000);
    EXPECT_EQ(IntervalForSeconds(kMaxIntervalSeconds), 2147483000);
    EXPECT_EQ(IntervalForSeconds(kMaxIntervalSeconds + 1), 2147483000); // no overflow
    EXPECT_EQ(IntervalForSeconds(-4), 500);
    EXPECT_EQ(SecondsForInterval(500), 0);
    EXPECT_EQ(SecondsForInterval(3000), 3);

    RecorderEngine engine;
    engine.setIntervalOption(true, 3);
    EXPECT_TRUE(engine.manual());
    EXPECT_EQ(engine.interval(), 3000);
}

TEST(RecorderViewTest, StatusTexts) {
    EXPECT_EQ(RecordingStatusText(true), "Data Logging ...");
    EXPECT_EQ(RecordingStatusText(false), "");
    EXPECT_EQ(CountStatusText(12), "Data in buffer : 12");
    EXPECT_EQ(PageStatusText(1, 3), "Page : 1 of 3");
    EXPECT_EQ(ModeStatusText(true, 500), "Manual");
    EXPECT_EQ(ModeStatusText(false, 500), "Full Speed");
    EXPECT_EQ(ModeStatusText(false, 3000), "Interval in second(s):3S");
    EXPECT_EQ(ClockStatusText(0, 5, 9), "  AM 12:05:09\"");
    EXPECT_EQ(ClockStatusText(12, 0, 0), "  PM 12:00:00\"");
    EXPECT_EQ(ClockStatusText(23, 59, 58), "  PM 11:59:58\"");
}

TEST(RecorderViewTest, YAxisLabelAndPanelLooks) {
    EXPECT_EQ(YAxisLabel(0x1000, "S"), "Reading(nS)");
    EXPECT_EQ(YAxisLabel(8, "F"), "Reading(uF)");
    EXPECT_EQ(YAxisLabel(0x180, "W"), "Reading(Ohm)");
    EXPECT_EQ(YAxisLabel(0x2000, "m"), "Reading(dBm)");
    EXPECT_EQ(YAxisLabel(6, "V"), "Reading(V)");

    const PanelLook celsius = ReadoutLook(0x20);
    EXPECT_TRUE(celsius.unitSymbol && celsius.unitRight && celsius.functionLeft);
    EXPECT_FALSE(celsius.functionSymbol);
    const PanelLook ohm = ReadoutLook(0x2080);
    EXPECT_TRUE(ohm.functionSymbol);
    EXPECT_FALSE(ohm.unitSymbol || ohm.unitRight || ohm.functionLeft);
    EXPECT_FALSE(ReadoutLook(0x4020).unitSymbol); // a two-probe temperature keeps Arial
}

TEST(RecorderViewTest, EnableRules) {
    RecorderFlags f;
    f.empty = false;
    f.lastPage = 3;
    f.viewedPage = 3;
    RecorderEnables e = ComputeEnables(f);
    EXPECT_TRUE(e.startStopButtons && e.startMenu && e.idle && e.data);
    EXPECT_FALSE(e.stopMenu || e.manual);
    EXPECT_TRUE(e.towardFirst && e.fitView);
    EXPECT_FALSE(e.towardLast);

    f.viewedPage = 2; // paged back: both directions, also after a later refresh
    e = ComputeEnables(f);
    EXPECT_TRUE(e.towardFirst && e.towardLast);

    f.recording = true;
    e = ComputeEnables(f);
    EXPECT_TRUE(e.startStopButtons && e.stopMenu);
    EXPECT_FALSE(e.startMenu || e.idle || e.data || e.towardFirst || e.towardLast || e.fitView);

    f = RecorderFlags{};
    f.manual = true;
    e = ComputeEnables(f);
    EXPECT_TRUE(e.manual && e.idle);
    EXPECT_FALSE(e.startStopButtons || e.startMenu || e.stopMenu || e.data || e.fitView);
    f.busy = true;
    EXPECT_EQ(ComputeEnables(f), RecorderEnables{});
}

TEST(RecorderViewTest, WindowGeometry) {
    const RecorderGeometry g = ComputeRecorderGeometry(1366, 768, 60, 30);
    EXPECT_EQ(g.left, 341);
    EXPECT_EQ(g.top, 60);
    EXPECT_EQ(g.width, 1025);
    EXPECT_EQ(g.height, 678);
    EXPECT_EQ(g.maxWidth, 1366);
    EXPECT_EQ(g.maxHeight, 678);
    EXPECT_EQ(g.maxTop, 60);
    EXPECT_EQ(g.minWidth, 1025);
    EXPECT_EQ(g.minHeight, 678);
}

TEST(RecorderViewTest, DataListLines) {
    RecordPair p = MakePair(3);
    StoreField(p.main.timeText, " 12:00:01.5");
    StoreField(p.main.dataText, "1.234");
    EXPECT_EQ(DataListLine(p, 0), "1, 12:00:01.5,1.234 mV  [DC],50.00 Hz");

    // Resistance reads "Ohm"; an empty mode text gives no brackets; a sample
    // without sub display still ends in the sub part, a single blank.
    RecordPair ohm = MakePair(4, false);
    ohm.main.function = 0x80;
    StoreField(ohm.main.dataText, "10.00");
    StoreField(ohm.main.unitText, "k");
    StoreField(ohm.main.modeText, "");
    EXPECT_EQ(DataListLine(ohm, 31999), "32000, 12:00:14.0,10.00 kOhm, ");
}

} // namespace
} // namespace ostrel
