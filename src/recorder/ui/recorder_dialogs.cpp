#include "recorder/ui/recorder_dialogs.h"

#include "app/ui/pictures.h"

namespace ostrel {

TFormViewGraphic::TFormViewGraphic(QWidget* parent) : QDialog(parent) {
    setObjectName("FormViewGraphic");
    setWindowTitle(QStringLiteral("Graphical viewer"));
    setWindowIcon(ResourceIcon(7));
}

TDlgExportForm::TDlgExportForm(QWidget* parent) : QDialog(parent) {
    setObjectName("DlgExportForm");
    setWindowTitle(QStringLiteral("Exporting Data Logger"));
}

TDlgFitExportForm::TDlgFitExportForm(QWidget* parent) : TDlgExportForm(parent) {
    setObjectName("DlgFitExportForm");
}

TdlgGraphLineColor::TdlgGraphLineColor(QWidget* parent) : QDialog(parent) {
    setObjectName("dlgGraphLineColor");
    setWindowTitle(QStringLiteral("Graph Line Color"));
}

} // namespace ostrel
