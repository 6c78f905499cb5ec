#include "recorder/ui/recorder_dialogs.h"

#include "base/ui/pictures.h"

namespace ostrel {

TFormViewGraphic::TFormViewGraphic(QWidget* parent) : QDialog(parent) {
    setObjectName("FormViewGraphic");
    setWindowTitle(QStringLiteral("Graphical viewer"));
    setWindowIcon(ResourceIcon(7));
}

} // namespace ostrel
