// The window tests run under a QApplication on the offscreen platform; each
// test file drives the windows' handlers directly.
#include "app/ui/ostrel_application.h"

#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::testing::InitGoogleTest(&argc, argv);
    ostrel::OstrelApplication app(argc, argv);
    // The user's settings of the tests stay out of the real configuration folder.
    QTemporaryDir settings;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
    return RUN_ALL_TESTS();
}
