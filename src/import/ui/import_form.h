#pragma once
// TFormImport: the window of the logger-memory import, created hidden at
// start-up and shown modally by the recorder's Import command.

#include <QDialog>

namespace ostrel {

class TFormImport : public QDialog {
    Q_OBJECT
  public:
    explicit TFormImport(QWidget* parent = nullptr);

  protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
};

} // namespace ostrel
