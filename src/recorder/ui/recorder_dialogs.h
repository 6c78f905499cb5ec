#pragma once
// The recorder's dialogs, created once at start-up and hidden until used:
// the graphical viewer, the two instances of the graph export dialog and the
// graph line colour dialog (the interval option is interval_dialog.h).

#include <QDialog>

namespace ostrel {

class TFormViewGraphic : public QDialog {
    Q_OBJECT
  public:
    explicit TFormViewGraphic(QWidget* parent = nullptr);
};

// The graph export dialog; TDlgFitExportForm is its second instance, used by
// the graphical viewer.
class TDlgExportForm : public QDialog {
    Q_OBJECT
  public:
    explicit TDlgExportForm(QWidget* parent = nullptr);
};

class TDlgFitExportForm : public TDlgExportForm {
    Q_OBJECT
  public:
    explicit TDlgFitExportForm(QWidget* parent = nullptr);
};

class TdlgGraphLineColor : public QDialog {
    Q_OBJECT
  public:
    explicit TdlgGraphLineColor(QWidget* parent = nullptr);
};

} // namespace ostrel
