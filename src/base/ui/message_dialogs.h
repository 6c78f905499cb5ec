#pragma once
// The two common dialogs: TAutoMsgForm, a warning that continues by itself
// after 3 seconds (30 ticks of 100 ms), and TMsgForm, the progress dialog of
// file loads and imports whose Abort clears the BusyFlag.

#include <QDialog>
#include <QPointer>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace ostrel {

class TAutoMsgForm : public QDialog {
    Q_OBJECT
  public:
    enum Result { ResultAbort = 3, ResultContinue = 4, ResultTimeOut = 6 };
    static constexpr int kTicks = 30;
    static constexpr int kTickMs = 100;

    explicit TAutoMsgForm(QWidget* parent = nullptr);

    // The caller fills the lines and the caption, enables Timer1 and shows the
    // dialog modally through showModal(), which an installed message answerer
    // answers in tests. Returns 3 (Abort), 4 (Continue) or 6 (time ran out).
    int showModal();

    // One countdown tick: steps the bar; at 30 the timer stops and the dialog
    // ends with 6.
    void Timer1Timer();
    void bbtnAbortClick();
    void bbtnYesClick();

    QLabel* lbMsg1;
    QLabel* lbMsg2;
    QLabel* lbMsg3;
    QProgressBar* ProgressBar;
    QPushButton* bbtnAbort;
    QPushButton* bbtnYes;
    QTimer* Timer1;

    void reject() override; // Escape does not end it: it has no close button

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void resetCountdown();
};

class TMsgForm : public QDialog {
    Q_OBJECT
  public:
    explicit TMsgForm(QWidget* parent = nullptr);

    // Abort: clear the BusyFlag; the running operation stops when it sees it.
    // An operation that does not look at the flag while it waits (a download
    // waiting for the cable) hears of it through aborted().
    void bbtnAbortClick();

    QLabel* MsgPanel;
    QLabel* Label1;
    QProgressBar* ProgressBar;
    QPushButton* bbtnAbort;

    void reject() override; // Escape acts like Abort

    // Shows the dialog without waiting, as a dialog of owner (the window whose
    // work it follows), in front and with the keyboard. While a window is
    // shown modally only its own dialogs take clicks and keys, so the dialog
    // of an import window shown modally must belong to it. Once hidden the
    // dialog belongs to its first owner again.
    void showOver(QWidget* owner);
    void setVisible(bool visible) override;

  signals:
    void aborted();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    QPointer<QWidget> m_home; // the owner it was made with
};

// Centre a top-level window on the screen it is on (or the primary one).
void CentreOnScreen(QWidget* window);

} // namespace ostrel
