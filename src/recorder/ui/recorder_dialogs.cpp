#include "recorder/ui/recorder_dialogs.h"

#include "base/ui/pictures.h"

namespace ostrel {

TDialogOption::TDialogOption(QWidget* parent) : QDialog(parent) {
    setObjectName("DialogOption");
    setWindowTitle(QStringLiteral("Acquisition Interval option"));
}

TFormViewGraphic::TFormViewGraphic(QWidget* parent) : QDialog(parent) {
    setObjectName("FormViewGraphic");
    setWindowTitle(QStringLiteral("Graphical viewer"));
    setWindowIcon(ResourceIcon(7));
}

} // namespace ostrel
