#pragma once
// A scripted meter link for the window tests: a cable that is there or not,
// and an acquisition thread whose end the test decides.

#include "app/ui/meter_access.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace ostrel::test {

class FakeCable : public HidDevice {
  public:
    FakeCable(std::uint16_t release, std::string serial)
        : m_release(release), m_serial(std::move(serial)) {}
    std::uint32_t write(const std::uint8_t*, std::size_t, int) override { return kWaitCompleted; }
    HidReadResult read(std::uint8_t*, std::size_t, int) override {
        return {kWaitTimeout, 0, false};
    }
    void cancel() override {}
    std::string serialNumber() override { return m_serial; }
    HidInterfaceInfo attributes() const override {
        return {0x0820, 0x0001, m_release, "/dev/fake"};
    }

  private:
    std::uint16_t m_release;
    std::string m_serial;
};

// How the scripted acquisition thread behaves.
enum class FakeRunScript {
    UntilStopped,           // publishes nothing, ends when asked
    CableLostAfterStart,    // signals cableLostEvent and ends by itself
    EndsByItselfQuietly,    // ends by itself without telling anybody
    NoDataPending,          // reports "No data received." and waits for the reply or a stop;
                            // closed: the cable counts as lost and the thread ends
    IgnoresStopFor2Seconds, // blocked in the device: ends 2 s after the stop request
};

class FakeRun : public AcquisitionRun {
  public:
    FakeRun(AcquisitionState& state, AcquisitionNotices& notices, FakeRunScript script,
            std::atomic<int>& stopRequests, std::atomic<int>& finishedRuns)
        : m_state(state), m_notices(notices), m_script(script), m_stopRequests(stopRequests),
          m_finishedRuns(finishedRuns) {
        m_thread = std::thread([this] { execute(); });
    }
    ~FakeRun() override {
        if (m_thread.joinable())
            m_thread.join();
    }
    void requestStop() override {
        ++m_stopRequests;
        m_stop = true;
    }
    bool waitFinished(std::chrono::milliseconds timeout) override {
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (!m_finished) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        if (m_thread.joinable())
            m_thread.join();
        return true;
    }

  private:
    void execute() {
        switch (m_script) {
        case FakeRunScript::CableLostAfterStart:
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            m_state.setLinkAlive(false);
            m_state.cableLostEvent.set();
            break;
        case FakeRunScript::EndsByItselfQuietly:
            break;
        case FakeRunScript::NoDataPending: {
            auto closed = std::make_shared<std::atomic<bool>>(false);
            m_notices.showNoDataReceived([closed] { *closed = true; });
            while (!m_stop && !*closed)
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            if (*closed)
                m_state.cableLostEvent.set();
            break;
        }
        case FakeRunScript::IgnoresStopFor2Seconds:
            while (!m_stop)
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            std::this_thread::sleep_for(std::chrono::seconds(2));
            break;
        case FakeRunScript::UntilStopped:
            m_state.setLinkAlive(true);
            while (!m_stop)
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            break;
        }
        m_state.acquisitionEndedEvent.set();
        ++m_finishedRuns;
        m_finished = true;
    }

    AcquisitionState& m_state;
    AcquisitionNotices& m_notices;
    FakeRunScript m_script;
    std::atomic<int>& m_stopRequests;
    std::atomic<int>& m_finishedRuns;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_finished{false};
    std::thread m_thread;
};

class FakeMeterAccess : public MeterAccess {
  public:
    bool cablePresent = true;
    FakeRunScript script = FakeRunScript::UntilStopped;
    std::uint16_t release = 0x0102;
    // Four UTF-16 units whose little-endian bytes are 1 to 8, first to last.
    std::string serial = "\xC8\x81\xD0\x83\xD8\x85\xE0\xA0\x87";
    std::atomic<int> stopRequests{0};
    std::atomic<int> finishedRuns{0};
    int starts = 0;

    bool permissionDenied = false; // with cablePresent false: there, but not ours to open

    std::unique_ptr<HidDevice> openCable(bool* denied) override {
        if (denied)
            *denied = !cablePresent && permissionDenied;
        if (!cablePresent)
            return nullptr;
        return std::make_unique<FakeCable>(release, serial);
    }
    std::unique_ptr<AcquisitionRun> startAcquisition(AcquisitionState& state,
                                                     AcquisitionNotices& notices) override {
        ++starts;
        return std::make_unique<FakeRun>(state, notices, script, stopRequests, finishedRuns);
    }
};

} // namespace ostrel::test
