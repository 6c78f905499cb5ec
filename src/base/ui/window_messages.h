#pragma once
// Window messages between Ostrel's windows, as custom QEvent types with the
// numbers the windows have always used (user-message base 1024 plus offset).
// Every message goes through PostWindowMessage (queued) or SendWindowMessage
// (handled before the call returns); a window handles them in event().

#include <QCoreApplication>
#include <QEvent>

namespace ostrel {

enum WindowMessage : int {
    kMsgReset = 1026,         // analog meter and comparator: reset (posted by unlink)
    kMsgStopRecording = 1029, // graphical recorder: stop recording (sent by unlink)
    kMsgUnlinkRequest = 1030, // main window: unlink (sent by the recorder before an import)
    kMsgClearList = 1032,     // data list: clear
    kMsgAppendSample = 1034,  // data list: append the newest sample
    kMsgImportReset = 1036,   // import window: reset itself
};

inline QEvent::Type EventType(WindowMessage message) {
    return static_cast<QEvent::Type>(static_cast<int>(message));
}

// Queue a message, or an event of a message that carries more than its
// number, for window (nothing for no window).
inline void PostWindowMessage(QObject* window, QEvent* event) {
    if (window)
        QCoreApplication::postEvent(window, event);
    else
        delete event;
}
inline void PostWindowMessage(QObject* window, WindowMessage message) {
    PostWindowMessage(window, new QEvent(EventType(message)));
}

// Deliver a message to window at once; true when the window handled it.
inline bool SendWindowMessage(QObject* window, WindowMessage message) {
    if (!window)
        return false;
    QEvent event(EventType(message));
    return QCoreApplication::sendEvent(window, &event);
}

} // namespace ostrel
