#pragma once
// Stand-ins for the live display windows with their final names and
// signatures, so that the application shell builds before the windows
// themselves arrive. Removed when the real windows land.

#include "link/acquisition_state.h"

#include <QDialog>
#include <QWidget>

namespace ostrel {

class TDigitalMeterForm : public QWidget {
    Q_OBJECT
  public:
    TDigitalMeterForm(AcquisitionState& state, QWidget* mainWindow);
    void clearDisplay();
    void stopUpdateThread() {}
};

class TAnalogMeterForm : public QWidget {
    Q_OBJECT
  public:
    explicit TAnalogMeterForm(AcquisitionState& state, QWidget* parent = nullptr);
    void stopUpdateThread() {}
    int resets = 0;

  protected:
    bool event(QEvent* e) override;
};

class TDlgHiLowForm : public QDialog {
    Q_OBJECT
  public:
    explicit TDlgHiLowForm(QWidget* parent = nullptr);
};

class TComparatorForm : public QWidget {
    Q_OBJECT
  public:
    TComparatorForm(AcquisitionState& state, double hiLimit, double lowLimit,
                    QWidget* parent = nullptr);
    double fHiLimit() const { return m_hi; }
    double fLowLimit() const { return m_low; }
    void stopUpdateThread() {}
    int resets = 0;

  protected:
    bool event(QEvent* e) override;

  private:
    double m_hi;
    double m_low;
};

class TDataStringGridForm : public QWidget {
    Q_OBJECT
  public:
    explicit TDataStringGridForm(QWidget* parent = nullptr);
};

} // namespace ostrel
