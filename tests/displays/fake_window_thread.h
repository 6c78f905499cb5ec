#pragma once
// A stand-in for the window thread: runs posted routines in order on its own
// thread, or holds them (paused) to play a window thread that is busy.

#include "base/hand_over.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace ostrel::testing {

class FakeWindowThread {
  public:
    explicit FakeWindowThread(bool paused = false) : m_paused(paused) {
        m_thread = std::thread([this] { loop(); });
    }
    ~FakeWindowThread() {
        {
            std::lock_guard lock(m_mutex);
            m_quit = true;
        }
        m_cv.notify_all();
        m_thread.join();
    }

    HandOver::Poster poster() {
        return [this](HandOver::Routine routine) {
            {
                std::lock_guard lock(m_mutex);
                m_queue.push_back(std::move(routine));
                ++m_posted;
            }
            m_cv.notify_all();
        };
    }

    void resume() {
        {
            std::lock_guard lock(m_mutex);
            m_paused = false;
        }
        m_cv.notify_all();
    }

    int posted() {
        std::lock_guard lock(m_mutex);
        return m_posted;
    }

    // Wait until n routines have been posted (true) or the time is over.
    bool waitPosted(int n) {
        std::unique_lock lock(m_mutex);
        return m_cv.wait_for(lock, std::chrono::seconds(5), [&] { return m_posted >= n; });
    }

  private:
    void loop() {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_cv.wait(lock, [this] { return m_quit || (!m_paused && !m_queue.empty()); });
            if (m_quit)
                return; // held routines are dropped, as by a closing window
            auto routine = std::move(m_queue.front());
            m_queue.pop_front();
            lock.unlock();
            routine();
            lock.lock();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::deque<HandOver::Routine> m_queue;
    bool m_paused;
    bool m_quit = false;
    int m_posted = 0;
    std::thread m_thread;
};

} // namespace ostrel::testing
