// TGraphicalForm: the start and stop conditions of a recording. With them
// on, a Start waits for its condition while the logger ticks, holding the
// samples from before it; the samples it records go the way of every sample
// (buffer, temporary file, graph, data list, status bar). The status bar
// tells what the recording waits for, when it started and why it stopped;
// Stop ends the wait. A start or stop at a time of day has a timer of its
// own, so that it comes on time between two ticks.

#include "recorder/ui/graphical_form.h"

#include "recorder/ui/trigger_dialog.h"

#include <QAction>
#include <QLabel>
#include <QTimer>

#include <algorithm>

namespace ostrel {
namespace {

// A time condition far ahead is looked at again after this long, since the
// timer takes no longer intervals (and the clock may be set meanwhile).
constexpr std::chrono::milliseconds kLongestWait{std::chrono::hours(1)};

} // namespace

void TGraphicalForm::TriggerClick() {
    TTriggerDialog dialog(this);
    dialog.setEntries(LoadTriggerEntries());
    if (runDialog(dialog) == QDialog::Accepted)
        SaveTriggerEntries(dialog.entries());
}

void TGraphicalForm::armTrigger() {
    const TriggerEntries entries = LoadTriggerEntries();
    const TriggerReading reading = ReadTriggerEntries(entries);
    // Entries the dialog never accepted (edited by hand) count as none.
    if (m_engine.manual() || !entries.enabled || !reading.settings)
        return;
    m_trigger.emplace(*reading.settings, WallClock::now());
    if (reading.settings->waitsForStart())
        showTriggerNotice(WaitingNotice(*reading.settings));
    else
        showTriggerNotice(std::string());
    if (!m_triggerTimer) {
        m_triggerTimer = new QTimer(this);
        m_triggerTimer->setObjectName("TriggerTimer");
        m_triggerTimer->setSingleShot(true);
        connect(m_triggerTimer, &QTimer::timeout, this, &TGraphicalForm::triggerTimerDue);
    }
    scheduleTriggerTimer();
}

void TGraphicalForm::offerToTrigger(const RecordPair& pair, WallClock::time_point at) {
    const TriggerVerdict verdict =
        m_trigger->offer(pair, at, [this](const RecordPair& kept) { recordSample(kept); });
    if (verdict.starts && m_trigger->state().settings().waitsForStart())
        showTriggerNotice(StartedNotice(*m_trigger, at, pair.main.value));
    if (m_trigger->state().phase() == TriggerPhase::Ended)
        endTriggeredRecording();
    else
        scheduleTriggerTimer();
}

void TGraphicalForm::scheduleTriggerTimer() {
    if (!m_trigger || !m_triggerTimer)
        return;
    const WallClock::time_point now = WallClock::now();
    // A start time that has come has had its sample; levels may still be
    // awaited, on the ticks.
    std::optional<WallClock::time_point> due = m_trigger->state().startTime();
    if (due && *due <= now)
        due.reset();
    if (const auto limit = m_trigger->state().timeLimit())
        due = due ? std::min(*due, *limit) : *limit;
    if (!due) {
        m_triggerTimer->stop();
        return;
    }
    const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(*due - now);
    // A moment in the first millisecond of a second would round down to the
    // last one of the second before: wait one more.
    m_triggerTimer->start(std::clamp(wait + std::chrono::milliseconds(1),
                                     std::chrono::milliseconds(0), kLongestWait));
}

void TGraphicalForm::triggerTimerDue() {
    if (!m_trigger)
        return;
    const WallClock::time_point now = WallClock::now();
    if (m_trigger->state().expire(now)) {
        endTriggeredRecording();
        return;
    }
    const auto startTime = m_trigger->state().startTime();
    if (startTime && now >= *startTime) {
        // The start time has a sample of its own; the ticks go on from it.
        TimerLogger->start();
        if (m_state.isLinkAlive())
            takeSample();
        if (!m_trigger)
            return; // that sample ended the recording
    }
    scheduleTriggerTimer();
}

void TGraphicalForm::endTriggeredRecording() {
    // A count or a duration that ran out says nothing more: the notice of
    // the start stays.
    if (const std::string notice = EndNotice(m_trigger->state()); !notice.empty())
        showTriggerNotice(notice);
    m_trigger.reset();
    m_triggerTimer->stop();
    stopRecording();
}

void TGraphicalForm::cancelTrigger() {
    if (!m_trigger)
        return;
    // Stop while waiting: the recording never started.
    m_trigger->state().end();
    showTriggerNotice(EndNotice(m_trigger->state()));
    m_trigger.reset();
    if (m_triggerTimer)
        m_triggerTimer->stop();
}

void TGraphicalForm::showTriggerNotice(const std::string& notice) {
    const QString text = QString::fromStdString(notice);
    TriggerPanel->setText(text);
    TriggerPanel->setToolTip(text);
    TriggerPanel->setVisible(!text.isEmpty());
}

} // namespace ostrel
