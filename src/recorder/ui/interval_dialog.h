#pragma once
// TDialogOption: how the recorder samples, Manual (one sample per click) or
// Automatic at "Full Speed" (500 ms) or every given number of seconds. The
// recorder hands it manual and seconds before showing it and takes them back
// on OK.

#include <QDialog>

#include <functional>
#include <optional>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace ostrel {

class TDialogOption : public QDialog {
    Q_OBJECT
  public:
    explicit TDialogOption(QWidget* parent = nullptr);

    bool manual = false;
    int seconds = 0; // 0 is "Full Speed"

    // The input box that asks for the seconds: the answer, or nothing when
    // cancelled. Tests answer it instead of a user.
    using InputBox = std::function<std::optional<QString>(
        const QString& caption, const QString& prompt, const QString& preset)>;
    void setInputBox(InputBox box) { m_inputBox = std::move(box); }

    void rbtnManualClick();
    void rbtnAutomaticClick();
    void cbxIntervalChange();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    // The controls; tests and the desktop journeys find them by object name.
    QLabel* Image1;
    QGroupBox* rgIntervalMode;
    QRadioButton* rbtnManual;
    QRadioButton* rbtnAutomatic;
    QComboBox* cbxInterval;
    QPushButton* btnOk;
    QPushButton* bbtnCancel;

    void buildModeGroup();
    void connectControls();

    InputBox m_inputBox;
};

} // namespace ostrel
