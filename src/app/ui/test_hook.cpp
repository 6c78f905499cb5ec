#include "app/ui/test_hook.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QScreen>
#include <QTabWidget>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace ostrel {
namespace {

constexpr int kItemsShown = 50;

QJsonArray RectJson(const QRect& r) {
    return {r.x(), r.y(), r.width(), r.height()};
}

QString WindowName(const QWidget* window) {
    return window->objectName().isEmpty() ? QString::fromLatin1(window->metaObject()->className())
                                          : window->objectName();
}

QJsonObject WindowJson(const QWidget* w) {
    QJsonObject o;
    o["name"] = WindowName(w);
    o["class"] = QString::fromLatin1(w->metaObject()->className());
    o["title"] = w->windowTitle();
    o["frame"] = RectJson(w->frameGeometry());
    o["client"] = RectJson(w->geometry());
    o["visible"] = w->isVisible();
    o["minimized"] = w->isMinimized();
    o["modal"] = w->isModal();
    return o;
}

// What a widget shows that a test may wait for.
void AddContents(const QWidget* w, QJsonObject& o) {
    if (const auto* label = qobject_cast<const QLabel*>(w)) {
        o["text"] = label->text();
    } else if (const auto* button = qobject_cast<const QAbstractButton*>(w)) {
        o["text"] = button->text();
        if (button->isCheckable())
            o["checked"] = button->isChecked();
    } else if (const auto* edit = qobject_cast<const QLineEdit*>(w)) {
        o["text"] = edit->text();
    } else if (const auto* combo = qobject_cast<const QComboBox*>(w)) {
        o["text"] = combo->currentText();
    } else if (const auto* bar = qobject_cast<const QProgressBar*>(w)) {
        o["value"] = bar->value();
        o["maximum"] = bar->maximum();
    } else if (const auto* tabs = qobject_cast<const QTabWidget*>(w)) {
        o["value"] = tabs->currentIndex();
        o["rows"] = tabs->count();
    } else if (const auto* view = qobject_cast<const QAbstractItemView*>(w)) {
        const QAbstractItemModel* model = view->model();
        const int rows = model ? model->rowCount(view->rootIndex()) : 0;
        o["rows"] = rows;
        // The first rows' texts, their columns joined by tabs.
        QJsonArray items;
        const int columns = model ? model->columnCount(view->rootIndex()) : 0;
        for (int r = 0; r < std::min(rows, kItemsShown); ++r) {
            QStringList cells;
            for (int c = 0; c < columns; ++c)
                cells << model->index(r, c, view->rootIndex()).data().toString();
            items.append(cells.join('\t'));
        }
        o["items"] = items;
        if (rows > 0) {
            // Whether the newest row can be seen without scrolling.
            const QRect last = view->visualRect(model->index(rows - 1, 0, view->rootIndex()));
            o["lastRowShown"] = view->viewport()->rect().contains(last);
        }
    }
}

void AddWidgets(const QWidget* window, QJsonArray& out) {
    const QString windowName = WindowName(window);
    const auto children = window->findChildren<QWidget*>();
    for (const QWidget* w : children) {
        if (w->window() != window)
            continue; // a window of its own is listed with its own widgets
        const auto* button = qobject_cast<const QAbstractButton*>(w);
        if (w->objectName().isEmpty() && !(button && !button->text().isEmpty()))
            continue;
        QJsonObject o;
        o["name"] = w->objectName();
        o["window"] = windowName;
        o["class"] = QString::fromLatin1(w->metaObject()->className());
        o["rect"] = RectJson(QRect(w->mapToGlobal(QPoint(0, 0)), w->size()));
        o["visible"] = w->isVisible();
        o["enabled"] = w->isEnabled();
        AddContents(w, o);
        out.append(o);
    }
}

std::string WindowsAnswer() {
    QJsonObject root;
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        root["screen"] = RectJson(screen->geometry());
        root["available"] = RectJson(screen->availableGeometry());
    }
    QJsonArray windows;
    QJsonArray widgets;
    const auto topLevels = QApplication::topLevelWidgets();
    for (const QWidget* w : topLevels) {
        if (!w->isVisible() && w->objectName().isEmpty())
            continue;
        windows.append(WindowJson(w));
        if (w->isVisible())
            AddWidgets(w, widgets);
    }
    root["windows"] = windows;
    root["widgets"] = widgets;
    if (const QWidget* active = QApplication::activeWindow())
        root["active"] = WindowName(active);
    if (const QWidget* modal = QApplication::activeModalWidget())
        root["modal"] = WindowName(modal);
    if (const QWidget* popup = QApplication::activePopupWidget())
        root["popup"] = WindowName(popup);
    if (const QWidget* focus = QApplication::focusWidget())
        root["focus"] = focus->objectName();
    return QJsonDocument(root).toJson(QJsonDocument::Compact).toStdString();
}

} // namespace

std::unique_ptr<TestHook> TestHook::FromEnvironment() {
    const char* value = std::getenv("OSTREL_TEST_HOOK");
    if (!value || std::strcmp(value, "1") != 0)
        return nullptr;
    return std::unique_ptr<TestHook>(new TestHook);
}

std::string TestHook::Answer(const std::string& command) {
    if (command == "windows")
        return WindowsAnswer();
    return "{\"error\":\"unknown command\"}";
}

TestHook::TestHook() : m_input(STDIN_FILENO, QSocketNotifier::Read) {
    connect(&m_input, &QSocketNotifier::activated, this, &TestHook::readCommands);
}

void TestHook::readCommands() {
    char buffer[4096];
    const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n <= 0) {
        m_input.setEnabled(false); // the other end has gone
        return;
    }
    m_pending.append(buffer, static_cast<std::size_t>(n));
    std::size_t end;
    while ((end = m_pending.find('\n')) != std::string::npos) {
        const std::string line = m_pending.substr(0, end);
        m_pending.erase(0, end + 1);
        const std::string answer = Answer(line) + '\n';
        std::fwrite(answer.data(), 1, answer.size(), stdout);
        std::fflush(stdout);
    }
}

} // namespace ostrel
