#include "recorder/ui/graphical_form.h"

#include "base/ui/message_box.h"
#include "base/ui/pictures.h"
#include "base/ui/shell_geometry.h"
#include "base/ui/window_messages.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>

namespace ostrel {

TGraphicalForm::TGraphicalForm(AcquisitionState& state, QWidget* parent)
    : QWidget(parent, Qt::Window), m_state(state) {
    setObjectName("GraphicalForm");
    setWindowTitle(QText(104));
    setWindowIcon(ResourceIcon(7));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const ShellGeometry& shell = CurrentShellGeometry();
    const int left = screen.width() / 4;
    const int top = shell.mainWindowHeight;
    setGeometry(left, top, screen.width() - left, screen.height() - top - shell.taskbarHeight);
}

bool TGraphicalForm::mayClose() {
    return true;
}

void TGraphicalForm::keepRecordingForRecovery() {}

void TGraphicalForm::stopRecording() {
    m_recording = false;
    emit recordingStopped();
}

bool TGraphicalForm::event(QEvent* event) {
    if (event->type() == EventType(kMsgStopRecording)) {
        if (m_recording)
            stopRecording();
        return true;
    }
    return QWidget::event(event);
}

} // namespace ostrel
