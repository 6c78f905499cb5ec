#include "displays/ui/comparator_form.h"

#include "base/number_format.h"
#include "base/string_table.h"
#include "base/ui/message_box.h"
#include "base/ui/window_messages.h"
#include "displays/analog_meter.h"
#include "displays/comparator_gauge.h"
#include "displays/panel_geometry.h"
#include "displays/ui/alarm_tones.h"
#include "displays/ui/frame_pace.h"
#include "displays/ui/live_windows.h"
#include "displays/ui/meter_pictures.h"
#include "displays/ui/needle_sweep.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>

namespace ostrel {
namespace {

// The window's caption, "Comparator".
constexpr int kComparatorCaptionText = 102;

// One row of limits: the limit fills, its prefix and unit at the right.
// The panels take their names from the side: "Hi" gives "HiLimitPanel",
// "HiUnitPanel" and "HiFuncPanel".
QWidget* LimitRow(QWidget* parent, const char* name, const char* side, QLabel*& limit,
                  QLabel*& unit, QLabel*& func) {
    auto* row = new QWidget(parent);
    row->setObjectName(QString::fromLatin1(name));
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    limit = MeterPanel(row, 8);
    unit = MeterPanel(row, 8);
    func = MeterPanel(row, 8);
    const QString prefix = QString::fromLatin1(side);
    limit->setObjectName(prefix + QStringLiteral("LimitPanel"));
    unit->setObjectName(prefix + QStringLiteral("UnitPanel"));
    func->setObjectName(prefix + QStringLiteral("FuncPanel"));
    unit->setFixedWidth(19);
    func->setFixedWidth(20);
    layout->addWidget(limit, 1);
    layout->addWidget(unit);
    layout->addWidget(func);
    return row;
}

} // namespace

TComparatorForm::TComparatorForm(LiveState& state, double hiLimit, double lowLimit, QWidget* parent,
                                 const LiveWindows& placeBelow)
    : ShowingWidget(parent, Qt::Window), m_state(state), m_hiLimit(hiLimit), m_lowLimit(lowLimit) {
    setObjectName(QStringLiteral("ComparatorForm"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(QText(kComparatorCaptionText));
    setWindowIcon(DisplayIcon(5));
    // The paint covers every pixel with the backdrop.
    setAttribute(Qt::WA_OpaquePaintEvent);

    bbtnAlart = new QPushButton(QStringLiteral("OFF"), this);
    bbtnAlart->setObjectName(QStringLiteral("bbtnAlart"));
    bbtnHiLowLimit = new QPushButton(QStringLiteral("Hi/Low"), this);
    bbtnHiLowLimit->setObjectName(QStringLiteral("bbtnHiLowLimit"));
    Panel1 = LimitRow(this, "Panel1", "Hi", HiLimitPanel, HiUnitPanel, HiFuncPanel);
    Panel2 = LimitRow(this, "Panel2", "Low", LowLimitPanel, LowUnitPanel, LowFuncPanel);
    connect(bbtnAlart, &QPushButton::clicked, this, &TComparatorForm::bbtnAlartClick);
    connect(bbtnHiLowLimit, &QPushButton::clicked, this, &TComparatorForm::bbtnHiLowLimitClick);

    m_tick = std::make_unique<FrameTick>(this, [this] { return frame(); });
    m_sweep = new NeedleSweep(
        this, m_angle, kComparatorNeedleLength, [this] { return pivot(); },
        [this] { m_tick->request(); });

    PlaceWindow(this, ComparatorPlacement(CurrentScreenMetrics(this, placeBelow.mainWindow)));
    showLimits();
    refreshLimitLabels();

    // Paced by the digital meter's thread; the window takes the newest copy
    // at its frames.
    m_thread = std::make_unique<TComparatorThread>(
        m_state, WindowThreadPoster(this), [this] { return isShowing(); },
        [this](const ComparatorCopy& copy) { takeReading(copy); }, [this] { m_tick->request(); });
}

int TComparatorForm::buttonsHeight() const {
    int height = 0;
    for (const QPushButton* b : {bbtnAlart, bbtnHiLowLimit})
        height += b->height() > 0 ? b->height() : b->sizeHint().height();
    return height;
}

TComparatorForm::~TComparatorForm() {
    stopUpdateThread();
}

void TComparatorForm::stopUpdateThread() {
    if (m_thread)
        m_thread->stop();
}

double TComparatorForm::shownAngle() const {
    return m_sweep->shown();
}

bool TComparatorForm::needleMoving() const {
    return m_sweep->isMoving();
}

const std::vector<double>& TComparatorForm::sweepTrail() const {
    return m_sweep->trail();
}

void TComparatorForm::setLimits(double hiLimit, double lowLimit) {
    m_hiLimit = hiLimit;
    m_lowLimit = lowLimit;
    showLimits();
}

void TComparatorForm::showLimits() {
    HiLimitPanel->setText(QString::fromStdString(FormatGeneral(m_hiLimit)));
    LowLimitPanel->setText(QString::fromStdString(FormatGeneral(m_lowLimit)));
}

void TComparatorForm::refreshLimitLabels() {
    if (m_labelsFunction == m_function)
        return; // the labels depend on the function only
    m_labelsFunction = m_function;
    const LimitLabels labels = ComparatorLimitLabels(m_function);
    m_prefixLabel = labels.prefix;
    m_unitLabel = labels.unit;
    const QString prefix = labels.prefixSymbolFont
                               ? QString::fromStdString(SymbolTypefaceText(labels.prefix))
                               : MeterText(labels.prefix);
    const QString unit = labels.unitSymbolFont
                             ? QString::fromStdString(SymbolTypefaceText(labels.unit))
                             : MeterText(labels.unit);
    for (QLabel* panel : {HiUnitPanel, LowUnitPanel}) {
        panel->setAlignment(labels.prefixAlignRight ? Qt::AlignRight | Qt::AlignVCenter
                                                    : Qt::AlignCenter);
        panel->setText(prefix);
    }
    for (QLabel* panel : {HiFuncPanel, LowFuncPanel}) {
        panel->setAlignment(labels.unitAlignLeft ? Qt::AlignLeft | Qt::AlignVCenter
                                                 : Qt::AlignCenter);
        panel->setText(unit);
    }
}

void TComparatorForm::resetValue() {
    m_value = MiddleValue(m_hiLimit, m_lowLimit);
}

void TComparatorForm::takeReading(const ComparatorCopy& copy) {
    // The window may have been hidden or minimised since the thread looked;
    // a copy that arrives after an unlink's reset must not undo it.
    if (!isVisible() || isMinimized() || !m_state.isLinked())
        return;
    m_negative = copy.negative;
    m_valueText = copy.valueText;
    m_exponentText = copy.exponentText;
    m_function = copy.function;
    newReading();
}

void TComparatorForm::newReading() {
    m_value =
        ComparatorValue(m_valueText, m_exponentText, m_negative, m_function, m_hiLimit, m_lowLimit);
    refreshLimitLabels();
    drawGauge();
    if (m_alarm)
        soundAlarm();
}

void TComparatorForm::drawGauge() {
    m_previousAngle = m_angle;
    m_angle = GaugeAngle(m_value, m_hiLimit, m_lowLimit);
    m_sweep->moveTo(m_angle);
}

void TComparatorForm::soundAlarm() {
    const int hz = AlarmToneHz(m_value, m_hiLimit, m_lowLimit);
    if (hz == 0)
        return;
    if (!m_tones) {
        m_ownTones = MakeAlarmTones();
        m_tones = m_ownTones.get();
    }
    if (m_tones)
        m_tones->playTone(hz, kToneMs);
}

void TComparatorForm::bbtnAlartClick() {
    m_alarm = !m_alarm;
    bbtnAlart->setText(m_alarm ? QStringLiteral("ON") : QStringLiteral("OFF"));
}

void TComparatorForm::bbtnHiLowLimitClick() {
    if (!m_limitDialog)
        return;
    m_limitDialog->function = m_function;
    m_limitDialog->hiLimit = m_hiLimit;
    m_limitDialog->lowLimit = m_lowLimit;
    m_limitDialog->prefixLabel = m_prefixLabel;
    m_limitDialog->unitLabel = m_unitLabel;
    if (m_limitDialog->exec() == QDialog::Accepted)
        setLimits(m_limitDialog->hiLimit, m_limitDialog->lowLimit);
}

int TComparatorForm::faceLeft() const {
    return (width() - MeterPictureSize(kComparatorFacePicture).width()) / 2;
}

QPoint TComparatorForm::pivot() const {
    return {width() / 2, kComparatorPivotY};
}

bool TComparatorForm::frame() {
    // A new reading starts a sweep with its first position; otherwise the
    // sweep under way goes on.
    if (m_thread->deliverNewest())
        return true;
    return m_sweep->advance();
}

void TComparatorForm::resizeEvent(QResizeEvent* event) {
    ShowingWidget::resizeEvent(event);
    // The buttons under the face, the limit rows beside the limit button.
    const int left = faceLeft();
    const QSize face = MeterPictureSize(kComparatorFacePicture);
    bbtnAlart->setGeometry(left, face.height() + 1, face.width(), kComparatorButtonHeight);
    bbtnHiLowLimit->setGeometry(left, bbtnAlart->y() + bbtnAlart->height() + 1, kLimitButtonWidth,
                                kComparatorLimitButtonHeight);
    const int rowLeft = bbtnHiLowLimit->x() + bbtnHiLowLimit->width() + 5;
    const int rowWidth = left + face.width() - rowLeft;
    Panel1->setGeometry(rowLeft, bbtnHiLowLimit->y(), rowWidth, kComparatorLimitRowHeight);
    Panel2->setGeometry(rowLeft, Panel1->y() + Panel1->height() + kComparatorLimitRowGap, rowWidth,
                        kComparatorLimitRowHeight);
}

void TComparatorForm::paintEvent(QPaintEvent* event) {
    const int left = faceLeft();
    const QSize face = MeterPictureSize(kComparatorFacePicture);
    const QSize overlay = MeterPictureSize(kComparatorOverlayPicture);
    const MeterBackdrop::Placed pictures = {
        {kComparatorFacePicture, {left, 0}},
        {kComparatorOverlayPicture,
         {left + (face.width() - overlay.width()) / 2, kComparatorOverlayTop}}};
    QPainter painter(this);
    DrawPixmapInBands(painter, event->region(), m_backdrop.of(*this, pictures));
    m_sweep->paint(painter);
}

bool TComparatorForm::event(QEvent* event) {
    if (event->type() == EventType(kMsgReset)) {
        resetValue();
        drawGauge();
        return true;
    }
    return ShowingWidget::event(event);
}

} // namespace ostrel
