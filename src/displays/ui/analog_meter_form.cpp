#include "displays/ui/analog_meter_form.h"

#include "base/string_table.h"
#include "base/ui/window_messages.h"
#include "displays/ui/live_windows.h"

namespace ostrel {

TAnalogMeterForm::TAnalogMeterForm(AcquisitionState& state, QWidget* parent)
    : ShowingWidget(parent, Qt::Window), m_state(state) {
    setObjectName(QStringLiteral("AnalogMeterForm"));
    TheLiveWindows().analogMeter = this;
    // Single border without a maximise button.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(QString::fromUtf8(Text(101).data(), static_cast<int>(Text(101).size())));
    setWindowIcon(DisplayIcon(1));
    const ScreenMetrics metrics = CurrentScreenMetrics(this);
    PlaceWindow(this, AnalogMeterPlacement(metrics, OuterHeight(TheLiveWindows().digitalMeter)));

    m_thread = std::make_unique<TAnalogMeterThread>(
        m_state, WindowThreadPoster(this), [this] { return isShowing(); },
        [this](const AnalogCopy& copy) { takeReading(copy); });
}

TAnalogMeterForm::~TAnalogMeterForm() {
    stopUpdateThread();
    if (TheLiveWindows().analogMeter == this)
        TheLiveWindows().analogMeter = nullptr;
}

void TAnalogMeterForm::stopUpdateThread() {
    if (m_thread)
        m_thread->stop();
}

void TAnalogMeterForm::resetValues() {
    m_meter.fullScale = 2000;
    m_meter.rangeExponent = 2;
    m_meter.count = 0;
}

void TAnalogMeterForm::reset() {
    resetValues();
    m_meter.firstLabel.clear();
    m_meter.secondLabel.clear();
    m_meter.previousAngle = m_meter.angle;
    m_meter.angle = 150.0;
    update();
}

void TAnalogMeterForm::takeReading(const AnalogCopy& copy) {
    // The window may have been hidden or minimised since the thread looked;
    // a copy that arrives after an unlink's reset must not undo it.
    if (!isVisible() || isMinimized() || !m_state.isLinked())
        return;
    m_meter.valueText = copy.valueText;
    m_meter.firstLabel = copy.firstLabel;
    m_meter.secondLabel = copy.secondLabel;
    m_meter.function = copy.function;
    m_meter.negative = copy.negative;
    update();
}

bool TAnalogMeterForm::event(QEvent* event) {
    if (event->type() == EventType(kMsgReset)) {
        reset();
        return true;
    }
    return ShowingWidget::event(event);
}

} // namespace ostrel
