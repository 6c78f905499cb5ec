// TFormMain's end: the close query, the close of a termination signal, the
// threads' shutdown, and the configuration read at start and written at exit.
#include "app/ui/main_form.h"

#include "app/ui/display_windows.h"
#include "app/ui/wait_offline_thread.h"
#include "base/string_table.h"
#include "base/ui/app_windows.h"
#include "base/ui/window_thread_hand_over.h"
#include "link/cable_return_watch.h"
#include "recorder/ui/graphical_form.h"

#include <QCloseEvent>
#include <QCoreApplication>

#include <iostream>
#include <vector>

namespace ostrel {
namespace {

constexpr int kConfigurationNotWritten = 9110;
constexpr int kConfigurationNotRegular = 8030;
constexpr auto kShutdownJoinTime = std::chrono::milliseconds(300);

// What a thread left running still uses is kept, never released: the list is
// reachable until the process ends and is never destroyed.
template <class T> void KeepForTheRestOfTheProcess(std::unique_ptr<T> object) {
    static auto* kept = new std::vector<std::shared_ptr<void>>;
    kept->push_back(std::shared_ptr<void>(std::move(object)));
}

} // namespace

TFormMain::~TFormMain() {
    shutdown();
}

void TFormMain::closeEvent(QCloseEvent* event) {
    if (!m_closingWithoutQuestions && m_windows && m_windows->graphical &&
        !m_windows->graphical->mayClose()) {
        event->ignore();
        return;
    }
    writeConfigurationAtExit();
    event->accept();
    QCoreApplication::quit();
}

void TFormMain::closeWithoutQuestions() {
    if (m_closingWithoutQuestions)
        return;
    m_closingWithoutQuestions = true;
    if (m_windows && m_windows->graphical)
        m_windows->graphical->keepRecordingForRecovery();
    // A file load or an import running on this thread stops at its next look
    // at the flag, as by its Abort button.
    m_busy.set(false);
    writeConfigurationAtExit();
    // Ends the nested loops of open dialogs and message boxes too; loops
    // started after this return at once.
    QCoreApplication::exit(0);
}

void TFormMain::shutdown() {
    if (m_shutDown || !m_state)
        return;
    m_shutDown = true;

    // Ask every thread to end, and release those waiting for this thread.
    m_handOver->cancel();
    m_cableWatch.reset();
    if (m_acquisition)
        m_acquisition->requestStop();
    m_offLine->terminate();
    if (m_windows) {
        if (m_windows->digitalMeter)
            m_windows->digitalMeter->stopUpdateThread();
        if (m_windows->analogMeter)
            m_windows->analogMeter->stopUpdateThread();
        if (m_windows->comparator)
            m_windows->comparator->stopUpdateThread();
    }

    // Give the acquisition thread a moment to finish its poll; one blocked in
    // the device keeps the state (and itself) alive until the process ends,
    // so no thread ever touches a released event or lock.
    if (m_acquisition && !m_acquisition->waitFinished(kShutdownJoinTime)) {
        m_leftThreadRunning = true;
        m_state->cableLostEvent.shutdown();
        m_offLine->join();
        KeepForTheRestOfTheProcess(std::move(m_acquisition));
        KeepForTheRestOfTheProcess(std::move(m_notices));
        KeepForTheRestOfTheProcess(std::move(m_handOver));
        KeepForTheRestOfTheProcess(std::move(m_state));
        return;
    }
    m_acquisition.reset();
    m_state->shutdownEvents();
    m_offLine->join();
    m_offLine.reset();
    m_state.reset();
}

// --- configuration ---------------------------------------------------------

void TFormMain::readConfiguration() {
    const std::string path = ConfigurationPath(m_startupDirectory.toStdString());
    std::string notRegular;
    m_config = ReadConfiguration(path, &notRegular);
    if (!notRegular.empty())
        std::cerr << "ostrel: "
                  << NumberedLine(kWarningCaption, kConfigurationNotRegular, {path, notRegular})
                  << std::endl;
}

void TFormMain::writeConfiguration() {
    Configuration out = m_config;
    if (m_windows && m_windows->comparator) {
        out.fHiLimit = m_windows->comparator->fHiLimit();
        out.fLowLimit = m_windows->comparator->fLowLimit();
    }
    const std::string path = ConfigurationPath(m_startupDirectory.toStdString());
    std::string why;
    if (!WriteConfiguration(path, out, &why))
        std::cerr << "ostrel: " << NumberedLine(kErrorCaption, kConfigurationNotWritten) << " ("
                  << path << ": " << why << ")" << std::endl;
}

void TFormMain::writeConfigurationAtExit() {
    // Once: a close without questions may interrupt the close query of a
    // close already under way, which then goes on to its end.
    if (m_configurationWritten)
        return;
    m_configurationWritten = true;
    writeConfiguration();
}

} // namespace ostrel
