// The import window's statistics panel follows the session shown.
#include "import_test_rig.h"

#include "base/ui/user_settings.h"
#include "graph/ui/statistics_panel.h"
#include "import/session_statistics.h"

#include <gtest/gtest.h>

namespace ostrel {
namespace {

using testing::Child;

TEST(ImportStatistics, ThePanelShowsTheSessionOfThePage) {
    UserSettings()->clear();
    SetStatisticsPanelsShown(true);
    test::ImportRig rig;
    // 1, 2, … 5 V, then a dual session.
    rig.serve({test::SingleSession(5, [](std::size_t i) { return 100 * (i + 1); }),
               test::DualSession(4)});
    rig.download();
    auto* panel = Child<StatisticsPanel>(*rig.form, "StatisticsPanel");
    ASSERT_TRUE(panel);
    EXPECT_TRUE(panel->isVisibleTo(rig.form.get()));
    EXPECT_EQ(panel->runName(0), "session 2: 4 samples"); // the last page is shown
    EXPECT_EQ(panel->figure(0, 1, 0), "4");
    rig.form->sbtnFirstPageClick();
    EXPECT_EQ(panel->runName(0), "session 1: 5 samples");
    EXPECT_EQ(panel->figure(0, 0, 0), "5");
    EXPECT_EQ(panel->figure(0, 0, 1), "3");
    EXPECT_EQ(panel->figure(0, 1, 0), "0");
    // The other display: the same figures (they are of both displays).
    rig.form->sbtnLastPageClick();
    Child<QRadioButton>(*rig.form, "rbtnSubData")->setChecked(true);
    rig.form->rbtnSubDataClick();
    EXPECT_EQ(panel->runName(0), "session 2: 4 samples");
    EXPECT_EQ(panel->figure(0, 1, 0), "4");
    // Other sessions at the same pages: their own figures, none of those before.
    rig.serve({test::DualSession(2), test::SingleSession(7, [](std::size_t i) { return i; })});
    rig.download();
    EXPECT_EQ(panel->runName(0), "session 2: 7 samples");
    EXPECT_EQ(panel->figure(0, 0, 0), "7");
    EXPECT_EQ(panel->figure(0, 1, 0), "0");
    UserSettings()->clear();
}

// A long session is summed on a worker: its name shows at once, its figures
// (those of the session) when they come; paging away and Clear while it is
// summed show nothing of it.
TEST(ImportStatistics, ALongSessionIsSummedBesideTheWindow) {
    UserSettings()->clear();
    SetStatisticsPanelsShown(true);
    test::ImportRig rig;
    rig.serve({test::SingleSession(3, [](std::size_t i) { return i; }),
               test::SingleSession(150000, [](std::size_t i) { return i % 7000; })});
    rig.download();
    TFormImport& f = *rig.form;
    auto* panel = Child<StatisticsPanel>(f, "StatisticsPanel");
    EXPECT_EQ(panel->runName(0), "session 2: 150000 samples");
    ASSERT_TRUE(testing::ProcessUntil([&] { return !panel->figure(0, 0, 0).isEmpty(); }, 20000));
    const StatisticsRun expected =
        StatisticsRunOf({}, SessionStatisticsOf(f.sessions().session(1)));
    for (int c = 0; c < kStatisticsColumns; ++c)
        EXPECT_EQ(panel->figure(0, 0, c).toStdString(),
                  expected.main.figures[static_cast<std::size_t>(c)])
            << c;
    // Back to it: the figures kept; the other display: the same.
    f.sbtnFirstPageClick();
    EXPECT_EQ(panel->runName(0), "session 1: 3 samples");
    f.sbtnLastPageClick();
    EXPECT_EQ(panel->figure(0, 0, 0), "150000");
    // Another download: summed again, and left for the first page at once.
    rig.download();
    EXPECT_TRUE(panel->figure(0, 0, 0).isEmpty());
    f.sbtnFirstPageClick();
    EXPECT_EQ(panel->runName(0), "session 1: 3 samples");
    testing::ProcessUntil([] { return false; }, 100);
    EXPECT_EQ(panel->runName(0), "session 1: 3 samples");
    f.sbtnLastPageClick();
    {
        ScopedMessageAnswerer answers(QMessageBox::Ok);
        f.sbtnClearClick();
    }
    EXPECT_TRUE(f.isEmpty());
    testing::ProcessUntil([] { return false; }, 100);
    UserSettings()->clear();
}

} // namespace
} // namespace ostrel
