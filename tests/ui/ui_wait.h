#pragma once
// Run the window thread's event loop until a condition holds (or 5 s pass).

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

namespace ostrel::testing {

template <class Pred> bool ProcessUntil(Pred pred, int timeoutMs = 5000) {
    QElapsedTimer timer;
    timer.start();
    while (!pred()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

} // namespace ostrel::testing
