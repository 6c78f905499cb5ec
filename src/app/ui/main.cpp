// ostrel: the desktop companion of the Tarvix multimeters.
#include "app/ui/main_form.h"
#include "app/ui/meter_access_factory.h"
#include "app/ui/ostrel_application.h"
#include "app/ui/program_options.h"
#include "app/ui/screenshots.h"
#include "app/ui/start_up.h"
#include "base/ui/message_box.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iostream>

int main(int argc, char** argv) {
    using namespace ostrel;
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
    std::unique_ptr<MeterAccess> access = MakeMeterAccess(options->simulate, &error);
    if (!access) {
        std::cerr << "ostrel: " << error << "\n";
        return 2;
    }

    OstrelApplication app(argc, argv);
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
