#include "import/ui/import_form.h"

#include "base/ui/message_box.h"
#include "base/ui/pictures.h"
#include "base/ui/window_messages.h"

#include <QEvent>

namespace ostrel {

TFormImport::TFormImport(QWidget* parent) : QDialog(parent) {
    setObjectName("FormImport");
    setWindowTitle(QText(108));
    setWindowIcon(ResourceIcon(7));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
}

bool TFormImport::event(QEvent* event) {
    if (event->type() == EventType(kMsgImportReset))
        return true;
    return QDialog::event(event);
}

void TFormImport::showEvent(QShowEvent* event) {
    setWindowState(windowState() | Qt::WindowMaximized);
    QDialog::showEvent(event);
}

} // namespace ostrel
