#include "displays/ui/digital_meter_form.h"

#include "base/string_table.h"
#include "base/ui/message_box.h"
#include "displays/ui/frame_pace.h"
#include "displays/ui/glyph_label.h"
#include "displays/ui/live_windows.h"

#include <QCloseEvent>
#include <QFont>
#include <QPalette>

#include <algorithm>
#include <chrono>
#include <map>

namespace ostrel {
namespace {

// The first part of the window's caption, "Digital Meter".
constexpr int kDigitalMeterCaptionText = 100;

const QColor kBlack(0, 0, 0);
const QColor kLime(0, 255, 0);
const QColor kRed(255, 0, 0);
const char* const kMeterTypeface = "Arial";

void SetPoints(QLabel* panel, int points) {
    points = std::max(1, points); // a tiny window must not ask for size 0
    if (panel->font().pointSize() == points)
        return;
    QFont font = panel->font();
    font.setPointSize(points);
    panel->setFont(font);
}

void SetRect(QWidget* w, const PixelRect& r) {
    w->setGeometry(r.left, r.top, r.width, r.height);
}

// A panel whose size the window's layout sets: fixed at it, so that a new
// text, which changes the label's size hint, asks no layout of its parent
// (a fixed-size widget posts no layout request).
void SetPanelRect(QWidget* w, const PixelRect& r) {
    w->setFixedSize(std::max(0, r.width), std::max(0, r.height));
    w->move(r.left, r.top);
}

// The blinking window icon as pictures of the sizes title bars and task bars
// show. The window system is sent every size of the icon each time it
// changes: drawn from its SVG that would be four sizes up to 128 pixels.
QIcon WindowIcon(int resource) {
    static std::map<int, QIcon> icons; // window thread only
    auto it = icons.find(resource);
    if (it == icons.end()) {
        QIcon icon;
        for (int side : {16, 32})
            icon.addPixmap(DisplayIcon(resource).pixmap(side, side));
        it = icons.emplace(resource, icon).first;
    }
    return it->second;
}

// The icon blinks with the readings, but no faster than the eye follows.
constexpr std::chrono::milliseconds kIconBlink{200};

} // namespace

TDigitalMeterForm::TDigitalMeterForm(LiveState& state, QWidget* mainWindow)
    : QWidget(nullptr), m_state(state), m_mainWindow(mainWindow) {
    setObjectName(QStringLiteral("DigitalMeterForm"));

    // Minimise and maximise, but no Close: the window can't be closed or hidden.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowMaximizeButtonHint);
    setWindowTitle(caption(false));
    setIcon(2);

    PanelLcd = new QWidget(this);
    PanelLcd->setObjectName(QStringLiteral("PanelLcd"));
    PanelLcd->setAutoFillBackground(true);
    QPalette black = PanelLcd->palette();
    black.setColor(QPalette::Window, kBlack);
    PanelLcd->setPalette(black);
    pnlSubLcd = new QWidget(PanelLcd);
    pnlSubLcd->setObjectName(QStringLiteral("pnlSubLcd"));
    pnlMainLcd = new QWidget(PanelLcd);
    pnlMainLcd->setObjectName(QStringLiteral("pnlMainLcd"));

    pnlLB = makePanel(pnlSubLcd, false);
    pnlLB->setObjectName(QStringLiteral("pnlLB"));
    pnlSubAcDc = makePanel(pnlSubLcd, true);
    pnlSubAcDc->setObjectName(QStringLiteral("pnlSubAcDc"));
    SubDataPanel = makePanel(pnlSubLcd, true);
    SubDataPanel->setObjectName(QStringLiteral("SubDataPanel"));
    pnlAcDc = makePanel(pnlMainLcd, true);
    pnlAcDc->setObjectName(QStringLiteral("pnlAcDc"));
    DataPanel = makePanel(pnlMainLcd, true);
    DataPanel->setObjectName(QStringLiteral("DataPanel"));
    UnitPanel = makePanel(pnlMainLcd, true);
    UnitPanel->setObjectName(QStringLiteral("UnitPanel"));
    FuncPanel = makePanel(pnlMainLcd, true);
    FuncPanel->setObjectName(QStringLiteral("FuncPanel"));

    const ScreenMetrics metrics = CurrentScreenMetrics(mainWindow, mainWindow);
    const PixelSize smallest = DigitalMeterMinimumSize(metrics);
    const PixelRect largest = DigitalMeterMaximised(metrics);
    if (smallest.width > 0 && smallest.height > 0)
        SetFrameSizeLimits(this, smallest, {largest.width, largest.height});
    PlaceWindow(this, DigitalMeterPlacement(metrics));
    applyLayout();
    clearDisplay();

    // The window takes the newest reading at its frames, at the readout's pace.
    m_tick = std::make_unique<FrameTick>(this, [this] {
        if (!m_thread->deliverNewest())
            return false;
        m_tick->holdFor(kReadoutFrame, [this] { return m_thread->holdsNewest(); });
        return true;
    });
    m_thread = std::make_unique<TDigitalMeterThread>(
        m_state, WindowThreadPoster(this),
        [this](const MeterReading& reading, bool toggle) {
            // A reading handed over just before an unlink arrives after the
            // unlink's clear: an unlinked window stays clear.
            if (m_state.isLinked())
                showReading(reading, toggle);
        },
        [this] { clearDisplay(); }, [this] { m_tick->request(); });
    m_thread->setFrameInterval(SteadyFrameInterval(this));
    m_thread->setIconBlinkInterval(kIconBlink);
}

TDigitalMeterForm::~TDigitalMeterForm() {
    stopUpdateThread();
}

void TDigitalMeterForm::stopUpdateThread() {
    if (m_thread)
        m_thread->stop();
}

QString TDigitalMeterForm::caption(bool linked) {
    return QText(kDigitalMeterCaptionText) +
           (linked ? QStringLiteral(" : USB Device") : QStringLiteral(" : No Device"));
}

GlyphLabel* TDigitalMeterForm::makePanel(QWidget* parent, bool meterLook) {
    auto* panel = new GlyphLabel(parent);
    panel->setAlignment(Qt::AlignCenter);
    panel->setAutoFillBackground(true);
    panel->setTextFormat(Qt::PlainText);
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, kBlack);
    if (meterLook) {
        palette.setColor(QPalette::WindowText, kLime);
        QFont font(QString::fromLatin1(kMeterTypeface));
        panel->setFont(font);
    }
    panel->setPalette(palette);
    return panel;
}

void TDigitalMeterForm::setBackground(QLabel* panel, const QColor& colour) {
    if (panel->palette().color(QPalette::Window) == colour)
        return;
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, colour);
    panel->setPalette(palette);
}

void TDigitalMeterForm::setIcon(int resource) {
    if (resource == m_iconResource && !windowIcon().isNull())
        return;
    m_iconResource = resource;
    setWindowIcon(WindowIcon(resource));
}

DigitalMeterLayout TDigitalMeterForm::layoutNow() const {
    const int dpi = DataPanel ? DataPanel->logicalDpiY() : 96;
    return ComputeDigitalMeterLayout(width(), height(), dpi);
}

void TDigitalMeterForm::applyLayout() {
    if (!PanelLcd)
        return;
    const DigitalMeterLayout l = layoutNow();
    SetRect(PanelLcd, l.panelLcd);
    SetRect(pnlSubLcd, l.subLcd);
    // The main line's panels are placed in the window's coordinates by the
    // layout; their container starts below the sub line.
    SetRect(pnlMainLcd, l.mainLcd);
    const auto inMain = [&](PixelRect r) {
        r.top -= l.mainLcd.top;
        return r;
    };
    const std::pair<QLabel*, PanelPlacement> sub[] = {
        {pnlLB, l.lowBattery}, {pnlSubAcDc, l.subCoupling}, {SubDataPanel, l.subData}};
    for (const auto& [panel, place] : sub) {
        SetPanelRect(panel, place.rect);
        SetPoints(panel, place.fontPoints);
    }
    const std::pair<QLabel*, PanelPlacement> main[] = {
        {pnlAcDc, l.coupling}, {DataPanel, l.data}, {UnitPanel, l.unit}, {FuncPanel, l.func}};
    for (const auto& [panel, place] : main) {
        SetPanelRect(panel, inMain(place.rect));
        SetPoints(panel, place.fontPoints);
    }
}

void TDigitalMeterForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    applyLayout();
}

void TDigitalMeterForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The screen may be another one now.
    m_thread->setFrameInterval(SteadyFrameInterval(this));
    for (QLabel* panel :
         {pnlLB, pnlSubAcDc, SubDataPanel, pnlAcDc, DataPanel, UnitPanel, FuncPanel})
        setBackground(panel, kBlack);
    m_lowBatteryShown.reset(); // the next reading sets the mark again
}

void TDigitalMeterForm::closeEvent(QCloseEvent* event) {
    // Close is disabled for the user; the application's own close at exit
    // (not spontaneous) goes through.
    if (event->spontaneous())
        event->ignore();
    else
        QWidget::closeEvent(event);
}

void TDigitalMeterForm::setFuncPanelText(const std::string& secondLabel, int function) {
    SetPoints(FuncPanel, FuncPanel->width() / 2);
    FuncPanel->setAlignment(Qt::AlignCenter);
    // Where the window would draw the label in the "Symbol" typeface, the
    // letter "W" is the ohm sign: draw the Greek letters themselves.
    if (UsesSymbolUnit(function))
        FuncPanel->showText(QString::fromStdString(SymbolTypefaceText(secondLabel)));
    else
        FuncPanel->showText(MeterText(secondLabel));
}

void TDigitalMeterForm::showReading(const MeterReading& reading, bool iconToggle) {
    // Looking up a panel's colour costs more than all the texts: the mark is
    // set only when it changes.
    const bool lowBattery = reading.lowBattery != 0;
    if (m_lowBatteryShown != lowBattery) {
        setBackground(pnlLB, lowBattery ? kRed : kBlack);
        pnlLB->showText(lowBattery ? QStringLiteral("LB") : QString());
        m_lowBatteryShown = lowBattery;
    }
    // Each panel repaints only the glyphs its new text changes.
    pnlAcDc->showText(MeterText(reading.main.couplingText));
    DataPanel->showText(MeterText(reading.main.valueText));
    UnitPanel->showText(MeterText(FieldText(reading.main.firstLabelField)));
    setFuncPanelText(FieldText(reading.main.secondLabelField), reading.main.function);
    pnlSubAcDc->showText(MeterText(reading.sub.couplingText));
    SubDataPanel->showText(MeterText(FieldText(reading.sub.valueField) +
                                     FieldText(reading.sub.firstLabelField) +
                                     FieldText(reading.sub.secondLabelField)));
    setIcon(iconToggle ? 8 : 2);
}

void TDigitalMeterForm::clearDisplay() {
    for (QLabel* panel :
         {DataPanel, UnitPanel, FuncPanel, pnlAcDc, pnlLB, pnlSubAcDc, SubDataPanel})
        panel->setText(QString());
    setBackground(pnlLB, kBlack);
    m_lowBatteryShown = false;
    setIcon(2);
}

} // namespace ostrel
