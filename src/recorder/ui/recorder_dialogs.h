#pragma once
// The recorder's dialogs, created once at start-up and hidden until used:
// the graph line colour dialog. The graph export dialog, the graphical viewer
// and the interval option have their own files.

#include "recorder/ui/export_dialog.h"
#include "recorder/ui/graphical_viewer.h"

#include <QDialog>

namespace ostrel {

class TdlgGraphLineColor : public QDialog {
    Q_OBJECT
  public:
    explicit TdlgGraphLineColor(QWidget* parent = nullptr);
};

} // namespace ostrel
