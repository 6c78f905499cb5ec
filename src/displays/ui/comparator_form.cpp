#include "displays/ui/comparator_form.h"

#include "base/number_format.h"
#include "base/string_table.h"
#include "base/ui/window_messages.h"
#include "displays/panel_geometry.h"
#include "displays/ui/hi_low_dialog.h"
#include "displays/ui/live_windows.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace ostrel {
namespace {

QWidget* LimitRow(QWidget* parent, QLabel*& limit, QLabel*& unit, QLabel*& func) {
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    limit = new QLabel(row);
    unit = new QLabel(row);
    func = new QLabel(row);
    unit->setFixedWidth(19);
    func->setFixedWidth(20);
    layout->addWidget(limit, 1);
    layout->addWidget(unit);
    layout->addWidget(func);
    return row;
}

} // namespace

TComparatorForm::TComparatorForm(AcquisitionState& state, double hiLimit, double lowLimit,
                                 QWidget* parent)
    : ShowingWidget(parent, Qt::Window), m_state(state), m_hiLimit(hiLimit), m_lowLimit(lowLimit) {
    setObjectName(QStringLiteral("ComparatorForm"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(QString::fromUtf8(Text(102).data(), static_cast<int>(Text(102).size())));
    setWindowIcon(DisplayIcon(5));

    const ScreenMetrics metrics = CurrentScreenMetrics(this);
    const PixelRect place = ComparatorPlacement(metrics);
    PlaceWindow(this, place);

    // The buttons under the face picture, the limit rows beside the limit button.
    const int faceLeft = (place.width - kComparatorFaceWidth) / 2;
    bbtnAlart = new QPushButton(QStringLiteral("OFF"), this);
    bbtnAlart->setGeometry(faceLeft, kComparatorFaceHeight + 1, kComparatorFaceWidth,
                           kComparatorButtonHeight);
    bbtnHiLowLimit = new QPushButton(QStringLiteral("Hi/Low"), this);
    bbtnHiLowLimit->setGeometry(faceLeft, bbtnAlart->y() + bbtnAlart->height() + 1, 75,
                                kComparatorButtonHeight);
    const int rowHeight = (kComparatorButtonHeight - 3) / 2;
    const int rowLeft = bbtnHiLowLimit->x() + bbtnHiLowLimit->width() + 5;
    const int rowWidth = faceLeft + kComparatorFaceWidth - rowLeft;
    Panel1 = LimitRow(this, HiLimitPanel, HiUnitPanel, HiFuncPanel);
    Panel1->setGeometry(rowLeft, bbtnHiLowLimit->y(), rowWidth, rowHeight);
    Panel2 = LimitRow(this, LowLimitPanel, LowUnitPanel, LowFuncPanel);
    Panel2->setGeometry(rowLeft, Panel1->y() + rowHeight + 3, rowWidth, rowHeight);
    connect(bbtnAlart, &QPushButton::clicked, this, &TComparatorForm::bbtnAlartClick);
    connect(bbtnHiLowLimit, &QPushButton::clicked, this, &TComparatorForm::bbtnHiLowLimitClick);
    showLimits();

    m_thread = std::make_unique<TComparatorThread>(
        m_state, WindowThreadPoster(this), [this] { return isShowing(); },
        [this](const ComparatorCopy& copy) { takeReading(copy); });
}

TComparatorForm::~TComparatorForm() {
    stopUpdateThread();
}

void TComparatorForm::stopUpdateThread() {
    if (m_thread)
        m_thread->stop();
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

void TComparatorForm::resetValue() {
    m_value = static_cast<float>((m_hiLimit + m_lowLimit) / 2.0);
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
    update();
}

void TComparatorForm::bbtnAlartClick() {
    m_alarm = !m_alarm;
    bbtnAlart->setText(m_alarm ? QStringLiteral("ON") : QStringLiteral("OFF"));
}

void TComparatorForm::bbtnHiLowLimitClick() {
    if (!m_limitDialog)
        m_limitDialog = TheLiveWindows().limitDialog;
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

bool TComparatorForm::event(QEvent* event) {
    if (event->type() == EventType(kMsgReset)) {
        resetValue();
        update();
        return true;
    }
    return ShowingWidget::event(event);
}

} // namespace ostrel
