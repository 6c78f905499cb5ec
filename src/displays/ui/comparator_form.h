#pragma once
// The comparator window: judges the main display's value against an upper and
// a lower limit, with an optional tone beyond them. Fed by its own update
// thread after the digital meter's thread took each reading.

#include "displays/ui/hi_low_dialog.h"
#include "displays/update_threads.h"
#include "link/acquisition_state.h"

#include "displays/ui/showing_widget.h"
#include <QPointer>

#include <QWidget>

#include <atomic>
#include <memory>
#include <string>

class QLabel;
class QPushButton;

namespace ostrel {

class TComparatorForm : public ShowingWidget {
    Q_OBJECT
  public:
    TComparatorForm(AcquisitionState& state, double hiLimit, double lowLimit,
                    QWidget* parent = nullptr);
    ~TComparatorForm() override;

    double fHiLimit() const { return m_hiLimit; }
    double fLowLimit() const { return m_lowLimit; }
    void setLimits(double hiLimit, double lowLimit);

    // Wake the update thread and wait for its end. Window thread; idempotent.
    void stopUpdateThread();

    // The unlink's direct write before it posts 1026: value at mid-scale.
    void resetValue();
    // The thread's window step: store the copy, then take it as the new reading.
    void takeReading(const ComparatorCopy& copy);

    // The dialog the limit button opens; by default the one created last
    // (start-up creates it just before this window).
    void setLimitDialog(TDlgHiLowForm* dialog) { m_limitDialog = dialog; }

    bool alarm() const { return m_alarm; }
    float value() const { return m_value; }
    int function() const { return m_function; }
    int iconResource() const { return 5; }

    // Controls.
    QWidget* Panel1 = nullptr;
    QLabel* HiLimitPanel = nullptr;
    QLabel* HiUnitPanel = nullptr;
    QLabel* HiFuncPanel = nullptr;
    QWidget* Panel2 = nullptr;
    QLabel* LowLimitPanel = nullptr;
    QLabel* LowUnitPanel = nullptr;
    QLabel* LowFuncPanel = nullptr;
    QPushButton* bbtnAlart = nullptr;
    QPushButton* bbtnHiLowLimit = nullptr;

    void bbtnAlartClick();
    void bbtnHiLowLimitClick();

  protected:
    bool event(QEvent* event) override;

  private:
    void showLimits();

    AcquisitionState& m_state;
    double m_angle = 90.0;
    double m_previousAngle = 90.0;
    double m_hiLimit;
    double m_lowLimit;
    bool m_alarm = false;
    int m_function = 0;
    float m_value = 0.0f;
    bool m_negative = false;
    std::string m_valueText;
    std::string m_exponentText;
    std::string m_prefixLabel;
    std::string m_unitLabel;
    QPointer<TDlgHiLowForm> m_limitDialog;
    std::unique_ptr<TComparatorThread> m_thread;
};

} // namespace ostrel
