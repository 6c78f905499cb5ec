#pragma once
// The comparator window: judges the main display's value against an upper and
// a lower limit on a gauge, with an optional tone beyond them. Fed by its own
// update thread after the digital meter's thread took each reading.

#include "displays/live_state.h"
#include "displays/tone_player.h"
#include "displays/ui/frame_pace.h"
#include "displays/ui/hi_low_dialog.h"
#include "displays/ui/live_windows.h"
#include "displays/ui/meter_pictures.h"
#include "displays/ui/showing_widget.h"
#include "displays/update_threads.h"

#include <QPointer>
#include <QWidget>

#include <memory>
#include <optional>
#include <string>
#include <vector>

class QLabel;
class QPushButton;

namespace ostrel {

class NeedleSweep;

// Where the comparator's parts stand in its client area.
inline constexpr int kComparatorNeedleLength = 70;
inline constexpr int kComparatorPivotY = 99;
inline constexpr int kComparatorOverlayTop = 22;
inline constexpr int kLimitButtonWidth = 75;

class TComparatorForm : public ShowingWidget {
    Q_OBJECT
  public:
    TComparatorForm(LiveState& state, double hiLimit, double lowLimit, QWidget* parent = nullptr,
                    const LiveWindows& placeBelow = {});
    ~TComparatorForm() override;

    double fHiLimit() const { return m_hiLimit; }
    double fLowLimit() const { return m_lowLimit; }
    // New limits, shown at once; the needle follows with the next reading.
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
    // Where the alarm's tones go (not owned); by default a player on the
    // sound device, made at the first tone (none with the sound off).
    void setToneSink(ToneSink* sink) { m_tones = sink; }

    bool alarm() const { return m_alarm; }
    float value() const { return m_value; }
    int function() const { return m_function; }
    const std::string& valueText() const { return m_valueText; }
    const std::string& prefixLabel() const { return m_prefixLabel; }
    const std::string& unitLabel() const { return m_unitLabel; }
    int iconResource() const { return 5; }
    // The gauge: the angle of the latest reading, the needle on screen (during
    // a sweep, the sweep's position), and the positions the latest sweep showed.
    double angle() const { return m_angle; }
    double previousAngle() const { return m_previousAngle; }
    double shownAngle() const;
    bool needleMoving() const;
    const std::vector<double>& sweepTrail() const;

    void bbtnAlartClick();
    void bbtnHiLowLimitClick();
    // The two buttons under the face, one above the other: their height
    // together (their preferred heights before the first layout).
    int buttonsHeight() const;

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
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

    // The frame tick's step: true while there is more to draw.
    bool frame();
    void newReading();
    void drawGauge();
    void showLimits();
    void refreshLimitLabels();
    void soundAlarm();
    int faceLeft() const;
    QPoint pivot() const;

    LiveState& m_state;
    double m_angle = 90.0;
    double m_previousAngle = 90.0;
    double m_hiLimit;
    double m_lowLimit;
    bool m_alarm = false;
    int m_function = 0;
    std::optional<int> m_labelsFunction; // the function the limit labels show
    float m_value = 0.0f;
    bool m_negative = false;
    std::string m_valueText;
    std::string m_exponentText;
    std::string m_prefixLabel;
    std::string m_unitLabel;
    QPointer<TDlgHiLowForm> m_limitDialog;
    std::unique_ptr<FrameTick> m_tick;
    NeedleSweep* m_sweep = nullptr;
    ToneSink* m_tones = nullptr;
    std::unique_ptr<ToneSink> m_ownTones;
    std::unique_ptr<TComparatorThread> m_thread;
    MeterBackdrop m_backdrop;
};

} // namespace ostrel
