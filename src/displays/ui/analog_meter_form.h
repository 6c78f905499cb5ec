#pragma once
// The analog meter window: the main display as a moving-needle meter, fed by
// its own update thread after the digital meter's thread took each reading.

#include "displays/update_threads.h"
#include "link/acquisition_state.h"

#include "displays/ui/showing_widget.h"

#include <QWidget>

#include <atomic>
#include <memory>
#include <string>

namespace ostrel {

class TAnalogMeterForm : public ShowingWidget {
    Q_OBJECT
  public:
    explicit TAnalogMeterForm(AcquisitionState& state, QWidget* parent = nullptr);
    ~TAnalogMeterForm() override;

    // Wake the update thread and wait for its end. Window thread; idempotent.
    void stopUpdateThread();

    // The unlink's direct write before it posts the reset: full scale 2000,
    // range exponent 2, count 0.
    void resetValues();
    // Message 1026: needle and panels back to rest.
    void reset();
    // The thread's window step: store the copy, then take it as the new reading.
    void takeReading(const AnalogCopy& copy);

    struct State {
        double angle = 150.0;
        double previousAngle = 150.0;
        int fullScale = 10000;
        int count = 0;
        int rangeExponent = 2;
        int scaleFunction = 5;
        int function = 5;
        bool negative = false;
        std::string valueText;
        std::string firstLabel;
        std::string secondLabel;
    };
    const State& state() const { return m_meter; }
    int iconResource() const { return 1; }

  protected:
    bool event(QEvent* event) override;

  private:
    AcquisitionState& m_state;
    State m_meter;
    std::unique_ptr<TAnalogMeterThread> m_thread;
};

} // namespace ostrel
