// The picture of the whole desktop for the README: 1366 x 768 under openbox,
// linked and recording, nothing covered. Taken only when
// OSTREL_DESKTOP_SCREENSHOT names the PNG file to write (tools/screenshots).
#include "desktop_layout.h"

#include <gtest/gtest.h>

namespace desk {
namespace {

TEST(Screenshot, WholeDesktopUnderTheWindowManager) {
    const QString target = qEnvironmentVariable("OSTREL_DESKTOP_SCREENSHOT");
    if (target.isEmpty())
        GTEST_SKIP() << "OSTREL_DESKTOP_SCREENSHOT names no file";
    QTemporaryDir dir;
    Desktop desktop;
    Program app(desktop, NewFolder(dir, QStringLiteral("run")),
                {QStringLiteral("--simulate"), QStringLiteral("--no-sound")});
    app.waitForStart();
    app.click(QStringLiteral("sbtnLink"));
    app.click(QStringLiteral("sbtnRecordStart"));
    app.waitFor(QStringLiteral("a dozen samples"), [](const Snapshot& s) {
        return s.text(QStringLiteral("StatusPanel1")).section(':', 1).trimmed().toInt() >= 12;
    });
    app.waitUntilRight(QStringLiteral("nothing covered or cut off"), LayoutProblems, 5s);
    ASSERT_TRUE(desktop.grab(target));
}

} // namespace
} // namespace desk
