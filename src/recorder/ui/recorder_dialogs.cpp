#include "recorder/ui/recorder_dialogs.h"

namespace ostrel {

TDialogOption::TDialogOption(QWidget* parent) : QDialog(parent) {
    setObjectName("DialogOption");
    setWindowTitle(QStringLiteral("Acquisition Interval option"));
}

TdlgGraphLineColor::TdlgGraphLineColor(QWidget* parent) : QDialog(parent) {
    setObjectName("dlgGraphLineColor");
    setWindowTitle(QStringLiteral("Graph Line Color"));
}

} // namespace ostrel
