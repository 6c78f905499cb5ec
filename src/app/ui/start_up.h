#pragma once
// Start-up: creates every window once, in the order the windows rely on
// (the digital meter places itself below the main window, the analog meter
// below both, the data list below all three; the comparator takes its limits
// from the configuration the main window read), and tears them down at exit.

#include "base/ui/app_windows.h"

#include <QString>

#include <memory>

namespace ostrel {

class MeterAccess;

class ShellSession {
  public:
    ShellSession(MeterAccess& access, const QString& startupDirectory = QString());
    ~ShellSession(); // stops the threads, then deletes the windows in reverse order
    ShellSession(const ShellSession&) = delete;
    ShellSession& operator=(const ShellSession&) = delete;

    const AppWindows& windows() const { return m_windows; }
    TFormMain& main() const { return *m_windows.main; }

    // Shows the windows that are visible after start-up.
    void showWindows();
    // Stops the threads (idempotent); true when one had to be left running.
    bool shutdown();

  private:
    AppWindows m_windows;
};

} // namespace ostrel
