// Long work on a worker thread: its progress and end reach the window
// thread, cancel ends it, and a runner that goes away takes its work along.
#include "base/ui/long_work.h"

#include "base/ui/message_box.h"
#include "ui_wait.h"

#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

namespace ostrel {
namespace {

using testing::ProcessUntil;

// Work that counts to total, one step per call of step, until cancelled.
LongWork::Work Counting(std::int64_t total, std::atomic<int>* stepsTaken,
                        std::atomic<bool>* release = nullptr) {
    return [=](WorkProgress& progress) {
        for (std::int64_t i = 1; i <= total && !progress.cancelled(); ++i) {
            while (release && !release->load() && !progress.cancelled())
                QThread::usleep(100);
            if (progress.cancelled())
                return;
            ++*stepsTaken;
            progress.report(i, total, i == total);
        }
    };
}

TEST(LongWorkThread, ProgressAndEndArriveOnTheWindowThreadInOrder) {
    LongWork work;
    std::atomic<int> steps{0};
    std::vector<std::int64_t> seen;
    bool progressAfterEnd = false, ended = false, doneRanFirst = false;
    QObject::connect(&work, &LongWork::progressed, [&] {
        EXPECT_EQ(QThread::currentThread(), work.thread());
        progressAfterEnd = progressAfterEnd || ended;
        seen.push_back(work.progress()->done());
    });
    QObject::connect(&work, &LongWork::finished, [&] { doneRanFirst = ended; });
    ASSERT_TRUE(work.start(Counting(100000, &steps), [&] {
        EXPECT_EQ(QThread::currentThread(), work.thread());
        EXPECT_FALSE(work.running());
        ended = true;
    }));
    EXPECT_TRUE(work.running());
    EXPECT_FALSE(work.start([](WorkProgress&) {})); // one work at a time
    ASSERT_TRUE(ProcessUntil([&] { return ended; }));
    EXPECT_TRUE(doneRanFirst);
    EXPECT_FALSE(progressAfterEnd);
    EXPECT_EQ(steps, 100000);
    // Notices are paced: far fewer than steps, never going backwards, and
    // the one told at once carries the last step.
    ASSERT_FALSE(seen.empty());
    EXPECT_LT(seen.size(), 1000u);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_EQ(seen.back(), 100000);
    // The runner can be used again.
    ASSERT_TRUE(work.runLettingEvents(Counting(3, &steps)));
    EXPECT_EQ(steps, 100003);
}

TEST(LongWorkThread, CancelEndsTheWorkAndTheWaitSaysSo) {
    LongWork work;
    std::atomic<int> steps{0};
    std::atomic<bool> release{false};
    // The window's events run while the caller waits: a timer cancels.
    QTimer::singleShot(0, &work, [&] {
        EXPECT_TRUE(work.running());
        work.cancel();
    });
    EXPECT_FALSE(work.runLettingEvents(Counting(10, &steps, &release)));
    EXPECT_FALSE(work.running());
    EXPECT_EQ(steps, 0);

    // Asked to start while another waits for its end: refused, nothing lost.
    bool innerStarted = true;
    QTimer::singleShot(0, &work, [&] {
        innerStarted = work.start([](WorkProgress&) {});
        release = true;
    });
    EXPECT_TRUE(work.runLettingEvents(Counting(10, &steps, &release)));
    EXPECT_FALSE(innerStarted);
    EXPECT_EQ(steps, 10);
}

TEST(LongWorkThread, ARunnerThatGoesAwayCancelsAndWaitsForItsWork) {
    std::atomic<int> steps{0};
    std::atomic<bool> release{false}, workEnded{false};
    bool doneRan = false;
    {
        LongWork work;
        ASSERT_TRUE(work.start(
            [&](WorkProgress& progress) {
                Counting(10, &steps, &release)(progress);
                workEnded = true;
            },
            [&] { doneRan = true; }));
    }
    EXPECT_TRUE(workEnded);
    QCoreApplication::processEvents(); // a queued end finds no runner
    EXPECT_FALSE(doneRan);

    // A wait whose runner is deleted by an event returns instead of hanging.
    auto* owned = new LongWork;
    QTimer::singleShot(0, owned, [owned] { delete owned; });
    EXPECT_FALSE(owned->runLettingEvents(Counting(10, &steps, &release)));
}

TEST(LongWorkThread, WhatTheWorkThrowsIsShownAfterItsEnd) {
    ScopedMessageAnswerer answers;
    LongWork work;
    bool doneRan = false;
    ASSERT_TRUE(work.start([](WorkProgress&) { throw std::runtime_error("disk gone"); },
                           [&] { doneRan = true; }));
    // The window thread's own exception box says it, as for any handler.
    ASSERT_TRUE(ProcessUntil([&] { return answers.count() > 0; }));
    EXPECT_EQ(answers.requests()[0].text, "disk gone");
    EXPECT_TRUE(doneRan);
    EXPECT_FALSE(work.running());
}

} // namespace
} // namespace ostrel
