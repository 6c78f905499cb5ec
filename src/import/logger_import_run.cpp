#include "import/logger_import_run.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <utility>

namespace ostrel {
namespace {

// The memory of the last device closed on a thread, for the next one opened
// there: a download opens and closes the cable for every block.
struct SpareDevice {
    void* memory = nullptr;
    ~SpareDevice() { ::operator delete(memory); }
};
thread_local SpareDevice t_spareDevice;

} // namespace

// A device of the inner backend that an abort interrupts.
class AbortableBackend::Device final : public HidDevice {
  public:
    Device(AbortableBackend& owner, std::unique_ptr<HidDevice> inner)
        : m_owner(owner), m_inner(std::move(inner)) {}
    ~Device() override { m_owner.forget(this); }
    static void* operator new(std::size_t size) {
        if (void* memory = std::exchange(t_spareDevice.memory, nullptr))
            return memory;
        return ::operator new(size);
    }
    static void operator delete(void* memory) {
        if (!t_spareDevice.memory)
            t_spareDevice.memory = memory;
        else
            ::operator delete(memory);
    }
    std::uint32_t write(const std::uint8_t* data, std::size_t size, int timeoutMs) override {
        return m_inner->write(data, size, timeoutMs);
    }
    HidReadResult read(std::uint8_t* buffer, std::size_t size, int timeoutMs) override {
        return m_inner->read(buffer, size, timeoutMs);
    }
    void cancel() override { m_inner->cancel(); }
    void interrupt() override { m_inner->interrupt(); }
    std::string serialNumber() override { return m_inner->serialNumber(); }
    HidInterfaceInfo attributes() const override { return m_inner->attributes(); }

    bool held = false; // in the owner's m_held, not in its m_open

  private:
    AbortableBackend& m_owner;
    std::unique_ptr<HidDevice> m_inner;
};

AbortableBackend::~AbortableBackend() = default;

std::vector<HidInterfaceInfo> AbortableBackend::enumerate() {
    if (aborted())
        return {};
    return m_inner.enumerate();
}

std::unique_ptr<HidDevice> AbortableBackend::open(const HidInterfaceInfo& info,
                                                  HidOpenError* error) {
    std::unique_ptr<HidDevice> inner;
    if (!aborted())
        inner = m_inner.open(info, error);
    else if (error)
        *error = HidOpenError::Failed;
    if (!inner)
        return nullptr;
    auto device = std::make_unique<Device>(*this, std::move(inner));
    Device* none = nullptr;
    if (m_held.compare_exchange_strong(none, device.get())) {
        device->held = true;
        // An abort sets the flag before it looks at m_held: one of the two
        // sees the other, and the device is interrupted.
        if (m_aborted)
            device->interrupt();
        return device;
    }
    std::lock_guard lock(m_mutex);
    if (m_aborted)
        device->interrupt(); // the abort came while it was being opened
    m_open.push_back(device.get());
    return device;
}

void AbortableBackend::forget(Device* device) {
    if (device->held) {
        // An abort that found the device in m_held holds m_interrupting
        // until its interrupt() has returned.
        m_held.store(nullptr);
        while (m_interrupting.load() != 0)
            std::this_thread::yield();
        return;
    }
    std::lock_guard lock(m_mutex);
    m_open.erase(std::remove(m_open.begin(), m_open.end(), device), m_open.end());
}

void AbortableBackend::abort() {
    ++m_interrupting;
    {
        std::lock_guard lock(m_mutex);
        m_aborted = true;
        for (HidDevice* device : m_open)
            device->interrupt();
        m_wake.notify_all();
    }
    if (Device* device = m_held.load())
        device->interrupt();
    --m_interrupting;
}

PauseFunction AbortableBackend::pause() {
    if (!spendsRealTime())
        return [](int) {};
    return [this](int ms) {
        std::unique_lock lock(m_mutex);
        m_wake.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_aborted.load(); });
    };
}

LoggerImportRun::LoggerImportRun(HidBackend& backend) : m_backend(backend) {}

void LoggerImportRun::run(LoggerImportStage stage, const Callbacks& callbacks) {
    if (stage == LoggerImportStage::Check) {
        m_result.messageId = CheckLoggerMemory(m_backend);
        m_result.outcome = m_result.messageId == 0 ? LoggerImportResult::Outcome::Done
                                                   : LoggerImportResult::Outcome::Failed;
    } else {
        m_result = download(callbacks);
    }
    // An abort turns whatever the exchanges made of it into a cancellation.
    if (m_backend.aborted()) {
        m_result = LoggerImportResult{};
        m_result.outcome = LoggerImportResult::Outcome::Cancelled;
    }
    m_finished = true;
    if (callbacks.finished)
        callbacks.finished();
}

LoggerImportResult LoggerImportRun::download(const Callbacks& cb) {
    LoggerImportResult result;
    LoggerDownloadCallbacks dl;
    dl.started = [&cb, &result](std::size_t size) {
        result.imageSize = size;
        if (cb.started)
            cb.started(size);
    };
    dl.progress = [&cb](std::size_t position, std::uint32_t length) {
        if (cb.blockRead)
            cb.blockRead(position, length);
    };
    dl.cancelled = [this] { return m_backend.aborted(); };
    dl.pause = m_backend.pause();
    LoggerDownloadResult image = ReadLoggerMemory(m_backend, dl);
    result.length = image.length;
    result.blockExchanges = image.blockExchanges;
    if (image.outcome != LoggerDownloadOutcome::Done) {
        result.outcome = image.outcome == LoggerDownloadOutcome::Cancelled
                             ? LoggerImportResult::Outcome::Cancelled
                             : LoggerImportResult::Outcome::Failed;
        result.messageId = image.messageId;
        result.code = image.code;
        return result;
    }
    SessionDecodeCallbacks decode;
    decode.progress = cb.decodeProgress;
    decode.cancelled = [this] { return m_backend.aborted(); };
    // The sessions keep their readings in the image itself.
    result.decoded = DecodeLoggerImage(
        std::make_shared<const std::vector<std::uint8_t>>(std::move(image.image)), decode);
    result.outcome = result.decoded.cancelled ? LoggerImportResult::Outcome::Cancelled
                                              : LoggerImportResult::Outcome::Done;
    return result;
}

} // namespace ostrel
