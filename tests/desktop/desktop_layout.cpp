#include "desktop_layout.h"

namespace desk {
namespace {

const char* const kSideBySide[] = {"DigitalMeterForm", "AnalogMeterForm", "DataStringGridForm",
                                   "GraphicalForm"};

QString Describe(const QRect& r) {
    return QStringLiteral("(%1,%2 %3x%4)").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

} // namespace

QString LayoutProblems(const Snapshot& s) {
    QStringList problems;
    const QRect area = s.available();
    const auto main = s.window(QStringLiteral("FormMain"));
    if (!main)
        return QStringLiteral("no main strip");
    if (main->rect.top() != area.top() || main->rect.left() != area.left() ||
        main->rect.width() != area.width())
        problems << "the main strip " + Describe(main->rect) + " does not span the top of " +
                        Describe(area);
    for (const Widget& w : s.shownWindows()) {
        if (!area.contains(w.rect))
            problems << w.name + ' ' + Describe(w.rect) + " reaches outside " + Describe(area);
        if (w.name != main->name && w.rect.intersects(main->rect))
            problems << w.name + ' ' + Describe(w.rect) + " covers the main strip";
    }
    for (std::size_t i = 0; i < std::size(kSideBySide); ++i)
        for (std::size_t j = i + 1; j < std::size(kSideBySide); ++j) {
            const auto a = s.window(QString::fromLatin1(kSideBySide[i]));
            const auto b = s.window(QString::fromLatin1(kSideBySide[j]));
            if (a && b && a->rect.intersects(b->rect))
                problems << a->name + " and " + b->name + " overlap";
        }
    if (const auto status = s.widget(QStringLiteral("StatusPanel1"), "GraphicalForm"))
        if (s.shown("GraphicalForm") && !area.contains(status->rect))
            problems << QStringLiteral("the recorder's status bar is off the screen");
    if (const auto list = s.widget(QStringLiteral("DataList"), "DataStringGridForm"))
        if (s.shown("DataStringGridForm") && list->visible &&
            (!area.contains(list->rect) || (list->rows > 0 && !list->lastRowShown)))
            problems << QStringLiteral("the data list's newest row is hidden");
    return problems.join(QStringLiteral("; "));
}

} // namespace desk
