#pragma once
// A scripted adapter cable for the logger tests: answers at once, keeps a log
// of every command, and can stay silent or fail where a test asks it to.

#include "link/hid_backend.h"
#include "simulator/logger_responder.h"

#include <deque>
#include <memory>
#include <vector>

namespace ostrel::test {

struct FakeMeter {
    bool cablePresent = true;
    std::uint8_t statusByte = 0x52; // byte 22 of the display answer
    bool silentStatus = false;      // no answer to the frame request
    int statusReports = 3;          // reports of the frame answer that arrive
    int writeTimeoutAt = -1;        // the n-th write (from 0) times out
    LoggerMemoryResponder logger;

    // What happened.
    std::vector<std::pair<std::uint8_t, std::uint8_t>> commands;
    int opens = 0;
    int openDevices = 0; // devices not yet closed
};

class FakeDevice final : public HidDevice {
  public:
    explicit FakeDevice(FakeMeter& meter) : m_meter(meter) { ++m_meter.openDevices; }
    ~FakeDevice() override { --m_meter.openDevices; }

    std::uint32_t write(const std::uint8_t* data, std::size_t size, int) override {
        if (size != 4)
            return kWaitFailed;
        const int index = static_cast<int>(m_meter.commands.size());
        m_meter.commands.emplace_back(data[2], data[3]);
        if (index == m_meter.writeTimeoutAt)
            return kWaitTimeout;
        m_pending.clear();
        if (data[2] == 0x82 && data[3] == 0x66) {
            if (!m_meter.silentStatus) {
                m_pending.resize(3);
                m_pending[2][4] = m_meter.statusByte; // frame byte 22
                m_pending.resize(static_cast<std::size_t>(m_meter.statusReports));
            }
        } else if (LoggerMemoryResponder::IsLoggerCommand(data[2], data[3])) {
            for (auto& r : m_meter.logger.answer(data[3]))
                m_pending.push_back(r);
        }
        return kWaitCompleted;
    }

    HidReadResult read(std::uint8_t* buffer, std::size_t size, int) override {
        if (m_pending.empty())
            return {kWaitTimeout, 0, false};
        const InputReport r = m_pending.front();
        m_pending.pop_front();
        const std::size_t n = size < r.size() ? size : r.size();
        for (std::size_t i = 0; i < n; ++i)
            buffer[i] = r[i];
        return {kWaitCompleted, n, true};
    }

    void cancel() override {}
    std::string serialNumber() override { return "FAKE"; }
    HidInterfaceInfo attributes() const override { return {0x0820, 0x0001, 0x0100, "fake"}; }

  private:
    FakeMeter& m_meter;
    std::deque<InputReport> m_pending;
};

class FakeBackend final : public HidBackend {
  public:
    explicit FakeBackend(FakeMeter& meter) : m_meter(meter) {}
    std::vector<HidInterfaceInfo> enumerate() override {
        if (!m_meter.cablePresent)
            return {};
        return {{0x0820, 0x0001, 0x0100, "fake"}};
    }
    std::unique_ptr<HidDevice> open(const HidInterfaceInfo&, HidOpenError* error) override {
        if (!m_meter.cablePresent) {
            if (error)
                *error = HidOpenError::NoSuchInterface;
            return nullptr;
        }
        ++m_meter.opens;
        return std::make_unique<FakeDevice>(m_meter);
    }

  private:
    FakeMeter& m_meter;
};

inline void NoPause(int) {}

} // namespace ostrel::test
