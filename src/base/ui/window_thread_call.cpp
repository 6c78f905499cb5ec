#include "base/ui/window_thread_call.h"

#include <QMetaObject>
#include <QThread>

namespace ostrel {

WindowThreadCall::WindowThreadCall(QObject* parent) : QObject(parent) {}

WindowThreadCall::~WindowThreadCall() {
    shutdown();
}

bool WindowThreadCall::call(std::function<void()> work) {
    if (QThread::currentThread() == thread()) {
        if (isShutDown())
            return false;
        work();
        return true;
    }
    auto job = std::make_shared<Job>();
    job->work = std::move(work);
    {
        std::lock_guard lock(m_mutex);
        if (m_shutdown)
            return false;
        m_jobs.push_back(job);
    }
    QMetaObject::invokeMethod(this, &WindowThreadCall::runPending, Qt::QueuedConnection);
    std::unique_lock lock(m_mutex);
    // A job the window thread has begun is waited for even at shutdown: its
    // work may use the caller's data.
    m_cv.wait(lock, [&] { return job->done || (m_shutdown && !job->started); });
    return job->done;
}

void WindowThreadCall::runPending() {
    for (;;) {
        std::shared_ptr<Job> job;
        {
            std::lock_guard lock(m_mutex);
            if (m_jobs.empty() || m_shutdown)
                return;
            job = m_jobs.front();
            m_jobs.pop_front();
            job->started = true;
        }
        job->work();
        {
            std::lock_guard lock(m_mutex);
            job->done = true;
        }
        m_cv.notify_all();
    }
}

bool WindowThreadCall::hasPending() const {
    std::lock_guard lock(m_mutex);
    return !m_jobs.empty();
}

void WindowThreadCall::shutdown() {
    {
        std::lock_guard lock(m_mutex);
        m_shutdown = true;
        m_jobs.clear();
    }
    m_cv.notify_all();
}

bool WindowThreadCall::isShutDown() const {
    std::lock_guard lock(m_mutex);
    return m_shutdown;
}

} // namespace ostrel
