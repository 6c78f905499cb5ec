#pragma once
// The recorder's dialogs, created once at start-up and hidden until used:
// the acquisition interval option, the graphical viewer and the graph line
// colour dialog. The graph export dialog has its own file.

#include "recorder/ui/export_dialog.h"

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

class TdlgGraphLineColor : public QDialog {
    Q_OBJECT
  public:
    explicit TdlgGraphLineColor(QWidget* parent = nullptr);
};

} // namespace ostrel
