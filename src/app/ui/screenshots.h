#pragma once
// Renders every window of a running program into PNG files: the about dialog
// with the cable lines first, then links, records a few hundred samples, waits
// for the live windows to fill (the digital meter first, then the analog meter
// and the comparator), grabs them and ends the program. Used by
// tools/screenshots.

#include <QObject>
#include <QString>

#include <functional>

namespace ostrel {

class ShellSession;

class ScreenshotTaker : public QObject {
    Q_OBJECT
  public:
    ScreenshotTaker(ShellSession& session, QString directory, int linkedDelayMs);

  private:
    void start();
    // Once ready() holds (or the delay is over), wait settleMs and run then.
    void whenReady(std::function<bool()> ready, int settleMs, std::function<void()> then);
    void grabDigital();
    void grabMeters();
    void grabRecorder();
    void grabDialogs();
    void grabExportedPage();
    void grabViewer();
    void recordSamples();
    void grabImport();
    void save(QWidget* window, const QString& name);
    void saveDesktop(const QString& name);

    ShellSession& m_session;
    QString m_directory;
    int m_delayMs;
};

} // namespace ostrel
