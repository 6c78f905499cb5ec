#pragma once
// The window side of a HandOver: a poster that queues a routine on the thread
// of a context object (the window thread) through the event loop, and the
// query that tells whether the caller already is on that thread.

#include "base/hand_over.h"

class QObject;

namespace ostrel {

HandOver::Poster WindowThreadPoster(QObject* context);
HandOver::ThreadQuery OnThreadOf(const QObject* context);

} // namespace ostrel
