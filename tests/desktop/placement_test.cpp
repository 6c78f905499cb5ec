// Where the windows stand after a start, on the screen sizes users have, with
// a window manager that adds decorations and without one.
#include "desktop_layout.h"

#include <gtest/gtest.h>

namespace desk {
namespace {

struct Screen {
    int width, height;
    bool windowManager;
    int bottomMargin;
};

class Placement : public ::testing::TestWithParam<Screen> {};

TEST_P(Placement, StartLayoutFitsTheAvailableArea) {
    const Screen screen = GetParam();
    QTemporaryDir dir;
    Desktop desktop({screen.width, screen.height, screen.windowManager, screen.bottomMargin});
    Program app(desktop, NewFolder(dir, QStringLiteral("run")),
                {QStringLiteral("--simulate"), QStringLiteral("--no-sound")});
    app.waitForStart();
    const Snapshot s = app.waitUntilRight(QStringLiteral("the start layout"), LayoutProblems, 5s);
    EXPECT_EQ(s.available().height(), screen.height - screen.bottomMargin);
}

INSTANTIATE_TEST_SUITE_P(Screens, Placement,
                         ::testing::Values(Screen{1024, 768, true, 0}, Screen{1366, 768, true, 0},
                                           Screen{1920, 1080, true, 40},
                                           Screen{1024, 768, false, 0}, Screen{1366, 768, false, 0},
                                           Screen{1920, 1080, false, 0}),
                         [](const auto& info) {
                             const Screen& s = info.param;
                             return std::to_string(s.width) + "x" + std::to_string(s.height) +
                                    (s.windowManager ? "_openbox" : "_bare") +
                                    (s.bottomMargin ? "_panel" : "");
                         });

} // namespace
} // namespace desk
