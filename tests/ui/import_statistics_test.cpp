// The import window's statistics panel follows the session shown.
#include "import_test_rig.h"

#include "base/ui/user_settings.h"
#include "graph/ui/statistics_panel.h"

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

} // namespace
} // namespace ostrel
