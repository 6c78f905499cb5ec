#pragma once
// Renders every window of a running program into PNG files: the about dialog
// with the cable lines first, then links, waits for the live windows to fill,
// grabs them all and ends the program. Used by tools/screenshots.

#include <QObject>
#include <QString>

namespace ostrel {

class ShellSession;

class ScreenshotTaker : public QObject {
    Q_OBJECT
  public:
    ScreenshotTaker(ShellSession& session, QString directory, int linkedDelayMs);

  private:
    void start();
    void grabAll();
    void grabImport();
    void save(QWidget* window, const QString& name);
    void saveDesktop(const QString& name);

    ShellSession& m_session;
    QString m_directory;
    int m_delayMs;
};

} // namespace ostrel
