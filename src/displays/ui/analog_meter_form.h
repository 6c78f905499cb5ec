#pragma once
// The analog meter window: the main display as a moving-needle meter, fed by
// its own update thread after the digital meter's thread took each reading.
// The meter face carries the scale the function calls for, the needle, a
// sign mark and a small panel with the multiplier, the prefix and the unit.

#include "displays/analog_meter.h"
#include "displays/live_state.h"
#include "displays/update_threads.h"

#include "displays/ui/frame_pace.h"
#include "displays/ui/live_windows.h"
#include "displays/ui/meter_pictures.h"
#include "displays/ui/showing_widget.h"

#include <QWidget>

#include <memory>

class QFrame;
class QLabel;

namespace ostrel {

class NeedleSweep;

// Where the analog meter's parts stand in its client area.
inline constexpr int kAnalogNeedleLength = 100;
inline constexpr int kAnalogPivotY = 132;
inline constexpr int kAnalogScaleLeft = 9; // from the face's left
inline constexpr int kAnalogScaleTop = 28;
inline constexpr int kAnalogPanelTop = 150; // Panel1, under the face's window
inline constexpr int kAnalogPanelWidth = 72;
inline constexpr int kAnalogPanelHeight = 20;

class TAnalogMeterForm : public ShowingWidget {
    Q_OBJECT
  public:
    explicit TAnalogMeterForm(LiveState& state, QWidget* parent = nullptr,
                              const LiveWindows& placeBelow = {});
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

    using State = AnalogMeterState;
    const State& state() const { return m_meter; }
    int iconResource() const { return 1; }
    // The scale picture and the sign mark drawn now.
    int scalePicture() const;
    int signMark() const;
    // The needle on screen: its angle (during a sweep, the sweep's position),
    // whether it is still moving, and the positions the latest sweep showed.
    double shownAngle() const;
    bool needleMoving() const;
    const std::vector<double>& sweepTrail() const;

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    // Controls.
    QFrame* Panel1 = nullptr;
    QLabel* MultPanel = nullptr;
    QLabel* UnitPanel = nullptr;
    QLabel* FuncPanel = nullptr;

    // The frame tick's step: true while there is more to draw.
    bool frame();
    void refreshPanels();
    int faceLeft() const;
    QPoint pivot() const;

    LiveState& m_state;
    State m_meter;
    std::unique_ptr<FrameTick> m_tick;
    NeedleSweep* m_sweep = nullptr;
    std::unique_ptr<TAnalogMeterThread> m_thread;
    MeterBackdrop m_backdrop;
};

} // namespace ostrel
