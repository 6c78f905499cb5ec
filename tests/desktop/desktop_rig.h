#pragma once
// The real-desktop rig: an X server of its own (Xvfb, display number chosen
// by the server), a window manager (openbox) or none, the ostrel program on
// the xcb platform, and input through the X server (xdotool, XTest), as a
// user gives it. Controls are found by their object names and the rectangles
// the program reports through its test hook (OSTREL_TEST_HOOK=1), never by
// fixed pixels. Every wait is for a condition, with a time-out; a step that
// fails keeps a screenshot of the whole screen in the artefact folder
// (OSTREL_DESKTOP_ARTEFACTS, default ./desktop-failures).

#include <QJsonObject>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

namespace desk {

using namespace std::chrono_literals;
using Duration = std::chrono::milliseconds;

// A step that did not happen: the journey ends here (a screenshot is kept).
struct StepFailed : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// One widget or window as the program reported it.
struct Widget {
    QString name;
    QString window; // the window's object name (widgets only)
    QString className;
    QRect rect;   // on the screen; for a window: its frame, decorations included
    QRect client; // windows only: the client area on the screen
    QString title;
    QString text;
    bool visible = false;
    bool enabled = false;
    bool checked = false;
    bool minimized = false;
    int value = 0;
    int maximum = 0;
    int rows = 0;
    QStringList items; // the first rows of a list or table, columns joined by tabs
    bool lastRowShown = false;
};

// What the program reported at one moment.
class Snapshot {
  public:
    explicit Snapshot(const QJsonObject& json);

    QRect screen() const { return m_screen; }
    QRect available() const { return m_available; }
    QString activeWindow() const { return m_active; }
    QString modalWindow() const { return m_modal; }

    // A shown top-level window by object name.
    std::optional<Widget> window(const QString& name) const;
    std::vector<Widget> shownWindows() const;
    // A widget by object name, in the named window when one is given (the
    // first match otherwise, shown ones first).
    std::optional<Widget> widget(const QString& name, const QString& window = QString()) const;
    // A shown button by its text (mnemonic marks ignored), in the named window.
    std::optional<Widget> button(const QString& text, const QString& window = QString()) const;
    // The text of a widget, "" when it is not there.
    QString text(const QString& name, const QString& window = QString()) const;
    bool shown(const QString& windowName) const { return window(windowName).has_value(); }

  private:
    QRect m_screen, m_available;
    QString m_active, m_modal;
    std::vector<Widget> m_windows;
    std::vector<Widget> m_widgets;
};

struct DesktopOptions {
    int width = 1366;
    int height = 768;
    bool windowManager = true;
    int bottomMargin = 0; // a strip the window manager keeps free, as a panel would
};

// An X server with a window manager (or none), for one journey.
class Desktop {
  public:
    explicit Desktop(const DesktopOptions& options = {});
    ~Desktop();
    Desktop(const Desktop&) = delete;
    Desktop& operator=(const Desktop&) = delete;

    const DesktopOptions& options() const { return m_options; }
    QString display() const { return m_display; }

    // Input through the X server.
    void click(QPoint at);
    void drag(QPoint from, QPoint to);
    // Turns of the mouse wheel at a point: positive away from the user (up).
    void wheel(QPoint at, int turns);
    void key(const QString& keys); // xdotool key names: "F9", "Escape", "ctrl+s"
    void type(const QString& text);
    // The whole screen as a PNG file, taken from the X server itself.
    bool grab(const QString& path) const;

  private:
    void xdotool(const QStringList& args);

    DesktopOptions m_options;
    QTemporaryDir m_dir;
    QProcess m_server;
    QProcess m_windowManager;
    QString m_display;
};

// The ostrel program on a desktop, in a start-up folder of its own.
class Program {
  public:
    // folder: the start-up folder (kept by the caller, so that a second run
    // finds what the first left there).
    Program(Desktop& desktop, const QString& folder, const QStringList& arguments);
    ~Program(); // ends a program still running (SIGKILL)
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    Desktop& desktop() { return m_desktop; }
    qint64 pid() const { return m_process.processId(); }

    // What the program shows now.
    Snapshot snapshot();
    // Waits until the program shows what done accepts; fails the step after
    // the time-out. Returns the snapshot that satisfied it.
    Snapshot waitFor(const QString& what, const std::function<bool(const Snapshot&)>& done,
                     Duration timeout = 15s);
    // The same with a check that names what is still wrong ("" when nothing
    // is); the last such text goes into the failure.
    Snapshot waitUntilRight(const QString& what,
                            const std::function<QString(const Snapshot&)>& problem,
                            Duration timeout = 15s);
    // Waits for the windows of a start: the main strip, the digital and
    // analog meters, the recorder and the data list shown and framed.
    Snapshot waitForStart();
    // Clicks Link on the main strip and waits for a reading in the digital meter.
    void link();
    // Waits until the named widget is shown and enabled, then clicks its centre.
    void click(const QString& name, const QString& window = QString());
    // Clicks a shown button by its text.
    void clickButton(const QString& text, const QString& window = QString());
    // Answers Qt's file dialog with a path typed into its name field.
    void typeIntoFileDialog(const QString& path);
    // Ends the program as a crash would: SIGKILL, then waits for its end.
    void kill();
    // Waits for the program to end by itself; its exit status.
    int waitForExit(Duration timeout = 15s);
    bool running() const { return m_process.state() != QProcess::NotRunning; }

    // Fails the journey with a screenshot of this moment.
    [[noreturn]] void fail(const QString& what);

  private:
    QPoint settledCentre(const QString& what,
                         const std::function<std::optional<Widget>(const Snapshot&)>& find);
    std::optional<QJsonObject> ask(const QString& command, Duration timeout = 5s);

    Desktop& m_desktop;
    QProcess m_process;
    QByteArray m_pending;
};

// A folder for a journey's files and its program's start-up folder.
QString NewFolder(QTemporaryDir& dir, const QString& name);

// Where screenshots and the program's output of failed steps go.
QString ArtefactPath(const QString& name);

// The recorder window, and what its status bar tells: the samples in its
// buffer ("Data in buffer : N") and whether a recording runs.
inline const QString kRecorder = QStringLiteral("GraphicalForm");
inline int Samples(const Snapshot& s) {
    return s.text(QStringLiteral("StatusPanel1"), kRecorder).section(':', 1).trimmed().toInt();
}
inline bool Recording(const Snapshot& s) {
    return !s.text(QStringLiteral("StatusPanel0"), kRecorder).isEmpty();
}

} // namespace desk
