// The recorder's options with the real mouse and keyboard: a recording that
// waits for a time of day and keeps what came before it, and one that goes
// on across a replug of the cable.
#include "desktop_layout.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTime>

#include <iostream>

namespace desk {
namespace {

const QString kTrigger = QStringLiteral("TriggerDialog");

QString TriggerNotice(const Snapshot& s) {
    return s.text(QStringLiteral("TriggerPanel"), kRecorder);
}

// Acquisition > Trigger... by its keys; a start 4 s from now, the samples
// before it kept, a stop after three samples.
TEST(Journey, ARecordingStartsAtItsTimeWithTheSamplesBeforeIt) {
    QTemporaryDir dir;
    Desktop desktop;
    Program app(desktop, NewFolder(dir, QStringLiteral("run")),
                {QStringLiteral("--simulate"), QStringLiteral("--no-sound")});
    app.waitForStart();
    app.link();
    app.click(QStringLiteral("CaptionLabel"), kRecorder);
    app.waitFor(QStringLiteral("the recorder active"),
                [](const Snapshot& s) { return s.activeWindow() == kRecorder; });
    desktop.key(QStringLiteral("alt+a"));
    desktop.key(QStringLiteral("r"));
    app.waitFor(QStringLiteral("the trigger dialog"),
                [](const Snapshot& s) { return s.shown(kTrigger); });
    app.click(QStringLiteral("chkEnabled"), kTrigger);
    const auto entry = [&](const QString& key, const QString& text) {
        app.click(QStringLiteral("chk_") + key, kTrigger);
        app.click(QStringLiteral("edt_") + key, kTrigger);
        desktop.type(text);
    };
    const QTime start = QTime::currentTime().addSecs(4);
    entry(QStringLiteral("startAt"), start.toString(QStringLiteral("HH:mm:ss")));
    entry(QStringLiteral("pre"), QStringLiteral("2"));
    entry(QStringLiteral("stopCount"), QStringLiteral("3"));
    app.click(QStringLiteral("btnOk"), kTrigger);
    app.waitFor(QStringLiteral("the dialog closed"),
                [](const Snapshot& s) { return !s.shown(kTrigger); });

    app.click(QStringLiteral("sbtnRecordStart"));
    Snapshot s = app.waitFor(QStringLiteral("waiting for the start"), [](const Snapshot& now) {
        return TriggerNotice(now).startsWith(QStringLiteral("Waiting for the start"));
    });
    EXPECT_EQ(Samples(s), 0);
    QElapsedTimer clock;
    clock.start();
    s = app.waitFor(
        QStringLiteral("started, three samples, stopped"),
        [](const Snapshot& now) { return !Recording(now) && Samples(now) > 0; }, 20s);
    std::cout << "the recording started and stopped " << clock.elapsed()
              << " ms after the wait was seen\n";
    EXPECT_EQ(Samples(s), 5); // two from before the start, three from it
    EXPECT_TRUE(TriggerNotice(s).startsWith(QStringLiteral("The recording started at ")));
    EXPECT_TRUE(TriggerNotice(s).endsWith(QStringLiteral("2 samples from before it were kept.")));
}

// Port > Link again when the cable returns, then a cable that vanishes for
// two seconds: the off-line message shows, and the recording goes on.
TEST(Journey, ARecordingGoesOnAcrossAReplug) {
    QTemporaryDir dir;
    Desktop desktop;
    Program app(desktop, NewFolder(dir, QStringLiteral("run")),
                {QStringLiteral("--simulate=replug,after=40,gone=2000,latency=50"),
                 QStringLiteral("--no-sound")});
    app.waitForStart();
    app.click(QStringLiteral("Bevel1"));
    app.waitFor(QStringLiteral("the main window active"),
                [](const Snapshot& s) { return s.activeWindow() == QStringLiteral("FormMain"); });
    desktop.key(QStringLiteral("alt+p"));
    desktop.key(QStringLiteral("a"));
    app.link();
    app.click(QStringLiteral("sbtnRecordStart"));
    app.waitFor(QStringLiteral("recording"), [](const Snapshot& s) { return Recording(s); });

    Snapshot s = app.waitFor(
        QStringLiteral("the off-line message"),
        [](const Snapshot& now) { return !now.modalWindow().isEmpty(); }, 20s);
    const int atLoss = Samples(s);
    QElapsedTimer clock;
    clock.start();
    s = app.waitFor(
        QStringLiteral("samples again after the replug"),
        [atLoss](const Snapshot& now) { return Samples(now) >= atLoss + 2; }, 20s);
    std::cout << "samples again " << clock.elapsed() << " ms after the message showed\n";
    EXPECT_TRUE(Recording(s));
    EXPECT_TRUE(s.widget(QStringLiteral("sbtnLink"))->checked);
    app.clickButton(QStringLiteral("&OK"));
    s = app.waitFor(QStringLiteral("the message closed, still recording"),
                    [atLoss](const Snapshot& now) {
                        return now.modalWindow().isEmpty() && Samples(now) >= atLoss + 3;
                    });
    EXPECT_TRUE(Recording(s));
}

} // namespace
} // namespace desk
