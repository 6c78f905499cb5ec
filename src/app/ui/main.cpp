// ostrel: the desktop companion of the Tarvix multimeters.
#include "app/ui/main_form.h"
#include "app/ui/meter_access_factory.h"
#include "app/ui/ostrel_application.h"
#include "app/ui/program_options.h"
#include "app/ui/screenshots.h"
#include "app/ui/start_up.h"
#include "app/ui/termination_signals.h"
#include "app/ui/test_hook.h"
#include "base/ui/message_box.h"
#include "displays/ui/alarm_tones.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iostream>

int main(int argc, char** argv) {
    using namespace ostrel;
    // Before any thread starts, so that every thread holds them back too.
    TerminationSignals::holdBack();
    std::string error;
    const auto options = ParseProgramOptions(std::vector<std::string>(argv, argv + argc), &error);
    if (!options) {
        std::cerr << "ostrel: " << error << "\n";
        return 2;
    }
    if (options->help) {
        std::cout << ProgramHelpText();
        return 0;
    }
    if (options->version) {
        std::cout << ProgramVersionText();
        return 0;
    }
    std::unique_ptr<MeterAccess> access =
        MakeMeterAccess(options->simulate, options->device, &error);
    if (!access) {
        std::cerr << "ostrel: " << error << "\n";
        return 2;
    }

    // Nobody listens to a run that renders its windows into files.
    SetAlarmSoundEnabled(!options->noSound && options->screenshotDirectory.empty());

    OstrelApplication app(argc, argv);
    // Matches the windows to the desktop entry (and its icon) on Wayland.
    QGuiApplication::setDesktopFileName(QStringLiteral(OSTREL_APP_ID));
    const std::unique_ptr<TestHook> testHook = TestHook::FromEnvironment();
    int status = 0;
    bool threadLeftRunning = false;
    try {
        ShellSession session(*access);
        session.showWindows();
        std::unique_ptr<ScreenshotTaker> screenshots;
        if (!options->screenshotDirectory.empty())
            screenshots = std::make_unique<ScreenshotTaker>(
                session, QString::fromStdString(options->screenshotDirectory),
                options->screenshotDelayMs);
        // A termination signal closes without questions; the link then stops
        // in the shutdown below, as after any close.
        TerminationSignals terminationSignals(
            [&session](int) { session.main().closeWithoutQuestions(); });
        status = app.exec();
        threadLeftRunning = session.shutdown();
        if (threadLeftRunning) {
            // A thread blocked in the device still holds the link's objects:
            // end without the static destructors it could race with.
            std::fflush(nullptr);
            std::_Exit(status);
        }
    } catch (const std::exception& e) {
        ShowExceptionMessage(QString::fromLocal8Bit(e.what()));
        return 1;
    }
    return status;
}
