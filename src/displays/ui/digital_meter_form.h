#pragma once
// The digital meter window: mirrors the meter's display, a large main line
// (coupling, value, prefix, unit) under a smaller sub line with the
// low-battery mark. Its update thread is the first to learn of each reading.

#include "displays/live_state.h"
#include "displays/panel_geometry.h"
#include "displays/ui/frame_pace.h"
#include "displays/ui/glyph_label.h"
#include "displays/update_threads.h"
#include "link/reading.h"

#include <QLabel>
#include <QPointer>
#include <QWidget>

#include <memory>
#include <optional>

namespace ostrel {

class TDigitalMeterForm : public QWidget {
    Q_OBJECT
  public:
    TDigitalMeterForm(LiveState& state, QWidget* mainWindow);
    ~TDigitalMeterForm() override;

    // Empty every panel, "LB" off, icon 2. Window thread (the unlink calls it).
    void clearDisplay();
    // Show a reading; iconToggle picks the icon (false 2, true 8). Window thread.
    void showReading(const MeterReading& reading, bool iconToggle);
    // Wake the update thread and wait for its end. Window thread; idempotent.
    void stopUpdateThread();

    // The caption for the link status: "Digital Meter : USB Device" or " : No Device".
    static QString caption(bool linked);
    // The icon resource shown now (2 idle, 8 the other half of the blink).
    int iconResource() const { return m_iconResource; }
    // The panels' rectangles and fonts for the current client size.
    DigitalMeterLayout layoutNow() const;

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    // Controls.
    QWidget* PanelLcd = nullptr;
    QWidget* pnlSubLcd = nullptr;
    GlyphLabel* pnlLB = nullptr;
    GlyphLabel* pnlSubAcDc = nullptr;
    GlyphLabel* SubDataPanel = nullptr;
    QWidget* pnlMainLcd = nullptr;
    GlyphLabel* pnlAcDc = nullptr;
    GlyphLabel* DataPanel = nullptr;
    GlyphLabel* UnitPanel = nullptr;
    GlyphLabel* FuncPanel = nullptr;

    GlyphLabel* makePanel(QWidget* parent, bool meterLook);
    void applyLayout();
    void setBackground(QLabel* panel, const QColor& colour);
    void setIcon(int resource);
    void setFuncPanelText(const std::string& secondLabel, int function);

    LiveState& m_state;
    QPointer<QWidget> m_mainWindow;
    int m_iconResource = 2;
    std::optional<bool> m_lowBatteryShown; // the mark as set, when known
    std::unique_ptr<FrameTick> m_tick;
    std::unique_ptr<TDigitalMeterThread> m_thread;
};

} // namespace ostrel
