#pragma once
// The recorder's dialogs, created once at start-up and hidden until used:
// the acquisition interval option, the graphical viewer, the two instances of
// the graph export dialog and the graph line colour dialog.

#include <QDialog>

namespace ostrel {

class TDialogOption : public QDialog {
    Q_OBJECT
  public:
    explicit TDialogOption(QWidget* parent = nullptr);
};

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
