#include "displays/ui/live_windows.h"

#include "base/ui/shell_geometry.h"
#include "base/window_thread.h"
#include "displays/ui/glyph_label.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMetaObject>
#include <QScreen>
#include <QStyle>

#include <algorithm>
#include <map>
#include <utility>

static void InitDisplayResources() {
    Q_INIT_RESOURCE(displays);
}

namespace ostrel {

int OuterHeight(const QWidget* window) {
    if (!window)
        return 0;
    return window->frameGeometry().height();
}

ScreenMetrics CurrentScreenMetrics(const QWidget* reference, const QWidget* mainWindow) {
    ScreenMetrics m;
    QScreen* screen = nullptr;
    if (reference)
        screen = reference->screen();
    if (!screen && mainWindow)
        screen = mainWindow->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen) {
        const QRect full = screen->geometry();
        m.screenWidth = full.width();
        m.screenHeight = full.height();
    }
    // The main window determines the taskbar's height (a panel at the bottom
    // only), as the tile does.
    m.taskbarHeight = CurrentShellGeometry().taskbarHeight;
    m.mainWindowHeight = OuterHeight(mainWindow);
    const QStyle* style = QApplication::style();
    if (style) {
        m.captionHeight = style->pixelMetric(QStyle::PM_TitleBarHeight);
        m.dialogFrameHeight = style->pixelMetric(QStyle::PM_DefaultFrameWidth);
        m.sizingFrameHeight = style->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth);
    }
    return m;
}

void PlaceWindow(QWidget* window, const PixelRect& rect) {
    // Before the window system frames the window, frame and client coincide.
    const QSize extra = window->frameGeometry().size() - window->geometry().size();
    window->move(rect.left, rect.top);
    window->resize(std::max(1, rect.width - extra.width()),
                   std::max(1, rect.height - extra.height()));
}

namespace {
const char* const kFrameSmallest = "ostrelFrameSmallest";
const char* const kFrameLargest = "ostrelFrameLargest";
} // namespace

QMargins WindowFrame(const QWidget* window) {
    if (!window || !window->isVisible())
        return {};
    const QRect frame = window->frameGeometry();
    const QRect client = window->geometry();
    return {client.left() - frame.left(), client.top() - frame.top(),
            frame.right() - client.right(), frame.bottom() - client.bottom()};
}

void SetFrameSizeLimits(QWidget* window, const PixelSize& smallest, const PixelSize& largest) {
    window->setProperty(kFrameSmallest, QSize(smallest.width, smallest.height));
    window->setProperty(kFrameLargest, QSize(std::max(smallest.width, largest.width),
                                             std::max(smallest.height, largest.height)));
    RefitFrameSizeLimits(window);
}

void RefitFrameSizeLimits(QWidget* window) {
    const QSize smallest = window->property(kFrameSmallest).toSize();
    const QSize largest = window->property(kFrameLargest).toSize();
    if (smallest.isEmpty() || largest.isEmpty())
        return;
    const QMargins frame = WindowFrame(window);
    const QSize extra(frame.left() + frame.right(), frame.top() + frame.bottom());
    window->setMinimumSize((smallest - extra).expandedTo(QSize(1, 1)));
    window->setMaximumSize((largest - extra).expandedTo(QSize(1, 1)));
}

QIcon DisplayIcon(int resource) {
    // Window thread only; the blinking icon is set with every reading, so each
    // picture is loaded once.
    static const bool loaded = (InitDisplayResources(), true);
    (void)loaded;
    static std::map<int, QIcon> icons;
    auto it = icons.find(resource);
    if (it == icons.end())
        it = icons
                 .emplace(resource,
                          QIcon(QStringLiteral(":/displays/displays_icon%1.svg").arg(resource)))
                 .first;
    return it->second;
}

QLabel* MeterPanel(QWidget* parent, int points) {
    auto* panel = new GlyphLabel(parent);
    panel->setAutoFillBackground(true);
    panel->setTextFormat(Qt::PlainText);
    panel->setAlignment(Qt::AlignCenter);
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, Qt::black);
    palette.setColor(QPalette::WindowText, QColor(0, 255, 0));
    panel->setPalette(palette);
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(points);
    panel->setFont(font);
    return panel;
}

} // namespace ostrel
