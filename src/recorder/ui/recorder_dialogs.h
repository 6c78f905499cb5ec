#pragma once
// The recorder's dialogs, created once at start-up and hidden until used:
// the graphical viewer and the graph line colour dialog. The graph export
// dialog and the interval option have their own files.

#include "recorder/ui/export_dialog.h"

#include <QDialog>

namespace ostrel {

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
