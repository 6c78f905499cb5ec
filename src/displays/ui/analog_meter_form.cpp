#include "displays/ui/analog_meter_form.h"

#include "base/string_table.h"
#include "base/ui/message_box.h"
#include "base/ui/window_messages.h"
#include "displays/panel_geometry.h"
#include "displays/ui/frame_pace.h"
#include "displays/ui/live_windows.h"
#include "displays/ui/meter_pictures.h"
#include "displays/ui/needle_sweep.h"

#include <QFrame>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>

namespace ostrel {
namespace {

// The window's caption, "Analog Meter".
constexpr int kAnalogMeterCaptionText = 101;

QLabel* NamedPanel(QWidget* parent, const char* name) {
    QLabel* panel = MeterPanel(parent, 8);
    panel->setObjectName(QString::fromLatin1(name));
    return panel;
}

} // namespace
TAnalogMeterForm::TAnalogMeterForm(LiveState& state, QWidget* parent, const LiveWindows& placeBelow)
    : ShowingWidget(parent, Qt::Window), m_state(state) {
    setObjectName(QStringLiteral("AnalogMeterForm"));
    // Single border without a maximise button.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(QText(kAnalogMeterCaptionText));
    setWindowIcon(DisplayIcon(1));
    // The paint covers every pixel with the backdrop.
    setAttribute(Qt::WA_OpaquePaintEvent);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setLineWidth(1);
    Panel1->setGeometry(0, kAnalogPanelTop, kAnalogPanelWidth, kAnalogPanelHeight);
    const int inner = kAnalogPanelHeight - 2;
    FuncPanel = NamedPanel(Panel1, "FuncPanel");
    FuncPanel->setGeometry(kAnalogPanelWidth - 1 - 20, 1, 20, inner);
    UnitPanel = NamedPanel(Panel1, "UnitPanel");
    UnitPanel->setGeometry(FuncPanel->x() - 19, 1, 19, inner);
    MultPanel = NamedPanel(Panel1, "MultPanel");
    MultPanel->setGeometry(1, 1, UnitPanel->x() - 1, inner);

    m_tick = std::make_unique<FrameTick>(this, [this] { return frame(); });
    m_sweep = new NeedleSweep(
        this, m_meter.angle, kAnalogNeedleLength, [this] { return pivot(); },
        [this] { m_tick->request(); });

    const ScreenMetrics metrics = CurrentScreenMetrics(this, placeBelow.mainWindow);
    PlaceWindow(this, AnalogMeterPlacement(metrics, OuterHeight(placeBelow.digitalMeter)));
    refreshPanels();

    // Paced by the digital meter's thread; the window takes the newest copy
    // at its frames.
    m_thread = std::make_unique<TAnalogMeterThread>(
        m_state, WindowThreadPoster(this), [this] { return isShowing(); },
        [this](const AnalogCopy& copy) { takeReading(copy); }, [this] { m_tick->request(); });
}

TAnalogMeterForm::~TAnalogMeterForm() {
    stopUpdateThread();
}

void TAnalogMeterForm::stopUpdateThread() {
    if (m_thread)
        m_thread->stop();
}

int TAnalogMeterForm::scalePicture() const {
    return ScalePicture(m_meter.scaleFunction, m_meter.rangeExponent);
}

int TAnalogMeterForm::signMark() const {
    return m_meter.negative ? kNegativeMarkPicture : kPositiveMarkPicture;
}

double TAnalogMeterForm::shownAngle() const {
    return m_sweep->shown();
}

bool TAnalogMeterForm::needleMoving() const {
    return m_sweep->isMoving();
}

const std::vector<double>& TAnalogMeterForm::sweepTrail() const {
    return m_sweep->trail();
}

void TAnalogMeterForm::resetValues() {
    ResetAnalogValues(m_meter);
}

void TAnalogMeterForm::reset() {
    const int scale = scalePicture();
    ResetAnalogMeter(m_meter);
    refreshPanels();
    if (scalePicture() != scale)
        update();
    m_sweep->moveTo(m_meter.angle);
}

void TAnalogMeterForm::takeReading(const AnalogCopy& copy) {
    // The window may have been hidden or minimised since the thread looked;
    // a copy that arrives after an unlink's reset must not undo it.
    if (!isVisible() || isMinimized() || !m_state.isLinked())
        return;
    // The sign mark follows the copy's sign: note the pictures on screen
    // before the copy changes them.
    const int scale = scalePicture();
    const int mark = signMark();
    m_meter.valueText = copy.valueText;
    m_meter.firstLabel = copy.firstLabel;
    m_meter.secondLabel = copy.secondLabel;
    m_meter.function = copy.function;
    m_meter.negative = copy.negative;
    TakeAnalogReading(m_meter);
    refreshPanels();
    // The face is drawn anew only when its scale or sign mark changed; the
    // needle follows by its sweep.
    if (scalePicture() != scale || signMark() != mark)
        update();
    m_sweep->moveTo(m_meter.angle);
}

void TAnalogMeterForm::refreshPanels() {
    const AnalogPanelTexts texts = AnalogPanels(m_meter);
    MultPanel->setText(QString::fromLatin1(texts.multiplier));
    UnitPanel->setText(MeterText(texts.unit));
    FuncPanel->setText(texts.funcSymbolFont ? QString::fromStdString(SymbolTypefaceText(texts.func))
                                            : MeterText(texts.func));
}

int TAnalogMeterForm::faceLeft() const {
    return (width() - MeterPictureSize(kAnalogFacePicture).width()) / 2;
}

QPoint TAnalogMeterForm::pivot() const {
    return {width() / 2, kAnalogPivotY};
}

bool TAnalogMeterForm::frame() {
    // A new reading starts a sweep with its first position; otherwise the
    // sweep under way goes on.
    if (m_thread->deliverNewest())
        return true;
    return m_sweep->advance();
}

void TAnalogMeterForm::resizeEvent(QResizeEvent* event) {
    ShowingWidget::resizeEvent(event);
    Panel1->move((width() - Panel1->width()) / 2, kAnalogPanelTop);
}

void TAnalogMeterForm::paintEvent(QPaintEvent* event) {
    const int left = faceLeft();
    const QSize mark = MeterPictureSize(signMark());
    const MeterBackdrop::Placed pictures = {
        {kAnalogFacePicture, {left, 0}},
        {scalePicture(), {left + kAnalogScaleLeft, kAnalogScaleTop}},
        {signMark(),
         {Panel1->x() - mark.width() - mark.width() / 2,
          Panel1->y() + Panel1->height() - mark.height()}}};
    QPainter painter(this);
    DrawPixmapInBands(painter, event->region(), m_backdrop.of(*this, pictures));
    m_sweep->paint(painter);
}

bool TAnalogMeterForm::event(QEvent* event) {
    if (event->type() == EventType(kMsgReset)) {
        reset();
        return true;
    }
    return ShowingWidget::event(event);
}

} // namespace ostrel
