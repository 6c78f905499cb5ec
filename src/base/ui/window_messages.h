#pragma once
// Window messages between Ostrel's windows, as custom QEvent types with the
// numbers the windows have always used (user-message base 1024 plus offset).
// Posted messages go through QCoreApplication::postEvent, sent ones through
// QCoreApplication::sendEvent.

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

} // namespace ostrel
