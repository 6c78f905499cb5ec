#pragma once
// The recorder's dialogs, created once at start-up and hidden until used:
// the graphical viewer. The graph export dialog, the interval option and the
// line colour dialog have their own files.

#include "recorder/ui/export_dialog.h"

#include <QDialog>

namespace ostrel {

class TFormViewGraphic : public QDialog {
    Q_OBJECT
  public:
    explicit TFormViewGraphic(QWidget* parent = nullptr);
};

} // namespace ostrel
