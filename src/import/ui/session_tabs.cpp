#include "import/ui/session_tabs.h"

#include <QEvent>

#include <algorithm>

namespace ostrel {

SessionTabBar::SessionTabBar(QWidget* parent) : QTabBar(parent) {
    // Should a style size the current tab otherwise, the tabs that were and
    // that are current are sized again.
    connect(this, &QTabBar::currentChanged, this, [this](int index) {
        for (const int place : {m_current, index})
            if (place >= 0 && static_cast<std::size_t>(place) < m_sizes.size())
                m_sizes[static_cast<std::size_t>(place)] = Sizes{};
        m_current = index;
    });
}

SessionTabBar::Sizes& SessionTabBar::sizesAt(int index) const {
    const auto place = static_cast<std::size_t>(index);
    if (place >= m_sizes.size())
        m_sizes.resize(place + 1);
    Sizes& sizes = m_sizes[place];
    const QString text = tabText(index);
    if (sizes.text != text) {
        sizes.text = text;
        sizes.hint = sizes.minimum = QSize();
    }
    return sizes;
}

template <class Plain>
QSize SessionTabBar::keptSize(int index, QSize Sizes::*slot, Plain plain) const {
    if (index < 0 || index >= count())
        return plain();
    QSize& size = sizesAt(index).*slot;
    if (!size.isValid())
        size = plain();
    return size;
}

QSize SessionTabBar::tabSizeHint(int index) const {
    return keptSize(index, &Sizes::hint, [&] { return QTabBar::tabSizeHint(index); });
}

QSize SessionTabBar::minimumTabSizeHint(int index) const {
    return keptSize(index, &Sizes::minimum, [&] { return QTabBar::minimumTabSizeHint(index); });
}

void SessionTabBar::forgetFrom(int from) {
    const auto place = static_cast<std::size_t>(std::max(from - 1, 0));
    if (place < m_sizes.size())
        m_sizes.resize(place);
}

void SessionTabBar::tabInserted(int index) {
    forgetFrom(index);
    QTabBar::tabInserted(index);
}

void SessionTabBar::tabRemoved(int index) {
    forgetFrom(index);
    QTabBar::tabRemoved(index);
}

void SessionTabBar::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange ||
        event->type() == QEvent::LayoutDirectionChange)
        m_sizes.clear();
    QTabBar::changeEvent(event);
}

SessionTabs::SessionTabs(QWidget* parent) : QTabWidget(parent) {
    setTabBar(new SessionTabBar(this));
}

} // namespace ostrel
