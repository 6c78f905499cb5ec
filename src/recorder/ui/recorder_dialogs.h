#pragma once
// The recorder's dialogs, created once at start-up and hidden until used:
// the acquisition interval option and the graph line colour dialog. The
// graph export dialog and the graphical viewer have their own files.

#include "recorder/ui/export_dialog.h"
#include "recorder/ui/graphical_viewer.h"

#include <QDialog>

namespace ostrel {

class TDialogOption : public QDialog {
    Q_OBJECT
  public:
    explicit TDialogOption(QWidget* parent = nullptr);
};

class TdlgGraphLineColor : public QDialog {
    Q_OBJECT
  public:
    explicit TdlgGraphLineColor(QWidget* parent = nullptr);
};

} // namespace ostrel
