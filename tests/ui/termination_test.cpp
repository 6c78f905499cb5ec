// The termination signals and the close they cause: handlers that serve once
// and hand over to the window thread, a close that asks nothing and ends every
// event loop, and the options that --help lists.
#include "fake_meter.h"
#include "ui_wait.h"

#include "app/ui/about_dialog.h"
#include "app/ui/display_windows.h"
#include "app/ui/main_form.h"
#include "app/ui/program_options.h"
#include "app/ui/start_up.h"
#include "app/ui/termination_signals.h"
#include "base/busy_flag.h"
#include "base/ui/app_windows.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>
#include <map>
#include <pthread.h>
#include <vector>

namespace ostrel {
namespace {

using testing::ProcessUntil;

bool HasDefaultAction(int signal) {
    struct sigaction current = {};
    sigaction(signal, nullptr, &current);
    return current.sa_handler == SIG_DFL;
}

TEST(TerminationSignals, EachSignalReachesTheWindowThreadOnceThenEndsTheProgramAgain) {
    std::vector<int> received;
    {
        TerminationSignals handlers([&](int s) { received.push_back(s); });
        for (int s : {SIGTERM, SIGINT, SIGHUP}) {
            EXPECT_FALSE(HasDefaultAction(s));
            raise(s);
        }
        ASSERT_TRUE(ProcessUntil([&] { return received.size() == 3; }));
        EXPECT_EQ(received, (std::vector<int>{SIGTERM, SIGINT, SIGHUP}));
        // Served once: a second signal of the kind would end the program.
        for (int s : {SIGTERM, SIGINT, SIGHUP})
            EXPECT_TRUE(HasDefaultAction(s));
    }
}

TEST(TerminationSignals, ASignalSentDuringStartUpWaitsForItsHandler) {
    TerminationSignals::holdBack();
    raise(SIGTERM); // held back: without it the default action would end the tests
    sigset_t pending;
    sigpending(&pending);
    EXPECT_TRUE(sigismember(&pending, SIGTERM));

    std::vector<int> received;
    TerminationSignals handlers([&](int s) { received.push_back(s); });
    ASSERT_TRUE(ProcessUntil([&] { return !received.empty(); }));
    EXPECT_EQ(received, std::vector<int>{SIGTERM});
    sigset_t blocked;
    pthread_sigmask(SIG_BLOCK, nullptr, &blocked);
    EXPECT_FALSE(sigismember(&blocked, SIGTERM));
}

TEST(TerminationSignals, TheDefaultActionsReturnWithTheObject) {
    {
        TerminationSignals handlers([](int) {});
    }
    for (int s : {SIGTERM, SIGINT, SIGHUP})
        EXPECT_TRUE(HasDefaultAction(s));
}

class CloseWithoutQuestionsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        session = std::make_unique<ShellSession>(access, dir.path());
        session->showWindows();
    }
    void TearDown() override { session.reset(); }
    TFormMain& main() { return session->main(); }
    // Runs the application's loop until it ends; the close comes from a timer.
    int runUntilClosed(int afterMs = 0) {
        QTimer::singleShot(afterMs, &main(), [this] { main().closeWithoutQuestions(); });
        return QCoreApplication::exec();
    }
    QString configurationText() {
        QFile file(dir.filePath("QVRDL.ini"));
        return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString();
    }

    QTemporaryDir dir;
    test::FakeMeterAccess access;
    std::unique_ptr<ShellSession> session;
};

TEST_F(CloseWithoutQuestionsTest, EndsTheLoopsOfOpenDialogsAndWritesTheConfiguration) {
    session->windows().comparator->setLimits(1.5, 0.25);
    main().busyFlag().set(true); // a file load under way is told to stop
    bool aboutReturned = false;
    QTimer::singleShot(0, &main(), [&] {
        main().sbtnAboutClick(); // a modal dialog with a loop of its own
        aboutReturned = true;
    });
    EXPECT_EQ(runUntilClosed(100), 0);
    EXPECT_TRUE(aboutReturned);
    EXPECT_FALSE(main().busyFlag().isSet());
    EXPECT_EQ(configurationText(), "iPort=2\r\nfHiLimit=1.5\r\nfLowLimit=0.25\r\n");

    // A close after it asks nothing and writes nothing a second time.
    QFile::remove(dir.filePath("QVRDL.ini"));
    EXPECT_TRUE(main().close());
    EXPECT_FALSE(QFile::exists(dir.filePath("QVRDL.ini")));
}

TEST_F(CloseWithoutQuestionsTest, AConfigurationThatCannotBeWrittenIsReportedOnStandardError) {
    ASSERT_TRUE(QDir(dir.path()).mkdir("QVRDL.ini")); // a folder where the file belongs
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(runUntilClosed(), 0);
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Error[E9110]: The configuration file could not be written."),
              std::string::npos)
        << err;
    EXPECT_NE(err.find(dir.filePath("QVRDL.ini").toStdString()), std::string::npos) << err;
    // The failed save leaves no file of its own behind.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList());
}

TEST(ProgramOptions, EveryOptionTheHelpNamesIsAccepted) {
    // Sample values for the help's placeholders.
    const std::map<QString, QString> samples = {
        {"DIR", "out"}, {"MS", "250"}, {"NAME", "fusion"}, {"DISPLAY", ":0"}};
    const QString help = QString::fromStdString(ProgramHelpText());
    int named = 0;
    for (const QString& line : help.split('\n')) {
        if (!line.startsWith("  -"))
            continue;
        for (QString option : line.trimmed().split(QRegularExpression(",\\s+|\\s{2,}"))) {
            if (!option.startsWith('-'))
                continue;                                   // the description beside a short option
            option.remove(QRegularExpression("\\[.*\\]$")); // an optional value left out
            std::vector<std::string> args = {"ostrel"};
            for (QString word : option.split(' ')) {
                for (const auto& [placeholder, value] : samples)
                    word.replace(QRegularExpression("\\b" + placeholder + "\\b"), value);
                args.push_back(word.toStdString());
            }
            std::string error;
            EXPECT_TRUE(ParseProgramOptions(args, &error)) << option.toStdString() << ": " << error;
            ++named;
        }
    }
    EXPECT_GE(named, 10);
}

TEST(ProgramOptions, ValuesThatAreNoValuesAreRefusedByName) {
    std::string error;
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"ostrel", "--screenshot-delay=12abc"},
          {"ostrel", "--screenshot-delay=-5"},
          {"ostrel", "--screenshot-delay="}}) {
        EXPECT_FALSE(ParseProgramOptions(args, &error)) << args[1];
        EXPECT_NE(error.find("--screenshot-delay"), std::string::npos) << error;
    }
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"ostrel", "--screenshots"}, {"ostrel", "--screenshots="}}) {
        EXPECT_FALSE(ParseProgramOptions(args, &error)) << args[1];
        EXPECT_NE(error.find("--screenshots needs a folder"), std::string::npos) << error;
    }
    auto o = ParseProgramOptions({"ostrel", "--screenshot-delay=0", "--version"}, &error);
    ASSERT_TRUE(o);
    EXPECT_EQ(o->screenshotDelayMs, 0);
    EXPECT_TRUE(o->version);
}

} // namespace
} // namespace ostrel
