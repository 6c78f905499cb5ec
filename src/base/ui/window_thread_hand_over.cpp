// The poster and thread query of a HandOver to the window thread.
#include "base/ui/window_thread_hand_over.h"

#include <QMetaObject>
#include <QObject>
#include <QThread>

#include <utility>

namespace ostrel {

HandOver::Poster WindowThreadPoster(QObject* context) {
    // Called on the background thread. The owner joins that thread before the
    // context goes, so the context is alive whenever this runs; a call still
    // queued when the context goes is dropped by the event loop.
    return [context](HandOver::Routine routine) {
        QMetaObject::invokeMethod(context, std::move(routine), Qt::QueuedConnection);
    };
}

HandOver::ThreadQuery OnThreadOf(const QObject* context) {
    return [context] { return QThread::currentThread() == context->thread(); };
}

} // namespace ostrel
