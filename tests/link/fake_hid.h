#pragma once
// A scriptable HID backend for the link tests: interfaces with chosen ids and
// open errors, and cables whose answers are scripted poll by poll. Every wait
// ends at once (a time-out is returned immediately) unless a cable is told to
// hold its reads, so that tests never wait for real time-outs.

#include "link/hid_backend.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace ostrel::test {

struct FakeRead {
    std::uint32_t wait = kWaitCompleted;
    std::vector<std::uint8_t> data; // what the read transfers
    bool ok = true;
};

// What a cable does after one display request.
struct FakeAnswer {
    enum Kind { Full, Silent, FirstReportOnly, Unplug, Hold } kind = Full;
    std::vector<std::uint8_t> frame; // 27 bytes for Full and FirstReportOnly
};

class FakeCable {
  public:
    // Answers for the next display requests, in order; when they run out the
    // cable answers like `whenScriptEnds`.
    void script(std::vector<FakeAnswer> answers) {
        std::lock_guard lock(m);
        for (auto& a : answers)
            pending.push_back(std::move(a));
    }
    void queueRead(FakeRead r) {
        std::lock_guard lock(m);
        reads.push_back(std::move(r));
        cv.notify_all();
    }
    bool isPresent() {
        std::lock_guard lock(m);
        return present;
    }
    void setPresent(bool value) {
        std::lock_guard lock(m);
        present = value;
        cv.notify_all();
    }
    int requests() {
        std::lock_guard lock(m);
        return requestCount;
    }
    int heldReads() {
        std::lock_guard lock(m);
        return holding;
    }
    std::vector<std::vector<std::uint8_t>> writes() {
        std::lock_guard lock(m);
        return written;
    }

    // Called by the device.
    void onWrite(const std::uint8_t* data, std::size_t size) {
        std::lock_guard lock(m);
        written.emplace_back(data, data + size);
        if (size != 4 || data[2] != 0x82 || data[3] != 0x66)
            return;
        ++requestCount;
        FakeAnswer a = whenScriptEnds;
        if (!pending.empty()) {
            a = std::move(pending.front());
            pending.pop_front();
        }
        switch (a.kind) {
        case FakeAnswer::Full:
            for (int r = 0; r < 3; ++r)
                reads.push_back(
                    {kWaitCompleted, {a.frame.begin() + r * 9, a.frame.begin() + r * 9 + 9}});
            break;
        case FakeAnswer::FirstReportOnly:
            reads.push_back({kWaitCompleted, {a.frame.begin(), a.frame.begin() + 9}});
            break;
        case FakeAnswer::Unplug:
            present = false;
            break;
        case FakeAnswer::Hold:
            hold = true;
            break;
        case FakeAnswer::Silent:
            break;
        }
        cv.notify_all();
    }

    // interrupted belongs to the device and is guarded by m.
    HidReadResult onRead(std::uint8_t* buffer, std::size_t size, const bool& interrupted) {
        std::unique_lock lock(m);
        if (hold && reads.empty()) {
            ++holding;
            cv.wait(lock, [&] { return interrupted || !reads.empty() || !hold; });
            --holding;
        }
        if (interrupted)
            return {kWaitAbandoned, 0, false};
        if (!present)
            return {kWaitFailed, 0, false};
        if (reads.empty())
            return {kWaitTimeout, 0, false};
        FakeRead r = std::move(reads.front());
        reads.pop_front();
        const std::size_t n = std::min(size, r.data.size());
        std::copy_n(r.data.begin(), n, buffer);
        return {r.wait, r.ok ? n : 0, r.ok};
    }

    void release() {
        std::lock_guard lock(m);
        hold = false;
        cv.notify_all();
    }

    std::mutex m;
    std::condition_variable cv;
    FakeAnswer whenScriptEnds{FakeAnswer::Silent, {}};
    bool hold = false;
    bool deaf = false; // devices on this cable ignore interrupt()

  private:
    std::deque<FakeAnswer> pending;
    std::deque<FakeRead> reads;
    std::vector<std::vector<std::uint8_t>> written;
    bool present = true;
    int requestCount = 0;
    int holding = 0;
};

class FakeDevice final : public HidDevice {
  public:
    FakeDevice(std::shared_ptr<FakeCable> cable, HidInterfaceInfo info)
        : m_cable(std::move(cable)), m_info(std::move(info)) {}
    std::uint32_t write(const std::uint8_t* data, std::size_t size, int) override {
        if (!m_cable)
            return kWaitCompleted;
        if (!m_cable->isPresent())
            return kWaitFailed;
        m_cable->onWrite(data, size);
        return kWaitCompleted;
    }
    HidReadResult read(std::uint8_t* buffer, std::size_t size, int) override {
        if (!m_cable)
            return {kWaitTimeout, 0, false};
        return m_cable->onRead(buffer, size, m_interrupted);
    }
    void cancel() override { ++cancels; }
    void interrupt() override {
        if (!m_cable)
            return;
        std::lock_guard lock(m_cable->m);
        if (m_cable->deaf)
            return;
        m_interrupted = true;
        m_cable->cv.notify_all();
    }
    std::string serialNumber() override { return serial; }
    HidInterfaceInfo attributes() const override { return m_info; }

    int cancels = 0;
    std::string serial;

  private:
    std::shared_ptr<FakeCable> m_cable;
    HidInterfaceInfo m_info;
    bool m_interrupted = false; // guarded by the cable's mutex
};

class FakeBackend final : public HidBackend {
  public:
    struct Entry {
        HidInterfaceInfo info;
        std::shared_ptr<FakeCable> cable; // null: some other HID device
        HidOpenError openError = HidOpenError::None;
        HidInterfaceInfo reported; // attributes the device reports (default: info)
        bool hasReported = false;
    };

    std::shared_ptr<FakeCable> addCable(std::uint16_t vendor = 0x0820, std::uint16_t product = 1,
                                        HidOpenError openError = HidOpenError::None) {
        auto cable = std::make_shared<FakeCable>();
        std::lock_guard lock(m_mutex);
        Entry e;
        e.info = {vendor, product, 0x0102, "/dev/hidraw" + std::to_string(m_entries.size())};
        e.cable = cable;
        e.openError = openError;
        m_entries.push_back(e);
        return cable;
    }
    void addOther(std::uint16_t vendor, std::uint16_t product) {
        std::lock_guard lock(m_mutex);
        Entry e;
        e.info = {vendor, product, 1, "/dev/hidraw" + std::to_string(m_entries.size())};
        m_entries.push_back(e);
    }
    // The device at index reports other ids than its enumeration entry.
    void setReported(std::size_t index, HidInterfaceInfo reported) {
        std::lock_guard lock(m_mutex);
        m_entries.at(index).reported = reported;
        m_entries.at(index).hasReported = true;
    }

    std::vector<HidInterfaceInfo> enumerate() override {
        std::lock_guard lock(m_mutex);
        std::vector<HidInterfaceInfo> list;
        for (auto& e : m_entries)
            if (!e.cable || e.cable->isPresent())
                list.push_back(e.info);
        return list;
    }
    std::unique_ptr<HidDevice> open(const HidInterfaceInfo& info, HidOpenError* error) override {
        std::lock_guard lock(m_mutex);
        for (auto& e : m_entries) {
            if (e.info.path != info.path)
                continue;
            m_opened.push_back(info.path);
            if (e.openError != HidOpenError::None || (e.cable && !e.cable->isPresent())) {
                if (error)
                    *error = e.cable && !e.cable->isPresent() ? HidOpenError::NoSuchInterface
                                                              : e.openError;
                return nullptr;
            }
            if (error)
                *error = HidOpenError::None;
            return std::make_unique<FakeDevice>(e.cable, e.hasReported ? e.reported : e.info);
        }
        if (error)
            *error = HidOpenError::NoSuchInterface;
        return nullptr;
    }

    std::vector<std::string> openedPaths() {
        std::lock_guard lock(m_mutex);
        return m_opened;
    }

  private:
    std::mutex m_mutex;
    std::vector<Entry> m_entries;
    std::vector<std::string> m_opened;
};

} // namespace ostrel::test
