#pragma once
// The tabs of the import window's pages. A logger memory holds up to 999
// sessions, one tab each, and a tab bar works out the size of every tab
// again (a style option, font metrics and the style's sizes) whenever it lays
// its tabs out, which it does for every tab added: adding n tabs cost n²
// such sizes. SessionTabBar keeps each tab's size by its place and works it
// out again only when the tab there or its neighbours change (a tab's place
// among the others can change how the style draws it), when a tab becomes or
// stops being the current one, or when the font, the style or the layout
// direction change; the sizes are those of a plain tab bar. (The window sets
// no elide mode, icon size or document mode of its own: a change of those
// would not be seen.)

#include <QSize>
#include <QString>
#include <QTabBar>
#include <QTabWidget>

#include <vector>

namespace ostrel {

class SessionTabBar : public QTabBar {
    Q_OBJECT
  public:
    explicit SessionTabBar(QWidget* parent = nullptr);

  protected:
    QSize tabSizeHint(int index) const override;
    QSize minimumTabSizeHint(int index) const override;
    void tabInserted(int index) override;
    void tabRemoved(int index) override;
    void changeEvent(QEvent* event) override;

  private:
    // The sizes of the tab at one place, for the text it had then.
    struct Sizes {
        QString text;
        QSize hint, minimum; // invalid: not known
    };
    Sizes& sizesAt(int index) const;
    // The size in slot of the tab at index, worked out by plain (the plain
    // tab bar's) the first time.
    template <class Plain> QSize keptSize(int index, QSize Sizes::*slot, Plain plain) const;
    // Forget the sizes from place `from` on (and its neighbour before it).
    void forgetFrom(int from);

    mutable std::vector<Sizes> m_sizes;
    int m_current = -1;
};

// A tab widget with a SessionTabBar.
class SessionTabs : public QTabWidget {
    Q_OBJECT
  public:
    explicit SessionTabs(QWidget* parent = nullptr);
};

} // namespace ostrel
