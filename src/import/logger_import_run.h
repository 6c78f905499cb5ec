#pragma once
// The import from the meter's logger memory, run on whatever thread calls it
// (in the window, a LongWork's worker, so that the window stays responsive
// for the whole download: an hour for a full memory on the real cable). Two
// stages, each one run: the check (is there a cable, and a meter whose
// logger memory can be read?), and, once the user has agreed, the download
// of the image and its decoding into sessions. The run reports through
// callbacks on its thread. Abort, from any thread, ends a run promptly: a
// pause ends at once, a read waiting for the cable returns, and no further
// exchange starts.

#include "import/logger_download.h"
#include "import/session_decoder.h"
#include "link/hid_backend.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace ostrel {

// A backend whose devices and pauses can be given up from another thread.
class AbortableBackend final : public HidBackend {
  public:
    explicit AbortableBackend(HidBackend& inner) : m_inner(inner) {}
    ~AbortableBackend() override;

    std::vector<HidInterfaceInfo> enumerate() override;
    std::unique_ptr<HidDevice> open(const HidInterfaceInfo& info, HidOpenError* error) override;
    bool spendsRealTime() const override { return m_inner.spendsRealTime(); }

    // Any thread: interrupt the open devices; later opens fail and later
    // pauses return at once.
    void abort();
    bool aborted() const { return m_aborted.load(); }

    // The protocol's pauses: real ones that end at an abort, or none where
    // the backend spends no real time.
    PauseFunction pause();

  private:
    class Device;
    friend class Device;
    void forget(Device* device);

    HidBackend& m_inner;
    std::atomic<bool> m_aborted{false};
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::vector<HidDevice*> m_open; // guarded by m_mutex
    // The download opens and closes the cable for every block: one open
    // device is held here without the lock (any further one is in m_open).
    // Its closing waits while an abort interrupts it.
    std::atomic<Device*> m_held{nullptr};
    std::atomic<int> m_interrupting{0};
};

enum class LoggerImportStage { Check, Download };

struct LoggerImportResult {
    enum class Outcome { Done, Failed, Cancelled } outcome = Outcome::Failed;
    // Check: 0 (the logger memory can be read), 9015 or 9017. Download, when
    // failed: 9006, 9015 or 9016.
    int messageId = 0;
    int code = 0; // the failed exchange's result code
    std::uint32_t length = 0;
    std::size_t imageSize = 0;
    std::size_t blockExchanges = 0;
    SessionDecodeResult decoded; // Done: the sessions
};

class LoggerImportRun {
  public:
    // Called on the run's thread.
    struct Callbacks {
        // Download: the header arrived; the image has imageSize bytes.
        std::function<void(std::size_t imageSize)> started;
        // Download: after each block, the position p (bytes in) and L.
        std::function<void(std::size_t position, std::uint32_t length)> blockRead;
        // Download: decoding, as SessionDecodeCallbacks::progress reports it.
        std::function<void(std::size_t session, std::size_t sessions, std::size_t done,
                           std::size_t total)>
            decodeProgress;
        // The run is over; takeResult() may be called now.
        std::function<void()> finished;
    };

    explicit LoggerImportRun(HidBackend& backend);
    LoggerImportRun(const LoggerImportRun&) = delete;
    LoggerImportRun& operator=(const LoggerImportRun&) = delete;

    // Run the stage on the calling thread, to its end. A run aborted before
    // it starts ends at once as Cancelled.
    void run(LoggerImportStage stage, const Callbacks& callbacks);

    // Any thread: end the run as soon as it can; it then ends as Cancelled.
    void abort() { m_backend.abort(); }
    bool finished() const { return m_finished.load(); }
    // After finished: the result, moved out.
    LoggerImportResult takeResult() { return std::move(m_result); }

  private:
    LoggerImportResult download(const Callbacks& callbacks);

    AbortableBackend m_backend;
    LoggerImportResult m_result;
    std::atomic<bool> m_finished{false};
};

} // namespace ostrel
