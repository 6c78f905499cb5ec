// The import window's tab bar keeps its tabs' sizes: they stay those a plain
// tab bar gives the same texts, as tabs are added, removed, renamed and
// chosen, and when the font changes.
#include "import/ui/session_tabs.h"

#include <QTabBar>
#include <QWidget>

#include <gtest/gtest.h>

namespace ostrel {
namespace {

// Both bars' tab rectangles and sizes are the same.
void ExpectSameTabs(const QTabBar& kept, const QTabBar& plain, const char* when) {
    ASSERT_EQ(kept.count(), plain.count()) << when;
    for (int i = 0; i < kept.count(); ++i)
        ASSERT_EQ(kept.tabRect(i), plain.tabRect(i)) << when << ", tab " << i;
    EXPECT_EQ(kept.sizeHint(), plain.sizeHint()) << when;
    EXPECT_EQ(kept.minimumSizeHint(), plain.minimumSizeHint()) << when;
}

TEST(SessionTabs, TabSizesAreThoseOfAPlainTabBar) {
    QWidget parent;
    parent.resize(2000, 100);
    SessionTabBar kept(&parent);
    QTabBar plain(&parent);
    const auto both = [&](auto&& change) {
        change(static_cast<QTabBar&>(kept));
        change(plain);
    };
    parent.show();
    for (int k = 1; k <= 120; ++k)
        both([k](QTabBar& bar) { bar.addTab(QStringLiteral("Session%1").arg(k)); });
    ExpectSameTabs(kept, plain, "added");
    both([](QTabBar& bar) { bar.setCurrentIndex(7); });
    ExpectSameTabs(kept, plain, "another current tab");
    // Other texts at the same places, a tab taken from the middle and one put in.
    both([](QTabBar& bar) {
        bar.setTabText(3, QStringLiteral("A much longer caption"));
        bar.removeTab(10);
        bar.insertTab(0, QStringLiteral("W"));
        bar.removeTab(bar.count() - 1);
    });
    ExpectSameTabs(kept, plain, "changed");
    QFont larger = parent.font();
    larger.setPointSize(larger.pointSize() * 2);
    both([&](QTabBar& bar) { bar.setFont(larger); });
    ExpectSameTabs(kept, plain, "a larger font");
    while (kept.count() > 1)
        both([](QTabBar& bar) { bar.removeTab(bar.count() - 1); });
    ExpectSameTabs(kept, plain, "all but one removed");
}

} // namespace
} // namespace ostrel
