// What a new user does in the first minutes, with the real mouse and keyboard
// under a window manager.
#include "desktop_layout.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <iostream>

namespace desk {
namespace {

const QString kRecorder = QStringLiteral("GraphicalForm");

int Samples(const Snapshot& s) {
    // "Data in buffer : N"
    return s.text(QStringLiteral("StatusPanel1"), kRecorder).section(':', 1).trimmed().toInt();
}

bool Recording(const Snapshot& s) {
    return !s.text(QStringLiteral("StatusPanel0"), kRecorder).isEmpty();
}

// A started program, linked to the simulated meter.
struct Linked {
    explicit Linked(const QStringList& extra = {}, const QString& simulate = "--simulate")
        : app(desktop, NewFolder(dir, QStringLiteral("run")),
              QStringList{simulate, QStringLiteral("--no-sound")} + extra) {
        app.waitForStart();
        app.click(QStringLiteral("sbtnLink"));
        app.waitFor(QStringLiteral("a reading in the digital meter"), [](const Snapshot& s) {
            return !s.text(QStringLiteral("DataPanel")).trimmed().isEmpty();
        });
    }
    QTemporaryDir dir;
    Desktop desktop;
    Program app;
};

TEST(Journey, LinkShowsAReading) {
    Linked run;
    const Snapshot s = run.app.snapshot();
    EXPECT_TRUE(s.window(QStringLiteral("DigitalMeterForm"))->title.endsWith(" : USB Device"));
    EXPECT_TRUE(s.widget(QStringLiteral("sbtnLink"))->checked);
}

TEST(Journey, RecorderByButtonsAndKeys) {
    Linked run;
    Program& app = run.app;
    app.click(QStringLiteral("sbtnRecordStart"));
    app.waitFor(QStringLiteral("recording, two samples"),
                [](const Snapshot& s) { return Recording(s) && Samples(s) >= 2; });
    app.click(QStringLiteral("sbtnRecordStop"));
    int stoppedAt = Samples(app.waitFor(QStringLiteral("stopped by the button"),
                                        [](const Snapshot& s) { return !Recording(s); }));

    // The keys of the recorder's menu, with the recorder in front.
    const auto activateRecorder = [&app] {
        app.click(QStringLiteral("CaptionLabel"), kRecorder);
        app.waitFor(QStringLiteral("the recorder active"),
                    [](const Snapshot& s) { return s.activeWindow() == kRecorder; });
    };
    activateRecorder();
    run.desktop.key(QStringLiteral("F9"));
    app.waitFor(QStringLiteral("recording by F9"), [stoppedAt](const Snapshot& s) {
        return Recording(s) && Samples(s) >= stoppedAt + 2;
    });
    run.desktop.key(QStringLiteral("F3"));
    stoppedAt = Samples(app.waitFor(QStringLiteral("stopped by F3"),
                                    [](const Snapshot& s) { return !Recording(s); }));

    // Manual mode through the interval dialog, then one sample per F7.
    app.click(QStringLiteral("sbtnOption"));
    app.click(QStringLiteral("rbtnManual"), QStringLiteral("DialogOption"));
    app.click(QStringLiteral("btnOk"), QStringLiteral("DialogOption"));
    app.waitFor(QStringLiteral("manual mode"), [](const Snapshot& s) {
        return !s.shown(QStringLiteral("DialogOption")) &&
               s.text(QStringLiteral("StatusPanel3"), kRecorder) == QStringLiteral("Manual");
    });
    activateRecorder();
    for (int i = 1; i <= 3; ++i) {
        run.desktop.key(QStringLiteral("F7"));
        app.waitFor(QStringLiteral("a manual sample by F7"),
                    [&](const Snapshot& s) { return Samples(s) == stoppedAt + i; });
    }
}

// The download of the logger memory stopped by Abort, then by Escape, at
// about a third: it ends at once and leaves the import window empty.
TEST(Journey, ImportAbortedByButtonAndEscape) {
    QTemporaryDir dir;
    Desktop desktop;
    // About 7 s for the whole memory.
    Program app(desktop, NewFolder(dir, QStringLiteral("run")),
                {QStringLiteral("--simulate=logger,latency=1"), QStringLiteral("--no-sound")});
    app.waitForStart();
    app.click(QStringLiteral("sbtnImport"), kRecorder);
    const QString import = QStringLiteral("FormImport");
    const QString progress = QStringLiteral("MsgForm");
    for (const bool byEscape : {false, true}) {
        app.click(QStringLiteral("sbtnImport"), import);
        app.clickButton(QStringLiteral("&Yes")); // replace what the window holds
        app.waitFor(QStringLiteral("a third downloaded"), [&](const Snapshot& s) {
            const auto bar = s.widget(QStringLiteral("ProgressBar"), progress);
            return s.shown(progress) && bar && bar->maximum > 0 && bar->value * 3 >= bar->maximum;
        });
        QElapsedTimer clock;
        if (byEscape) {
            clock.start();
            desktop.key(QStringLiteral("Escape"));
        } else {
            const QPoint abort =
                app.snapshot().widget(QStringLiteral("bbtnAbort"), progress)->rect.center();
            clock.start();
            desktop.click(abort);
        }
        const Snapshot s = app.waitFor(QStringLiteral("the download ended"), [&](const Snapshot& now) {
            return !now.shown(progress) && now.widget(QStringLiteral("sbtnImport"), import)->enabled;
        });
        const qint64 ms = clock.elapsed();
        std::cout << (byEscape ? "Escape" : "Abort") << ": the download ended " << ms
                  << " ms after the input\n";
        // Half a second asked; the slack is for a loaded machine's look-ups.
        EXPECT_LT(ms, 1500);
        EXPECT_EQ(s.widget(QStringLiteral("PageControl"), import)->rows, 0);
        EXPECT_FALSE(s.widget(QStringLiteral("sbtnSave"), import)->enabled);
    }
}

TEST(Journey, TilePutsMovedWindowsBack) {
    Linked run;
    Program& app = run.app;
    app.click(QStringLiteral("sbtnComparator"));
    Snapshot s = app.waitFor(QStringLiteral("the comparator shown"), [](const Snapshot& now) {
        return now.shown(QStringLiteral("ComparatorForm"));
    });
    // Drag the recorder by its title bar over the meters.
    const Widget recorder = *s.window(kRecorder);
    const QPoint title(recorder.rect.center().x(), (recorder.rect.top() + recorder.client.top()) / 2);
    run.desktop.drag(title, title + QPoint(-200, 60));
    app.waitFor(QStringLiteral("the recorder moved"), [&](const Snapshot& now) {
        return now.window(kRecorder)->rect.topLeft() != recorder.rect.topLeft();
    });
    app.click(QStringLiteral("sbtnWinTile"));
    s = app.waitUntilRight(QStringLiteral("the tiled layout"), LayoutProblems, 5s);
    EXPECT_EQ(s.window(kRecorder)->rect, recorder.rect);
    const auto comparator = s.window(QStringLiteral("ComparatorForm"));
    ASSERT_TRUE(comparator);
    EXPECT_TRUE(s.available().contains(comparator->rect));
}

} // namespace
} // namespace desk
