#include "desktop_rig.h"

#include "x_screen.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QThread>

#include <algorithm>
#include <csignal>
#include <cstdlib>

namespace desk {
namespace {

constexpr auto kPoll = 40ms;
const QString kProgram = QStringLiteral(OSTREL_PROGRAM);

QRect RectOf(const QJsonValue& v) {
    const QJsonArray a = v.toArray();
    return a.size() == 4 ? QRect(a[0].toInt(), a[1].toInt(), a[2].toInt(), a[3].toInt()) : QRect();
}

Widget WidgetOf(const QJsonObject& o, bool isWindow) {
    Widget w;
    w.name = o["name"].toString();
    w.window = o["window"].toString();
    w.className = o["class"].toString();
    w.rect = RectOf(isWindow ? o["frame"] : o["rect"]);
    w.client = RectOf(o["client"]);
    w.title = o["title"].toString();
    w.text = o["text"].toString();
    w.visible = o["visible"].toBool();
    w.enabled = o["enabled"].toBool();
    w.checked = o["checked"].toBool();
    w.minimized = o["minimized"].toBool();
    w.value = o["value"].toInt();
    w.maximum = o["maximum"].toInt();
    w.rows = o["rows"].toInt();
    w.lastRowShown = o["lastRowShown"].toBool();
    for (const QJsonValue& item : o["items"].toArray())
        w.items << item.toString();
    return w;
}

QString Plain(QString text) {
    return text.remove(QLatin1Char('&'));
}

// The current test's name, for the files of its failed steps.
QString TestName() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    if (!info)
        return QStringLiteral("desktop");
    return QString::fromLatin1(info->test_suite_name()) + '.' + info->name();
}

void Sleep(Duration d) {
    QThread::msleep(static_cast<unsigned long>(d.count()));
}

// Waits for a condition outside the program (a process, a file, the server).
bool WaitUntil(const std::function<bool()>& done, Duration timeout) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeout.count())
            return false;
        Sleep(kPoll);
    }
    return true;
}

void Stop(QProcess& process) {
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(2000)) {
        process.kill();
        process.waitForFinished(2000);
    }
}

} // namespace

// --- snapshot ------------------------------------------------------------------

Snapshot::Snapshot(const QJsonObject& json) {
    m_screen = RectOf(json["screen"]);
    m_available = RectOf(json["available"]);
    m_active = json["active"].toString();
    m_modal = json["modal"].toString();
    for (const QJsonValue& v : json["windows"].toArray())
        m_windows.push_back(WidgetOf(v.toObject(), true));
    for (const QJsonValue& v : json["widgets"].toArray())
        m_widgets.push_back(WidgetOf(v.toObject(), false));
    // Shown widgets first, so that a name used in several windows finds the
    // one a user can see.
    std::stable_partition(m_widgets.begin(), m_widgets.end(),
                          [](const Widget& w) { return w.visible; });
}

std::optional<Widget> Snapshot::window(const QString& name) const {
    for (const Widget& w : m_windows)
        if (w.name == name && w.visible && !w.minimized)
            return w;
    return std::nullopt;
}

std::vector<Widget> Snapshot::shownWindows() const {
    std::vector<Widget> out;
    for (const Widget& w : m_windows)
        if (w.visible && !w.minimized)
            out.push_back(w);
    return out;
}

std::optional<Widget> Snapshot::widget(const QString& name, const QString& window) const {
    for (const Widget& w : m_widgets)
        if (w.name == name && (window.isEmpty() || w.window == window))
            return w;
    return std::nullopt;
}

std::optional<Widget> Snapshot::button(const QString& text, const QString& window) const {
    for (const Widget& w : m_widgets)
        if (w.visible && Plain(w.text) == Plain(text) && w.className.contains("Button") &&
            (window.isEmpty() || w.window == window))
            return w;
    return std::nullopt;
}

QString Snapshot::text(const QString& name, const QString& window) const {
    const auto w = widget(name, window);
    return w ? w->text : QString();
}

// --- desktop -------------------------------------------------------------------

Desktop::Desktop(const DesktopOptions& options) : m_options(options) {
    // The server picks a free display number and writes it on its output.
    m_server.start(
        QStringLiteral("Xvfb"),
        {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
         QStringLiteral("0"), QStringLiteral("%1x%2x24").arg(options.width).arg(options.height),
         QStringLiteral("-nolisten"), QStringLiteral("tcp"), QStringLiteral("-noreset")});
    QByteArray number;
    WaitUntil(
        [&] {
            m_server.waitForReadyRead(static_cast<int>(kPoll.count()));
            number += m_server.readAllStandardOutput();
            return number.contains('\n') || m_server.state() == QProcess::NotRunning;
        },
        10s);
    if (!number.contains('\n'))
        throw StepFailed("Xvfb did not start");
    m_display = ':' + QString::fromLatin1(number.trimmed());

    if (!options.windowManager)
        return;
    QStringList arguments{QStringLiteral("--sm-disable")};
    if (options.bottomMargin > 0) {
        // A margin of the window manager's work area stands for a panel.
        const QString rc = m_dir.filePath(QStringLiteral("rc.xml"));
        QFile file(rc);
        if (file.open(QIODevice::WriteOnly))
            file.write(QStringLiteral("<?xml version=\"1.0\"?>\n"
                                      "<openbox_config xmlns=\"http://openbox.org/3.4/rc\">"
                                      "<margins><top>0</top><bottom>%1</bottom><left>0</left>"
                                      "<right>0</right></margins></openbox_config>\n")
                           .arg(options.bottomMargin)
                           .toUtf8());
        arguments << QStringLiteral("--config-file") << rc;
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), m_display);
    m_windowManager.setProcessEnvironment(env);
    // Its complaints about menus the test has no use for stay out of the log.
    m_windowManager.setStandardErrorFile(QProcess::nullDevice());
    m_windowManager.start(QStringLiteral("openbox"), arguments);
    if (!WaitUntil([&] { return WindowManagerRunning(m_display); }, 10s))
        throw StepFailed("openbox did not start");
}

Desktop::~Desktop() {
    Stop(m_windowManager);
    Stop(m_server);
}

void Desktop::xdotool(const QStringList& args) {
    QProcess tool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), m_display);
    tool.setProcessEnvironment(env);
    tool.start(QStringLiteral("xdotool"), args);
    if (!tool.waitForFinished(5000) || tool.exitCode() != 0)
        throw StepFailed(("xdotool " + args.join(' ')).toStdString() + " failed");
}

void Desktop::click(QPoint at) {
    // No --sync: it waits for a motion that never comes when the pointer is
    // there already (a second click on the same button).
    xdotool({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()),
             QStringLiteral("click"), QStringLiteral("1")});
}

void Desktop::wheel(QPoint at, int turns) {
    // X buttons 4 and 5 are the wheel's turns up and down.
    xdotool({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()),
             QStringLiteral("click"), QStringLiteral("--repeat"), QString::number(std::abs(turns)),
             turns > 0 ? QStringLiteral("4") : QStringLiteral("5")});
}

void Desktop::drag(QPoint from, QPoint to) {
    // Pressed, then moved in steps, as a hand does: a window manager starts a
    // move only after the pointer has travelled a few pixels.
    QStringList args{QStringLiteral("mousemove"), QString::number(from.x()),
                     QString::number(from.y()), QStringLiteral("mousedown"), QStringLiteral("1")};
    for (int step = 1; step <= 4; ++step) {
        const QPoint at = from + (to - from) * step / 4;
        args << QStringLiteral("sleep") << QStringLiteral("0.05") << QStringLiteral("mousemove")
             << QString::number(at.x()) << QString::number(at.y());
    }
    args << QStringLiteral("mouseup") << QStringLiteral("1");
    xdotool(args);
}

void Desktop::key(const QString& keys) {
    xdotool({QStringLiteral("key"), QStringLiteral("--clearmodifiers"), keys});
}

void Desktop::type(const QString& text) {
    xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("5"), text});
}

bool Desktop::grab(const QString& path) const {
    return GrabScreen(m_display, path);
}

// --- program -------------------------------------------------------------------

Program::Program(Desktop& desktop, const QString& folder, const QStringList& arguments)
    : m_desktop(desktop) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), desktop.display());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.remove(QStringLiteral("QT_QPA_PLATFORMTHEME")); // Qt's own file dialogs
    env.insert(QStringLiteral("OSTREL_TEST_HOOK"), QStringLiteral("1"));
    // Settings and runtime files of this run only.
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), folder + QStringLiteral("/.config"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), folder + QStringLiteral("/.run"));
    QDir(folder).mkpath(QStringLiteral(".run"));
    QFile::setPermissions(folder + QStringLiteral("/.run"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    m_process.setProcessEnvironment(env);
    m_process.setWorkingDirectory(folder);
    m_process.setStandardErrorFile(folder + QStringLiteral("/.stderr"), QIODevice::Append);
    m_process.start(kProgram, arguments);
    if (!m_process.waitForStarted(10000))
        throw StepFailed("ostrel did not start");
}

Program::~Program() {
    if (running()) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

std::optional<QJsonObject> Program::ask(const QString& command, Duration timeout) {
    if (!running())
        return std::nullopt;
    m_process.write(command.toUtf8() + '\n');
    QElapsedTimer clock;
    clock.start();
    while (!m_pending.contains('\n')) {
        if (clock.elapsed() > timeout.count() || !running())
            return std::nullopt;
        m_process.waitForReadyRead(static_cast<int>(kPoll.count()));
        m_pending += m_process.readAllStandardOutput();
    }
    const int end = static_cast<int>(m_pending.indexOf('\n'));
    const QByteArray line = m_pending.left(end);
    m_pending.remove(0, end + 1);
    const QJsonDocument doc = QJsonDocument::fromJson(line);
    if (!doc.isObject())
        return std::nullopt;
    return doc.object();
}

Snapshot Program::snapshot() {
    const auto answer = ask(QStringLiteral("windows"));
    if (!answer)
        fail(running() ? "the program does not answer" : "the program has ended");
    return Snapshot(*answer);
}

void Program::fail(const QString& what) {
    QString step = what.left(60);
    step.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9]+")), QStringLiteral("-"));
    const QString shot = ArtefactPath(TestName() + '-' + step + QStringLiteral(".png"));
    const bool kept = m_desktop.grab(shot);
    ADD_FAILURE() << "step failed: " << what.toStdString()
                  << (kept ? "\n  screenshot: " + shot.toStdString() : std::string());
    throw StepFailed(what.toStdString());
}

Snapshot Program::waitFor(const QString& what, const std::function<bool(const Snapshot&)>& done,
                          Duration timeout) {
    return waitUntilRight(
        what, [&](const Snapshot& s) { return done(s) ? QString() : QStringLiteral("not seen"); },
        timeout);
}

Snapshot Program::waitUntilRight(const QString& what,
                                 const std::function<QString(const Snapshot&)>& problem,
                                 Duration timeout) {
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        Snapshot now = snapshot();
        const QString wrong = problem(now);
        if (wrong.isEmpty())
            return now;
        if (clock.elapsed() > timeout.count())
            fail(what + QStringLiteral(": ") + wrong);
        Sleep(kPoll);
    }
}

Snapshot Program::waitForStart() {
    const bool framed = m_desktop.options().windowManager;
    return waitFor("the start-up windows shown", [framed](const Snapshot& s) {
        for (const char* name : {"FormMain", "DigitalMeterForm", "AnalogMeterForm", "GraphicalForm",
                                 "DataStringGridForm"}) {
            const auto w = s.window(QString::fromLatin1(name));
            // Under a window manager a window is placed once it has its frame.
            if (!w || (framed && w->rect == w->client))
                return false;
        }
        return true;
    });
}

// Waits until the widget found by find can take a click where it is: shown,
// enabled, and standing still for a few looks, so that the click does not
// land where a window is only about to be (a window manager frames and
// places a new window a moment after it shows).
QPoint Program::settledCentre(const QString& what,
                              const std::function<std::optional<Widget>(const Snapshot&)>& find) {
    QRect last, lastWindow;
    int stillFor = 0;
    const Snapshot s = waitUntilRight(what, [&](const Snapshot& now) {
        const auto w = find(now);
        if (!w || !w->visible)
            return QStringLiteral("not shown");
        if (!w->enabled)
            return QStringLiteral("disabled");
        const auto window = now.window(w->window);
        if (!window)
            return QStringLiteral("its window ") + w->window + QStringLiteral(" is not shown");
        stillFor = w->rect == last && window->rect == lastWindow ? stillFor + 1 : 0;
        last = w->rect;
        lastWindow = window->rect;
        return stillFor >= 2 ? QString() : QStringLiteral("moving");
    });
    const Widget w = *find(s);
    // A check box or radio button takes a click on its mark and text only.
    if (w.className == QLatin1String("QRadioButton") || w.className == QLatin1String("QCheckBox"))
        return {w.rect.left() + std::min(8, w.rect.width() / 2), w.rect.center().y()};
    return w.rect.center();
}

void Program::link() {
    click(QStringLiteral("sbtnLink"));
    waitFor(QStringLiteral("a reading in the digital meter"), [](const Snapshot& s) {
        return !s.text(QStringLiteral("DataPanel")).trimmed().isEmpty();
    });
}

void Program::click(const QString& name, const QString& window) {
    m_desktop.click(settledCentre("'" + name + "' can be clicked",
                                  [&](const Snapshot& s) { return s.widget(name, window); }));
}

void Program::clickButton(const QString& text, const QString& window) {
    m_desktop.click(settledCentre("a button '" + text + "'",
                                  [&](const Snapshot& s) { return s.button(text, window); }));
}

void Program::typeIntoFileDialog(const QString& path) {
    click(QStringLiteral("fileNameEdit"), QStringLiteral("QFileDialog"));
    m_desktop.key(QStringLiteral("ctrl+a"));
    m_desktop.type(path);
    m_desktop.key(QStringLiteral("Return"));
    waitFor(QStringLiteral("the file dialog closed"),
            [](const Snapshot& s) { return !s.shown(QStringLiteral("QFileDialog")); });
}

void Program::kill() {
    ::kill(static_cast<pid_t>(m_process.processId()), SIGKILL);
    m_process.waitForFinished(5000);
}

int Program::waitForExit(Duration timeout) {
    if (!m_process.waitForFinished(static_cast<int>(timeout.count())))
        fail("the program ends");
    return m_process.exitCode();
}

QString NewFolder(QTemporaryDir& dir, const QString& name) {
    const QString path = dir.filePath(name);
    QDir().mkpath(path);
    return path;
}

QString ArtefactPath(const QString& name) {
    QString folder = qEnvironmentVariable("OSTREL_DESKTOP_ARTEFACTS");
    if (folder.isEmpty())
        folder = QDir::currentPath() + QStringLiteral("/desktop-failures");
    QDir().mkpath(folder);
    return folder + '/' + name;
}

} // namespace desk
