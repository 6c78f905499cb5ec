#include "recorder/ui/recorder_dialogs.h"

namespace ostrel {

TdlgGraphLineColor::TdlgGraphLineColor(QWidget* parent) : QDialog(parent) {
    setObjectName("dlgGraphLineColor");
    setWindowTitle(QStringLiteral("Graph Line Color"));
}

} // namespace ostrel
