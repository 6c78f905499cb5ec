#pragma once
// The two common dialogs: TAutoMsgForm, a warning that continues by itself
// after 3 seconds (30 ticks of 100 ms), and TMsgForm, the progress dialog of
// file loads and imports whose Abort clears the busy flag.

#include <QDialog>
#include <QPointer>
#include <QString>

#include <cstdint>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace ostrel {

class BusyFlag;

class TAutoMsgForm : public QDialog {
    Q_OBJECT
  public:
    enum Result { ResultAbort = 3, ResultContinue = 4, ResultTimeOut = 6 };
    static constexpr int kTicks = 30;
    static constexpr int kTickMs = 100;

    explicit TAutoMsgForm(QWidget* parent = nullptr);

    // Fill the caption and the three lines (an empty line shows nothing).
    void setMessage(const QString& caption, const QString& line1, const QString& line2,
                    const QString& line3 = QString());

    // Starts the countdown and shows the dialog modally (an installed message
    // answerer answers it in tests). Returns 3 (Abort), 4 (Continue) or 6
    // (time ran out).
    int showModal();

    // One countdown tick: steps the bar; at 30 the timer stops and the dialog
    // ends with 6.
    void Timer1Timer();
    void bbtnAbortClick();
    void bbtnYesClick();

    void reject() override; // Escape does not end it: it has no close button

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void resetCountdown();

    QLabel* lbMsg1;
    QLabel* lbMsg2;
    QLabel* lbMsg3;
    QProgressBar* ProgressBar;
    QPushButton* bbtnAbort;
    QPushButton* bbtnYes;
    QTimer* Timer1;
};

class TMsgForm : public QDialog {
    Q_OBJECT
  public:
    explicit TMsgForm(QWidget* parent = nullptr);

    // The program's busy flag, which Abort clears (none: Abort clears nothing).
    void setBusyFlag(BusyFlag* busy) { m_busy = busy; }

    // Abort: clear the busy flag; the running operation stops when it sees it.
    // An operation that does not look at the flag while it waits (a download
    // waiting for the cable) hears of it through aborted().
    void bbtnAbortClick();

    void reject() override; // Escape acts like Abort

    // --- what the window whose long operation it follows shows -------------
    // The message line, as plain text, as rich text (it stays rich text for
    // later messages), and its colour through a style sheet ("" = none).
    void setMessage(const QString& text);
    void setRichMessage(const QString& html);
    void setMessageColour(const QString& colour);
    // The counter line under the message: any text, or "Reading Data : done
    // of total" of a file load (each at most INT_MAX).
    void setCounter(const QString& text);
    void setReadCounter(std::int64_t done, std::int64_t total);
    // The bar: steps of 0..total with done of them made; fillBar() fills it.
    void setBar(int done, int total);
    void setBarValue(int done);
    void fillBar();
    void setAbortEnabled(bool enabled);
    // Start: empty counter, the bar of steps at 0, Abort enabled, shown over
    // owner (see showOver). Finish: Abort enabled again, hidden.
    void startProgress(QWidget* owner, int steps);
    void finishProgress();

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
    QLabel* MsgPanel;
    QLabel* Label1;
    QProgressBar* ProgressBar;
    QPushButton* bbtnAbort;
    QPointer<QWidget> m_home; // the owner it was made with
    BusyFlag* m_busy = nullptr;
};

// Centre a top-level window on the screen it is on (or the primary one).
void CentreOnScreen(QWidget* window);

} // namespace ostrel
