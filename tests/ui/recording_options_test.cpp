// The recorder's options beyond its plain sampling: start and stop
// conditions (the Trigger... dialog and a recording that waits), the
// statistics panel over the whole buffer and the zoomed range, and the gap a
// lost link leaves in the graph.
#include "recorder_test_rig.h"

#include "base/ui/user_settings.h"
#include "graph/ui/statistics_panel.h"
#include "recorder/record_file.h"
#include "recorder/ui/trigger_dialog.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace ostrel {
namespace {

using testing::Child;
using testing::RecorderRig;
using F = TriggerField;

class RecordingOptionsTest : public ::testing::Test {
  protected:
    void SetUp() override { UserSettings()->clear(); }
    void TearDown() override { UserSettings()->clear(); }

    static void startRecording(RecorderRig& rig) {
        Child<QToolButton>(*rig.form, "sbtnRecordStart")->setChecked(true);
        rig.form->sbtnRecordStartClick();
        ASSERT_TRUE(rig.form->recording());
        Child<QTimer>(*rig.form, "TimerLogger")
            ->setInterval(24 * 3600 * 1000); // the test takes the samples
    }
    // The entry and the check box of a field of the trigger dialog.
    static QLineEdit* entry(const TTriggerDialog& dialog, F field) {
        return Child<QLineEdit>(dialog, QStringLiteral("edt_") + TriggerFieldKey(field));
    }
    static QCheckBox* checkBox(const TTriggerDialog& dialog, F field) {
        return Child<QCheckBox>(dialog, QStringLiteral("chk_") + TriggerFieldKey(field));
    }
    static QLabel* triggerPanel(RecorderRig& rig) {
        return Child<QLabel>(*rig.form, "TriggerPanel");
    }
    static std::vector<float> values(const SampleBuffer& buffer) {
        std::vector<float> v;
        for (const RecordPair& pair : buffer)
            v.push_back(pair.main.value);
        return v;
    }
};

TEST_F(RecordingOptionsTest, TriggerDialogRefusesWhatDoesNotReadAndKeepsWhatItTook) {
    TTriggerDialog dialog;
    TriggerEntries entries;
    entries.enabled = true;
    entries[F::StartAbove] = {true, "5x"};
    entries[F::StopAt] = {true, "24:00"};
    entries[F::Pre] = {true, "3"};
    entries[F::StopCount] = {false, "not read while off"};
    dialog.setEntries(entries);
    EXPECT_FALSE(entry(dialog, F::StopCount)->isEnabled());

    ScopedMessageAnswerer answers;
    const auto refusal = [&] {
        dialog.setResult(QDialog::Rejected);
        dialog.accept();
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        return answers.requests().back().caption + ' ' + answers.requests().back().text;
    };
    EXPECT_EQ(refusal(), "Error[E9075] 5x is no level: give a number such as 5, -0.25 or 1.5E-3.");
    entry(dialog, F::StartAbove)->setText(" -1.5E-3 ");
    EXPECT_EQ(refusal(), "Error[E9076] 24:00 is no time of day: give HH:MM or HH:MM:SS on the "
                         "24-hour clock.");
    entry(dialog, F::StopAt)->setText("23:59");
    checkBox(dialog, F::StartAbove)->setChecked(false);
    EXPECT_TRUE(refusal().startsWith("Error[E9079] Samples from before the start"));
    checkBox(dialog, F::StartAbove)->setChecked(true);
    entry(dialog, F::Pre)->setText("1000001");
    EXPECT_EQ(refusal(), "Error[E9077] 1000001 is no number of samples: give a whole number "
                         "from 0 to 1000000.");
    entry(dialog, F::Pre)->setText("3");
    const int refused = answers.count();

    dialog.accept();
    EXPECT_EQ(answers.count(), refused);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.settings().startAbove, -1.5e-3);
    EXPECT_EQ(dialog.settings().preSamples, 3);
    EXPECT_EQ(dialog.settings().stopAt, (ClockTime{23, 59, 0}));
    EXPECT_EQ(dialog.settings().stopCount, 0);

    // The choices are kept as typed in the user's settings.
    SaveTriggerEntries(dialog.entries());
    EXPECT_EQ(LoadTriggerEntries(), dialog.entries());
    EXPECT_EQ(LoadTriggerEntries()[F::StopCount].text, "not read while off");
}

TEST_F(RecordingOptionsTest, ARecordingWaitsForItsLevelKeepsWhatCameBeforeAndStopsOnItsCount) {
    TriggerEntries entries;
    entries.enabled = true;
    entries[F::StartAbove] = {true, "5"};
    entries[F::Pre] = {true, "2"};
    entries[F::StopCount] = {true, "3"};
    SaveTriggerEntries(entries);
    RecorderRig rig;
    rig.link();
    EXPECT_TRUE(triggerPanel(rig)->isHidden());

    startRecording(rig);
    for (const char* v : {"7", "1", "2", "3"}) // above from the outset is no crossing
        rig.sample(v);
    EXPECT_EQ(rig.form->buffer().size(), 0u);
    EXPECT_TRUE(triggerPanel(rig)->isVisible());
    EXPECT_EQ(triggerPanel(rig)->text(),
              "Waiting for the start of the recording: the main value crosses above 5.");

    rig.sample("6");
    EXPECT_EQ(values(rig.form->buffer()), (std::vector<float>{2, 3, 6}));
    EXPECT_TRUE(triggerPanel(rig)->text().startsWith("The recording started at "));
    EXPECT_TRUE(triggerPanel(rig)->text().endsWith(" with the main value 6; 2 samples from "
                                                   "before it were kept."));
    EXPECT_EQ(rig.status(1), "Data in buffer : 3");
    EXPECT_TRUE(rig.form->recording());
    rig.sample("8");
    rig.sample("9");
    EXPECT_FALSE(rig.form->recording());
    EXPECT_TRUE(Child<QToolButton>(*rig.form, "sbtnRecordStop")->isChecked());
    EXPECT_FALSE(Child<QTimer>(*rig.form, "TimerLogger")->isActive());
    EXPECT_TRUE(triggerPanel(rig)->text().startsWith("The recording started at "));
    EXPECT_EQ(values(rig.form->buffer()), (std::vector<float>{2, 3, 6, 8, 9}));
    EXPECT_EQ(rig.status(1), "Data in buffer : 5");
    // The temporary file holds what the buffer holds.
    SampleBuffer journal;
    const QStringList files = rig.temporaryFiles();
    ASSERT_EQ(files.size(), 1);
    LoadRecordFile((rig.dir + '/' + files.front()).toStdString(), journal);
    EXPECT_EQ(journal, rig.form->buffer());

    // Stop ends a wait that never saw its level.
    startRecording(rig);
    rig.sample("1");
    Child<QToolButton>(*rig.form, "sbtnRecordStop")->click();
    EXPECT_FALSE(rig.form->recording());
    EXPECT_EQ(triggerPanel(rig)->text(), "The recording did not start; nothing was recorded.");
    EXPECT_EQ(rig.form->buffer().size(), 5u);

    // Off again: a Start records at once, as without conditions.
    entries.enabled = false;
    SaveTriggerEntries(entries);
    startRecording(rig);
    rig.sample("1");
    EXPECT_EQ(rig.form->buffer().size(), 6u);
}

TEST_F(RecordingOptionsTest, AStopLevelEndsTheRecordingWithTheSampleThatCrossedIt) {
    TriggerEntries entries;
    entries.enabled = true;
    entries[F::StopBelow] = {true, "0"};
    SaveTriggerEntries(entries);
    RecorderRig rig;
    rig.link();
    startRecording(rig);
    EXPECT_TRUE(triggerPanel(rig)->isHidden()); // nothing is awaited
    for (const char* v : {"3", "1", "-1"})
        rig.sample(v);
    EXPECT_EQ(values(rig.form->buffer()), (std::vector<float>{3, 1, -1}));
    EXPECT_FALSE(rig.form->recording());
    EXPECT_EQ(triggerPanel(rig)->text(), "The recording stopped: the main value crossed below 0.");
}

class StatisticsPanelTest : public RecordingOptionsTest {
  protected:
    static void drag(QWidget* plot, QPoint from, QPoint to) {
        const auto send = [plot](QEvent::Type type, QPoint pos, Qt::MouseButton button,
                                 Qt::MouseButtons held) {
            QMouseEvent event(type, QPointF(pos), QPointF(plot->mapToGlobal(pos)), button, held,
                              Qt::NoModifier);
            QApplication::sendEvent(plot, &event);
        };
        send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
        send(QEvent::MouseMove, (from + to) / 2, Qt::NoButton, Qt::LeftButton);
        send(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    }
};

TEST_F(StatisticsPanelTest, TheRecorderShowsTheWholeBufferAndFollowsTheZoom) {
    RecorderRig rig;
    auto* panel = Child<StatisticsPanel>(*rig.form, "StatisticsPanel");
    auto* menuItem = Child<QAction>(*rig.form, "miStatistics");
    ASSERT_TRUE(panel && menuItem);
    EXPECT_TRUE(panel->isHidden()); // off at first
    menuItem->trigger();
    EXPECT_TRUE(panel->isVisible());
    EXPECT_TRUE(StatisticsPanelsShown());

    rig.link();
    startRecording(rig);
    for (int i = 1; i <= 10; ++i)
        rig.sample(std::to_string(i));
    rig.sample("0L"); // an overload
    EXPECT_EQ(panel->runCount(), 1);
    EXPECT_EQ(panel->runName(0), "all 11 samples");
    EXPECT_EQ(panel->figure(0, 0, 0), "10");
    EXPECT_EQ(panel->figure(0, 0, 1), "5.5");
    EXPECT_EQ(panel->figure(0, 0, 2), "3.02765"); // sample standard deviation of 1 … 10
    EXPECT_TRUE(panel->figure(0, 0, 3).startsWith("1  "));
    EXPECT_TRUE(panel->figure(0, 0, 4).startsWith("10  "));
    EXPECT_EQ(panel->figure(0, 0, 6), "1");
    EXPECT_EQ(panel->figure(0, 1, 0), "0"); // no sub display

    // Zoomed on the points of the values 3 … 6: their figures come second.
    GraphAdapter& graph = *rig.graph();
    graph.replotNow();
    const int last = graph.pointCount() - 1; // the overload, then 10, 9, …
    const auto between = [&](int point, int y) {
        const int x = (graph.pointPixel(point).x() + graph.pointPixel(point + 1).x()) / 2;
        return graph.focusProxy()->mapFrom(&graph, QPoint(x, y));
    };
    drag(graph.focusProxy(), between(last - 9, graph.plotArea().top() + 2),
         between(last - 5, graph.plotArea().bottom() - 2));
    ASSERT_TRUE(graph.isZoomed());
    ASSERT_EQ(panel->runCount(), 2);
    EXPECT_EQ(panel->runName(1), "the zoomed range: 4 samples");
    EXPECT_EQ(panel->figure(1, 0, 1), "4.5");
    EXPECT_EQ(panel->figure(0, 0, 0), "10"); // the whole buffer stays
    Child<QToolButton>(*rig.form, "sbtnUndoZoom")->click();
    EXPECT_EQ(panel->runCount(), 1);

    // Hidden again: kept so for the next start.
    menuItem->trigger();
    EXPECT_TRUE(panel->isHidden());
    EXPECT_FALSE(StatisticsPanelsShown());
}

TEST_F(RecordingOptionsTest, ALostLinkLeavesAGapInTheGraphOnlyWhenTheRecordingGoesOnAcrossIt) {
    for (const bool linkAgain : {false, true}) {
        SetLinkAgainChosen(linkAgain);
        RecorderRig rig;
        rig.link();
        startRecording(rig);
        rig.sample("1");
        rig.state.setLinkAlive(false);
        rig.form->TimerLoggerTimer(); // a tick without link
        rig.state.setLinkAlive(true);
        rig.sample("2");
        rig.sample("3");
        ASSERT_EQ(rig.form->buffer().size(), 3u);
        EXPECT_EQ(rig.form->engine().gapBefore(1), linkAgain);
        EXPECT_FALSE(rig.form->engine().gapBefore(2));
        const int lastPoint = rig.graph()->pointCount() - 1;
        EXPECT_EQ(rig.graph()->breakBefore(lastPoint - 1), linkAgain);
        EXPECT_FALSE(rig.graph()->breakBefore(lastPoint));
    }
}

} // namespace
} // namespace ostrel
