// LongWork and WorkProgress: long work on a worker thread, its progress and
// its end handed to the window thread as queued calls.
#include "base/ui/long_work.h"

#include <QCoreApplication>
#include <QPointer>

#include <chrono>
#include <exception>

namespace ostrel {
namespace {

// Progress reaches the window at most this often (steady clock ticks): the
// window thread neither falls behind nor spends its time on reports nobody
// could read.
constexpr std::int64_t kNoticePace =
    std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::milliseconds(20))
        .count();

} // namespace

struct LongWork::Run {
    WorkProgress progress;
    std::thread thread;
    std::function<void()> done;
    std::exception_ptr failure; // what the work threw, handed on at its end
};

void WorkProgress::report(std::int64_t done, std::int64_t total, bool now) {
    m_done.store(done, std::memory_order_relaxed);
    m_total.store(total, std::memory_order_relaxed);
    tell(now);
}

void WorkProgress::tell(bool now) {
    const std::int64_t at = std::chrono::steady_clock::now().time_since_epoch().count();
    if (!now && at - m_lastNotice.load(std::memory_order_relaxed) < kNoticePace)
        return;
    // One notice waits at a time: it shows the newest values when it runs.
    if (m_noticeWaits.exchange(true))
        return;
    m_lastNotice.store(at, std::memory_order_relaxed);
    m_notify();
}

LongWork::LongWork(QObject* parent) : QObject(parent) {}

LongWork::~LongWork() {
    if (!m_run)
        return;
    cancel();
    m_run->thread.join();
}

bool LongWork::start(Work work, std::function<void()> done) {
    if (m_run)
        return false;
    auto run = std::make_shared<Run>();
    run->done = std::move(done);
    const std::weak_ptr<Run> weak = run;
    // The queued calls are dropped with this object; a run that is over (or
    // replaced) is recognised by its pointer and heard no more.
    run->progress.m_notify = [this, weak] {
        QMetaObject::invokeMethod(
            this,
            [this, weak] {
                if (const auto r = weak.lock())
                    noticeProgress(r);
            },
            Qt::QueuedConnection);
    };
    Run* raw = run.get(); // lives until the thread has been joined
    m_run = run;
    run->thread = std::thread([this, raw, weak, work = std::move(work)] {
        try {
            work(raw->progress);
        } catch (...) {
            raw->failure = std::current_exception();
        }
        QMetaObject::invokeMethod(
            this,
            [this, weak] {
                if (const auto r = weak.lock())
                    end(r);
            },
            Qt::QueuedConnection);
    });
    return true;
}

bool LongWork::runLettingEvents(Work work) {
    bool ended = false;
    if (!start(std::move(work), [&ended] { ended = true; }))
        return false;
    const std::shared_ptr<Run> run = m_run;
    const QPointer<LongWork> self(this);
    // The window's events run while the worker works: paints, the progress
    // notices, the Abort button. The busy flag keeps other commands away.
    while (self && !ended)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return ended && !run->progress.cancelled();
}

void LongWork::cancel() {
    if (m_run)
        m_run->progress.m_cancelled.store(true, std::memory_order_relaxed);
}

const WorkProgress* LongWork::progress() const {
    return m_run ? &m_run->progress : nullptr;
}

void LongWork::noticeProgress(const std::shared_ptr<Run>& run) {
    run->progress.m_noticeWaits.store(false);
    if (run == m_run)
        emit progressed();
}

void LongWork::end(const std::shared_ptr<Run>& run) {
    if (run != m_run)
        return;
    run->thread.join();
    m_run.reset();
    if (run->done)
        run->done();
    emit finished();
    if (run->failure)
        std::rethrow_exception(run->failure);
}

} // namespace ostrel
