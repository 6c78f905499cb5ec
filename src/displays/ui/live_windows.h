#pragma once
// What the live windows share on the window thread: where they stand on the
// screen (the main window's and the meters' heights decide the placement of
// the windows below them), their pictures, and the poster that queues an
// update thread's routine on the window thread.

#include "base/ui/window_thread_hand_over.h"
#include "displays/panel_geometry.h"

#include <QIcon>
#include <QLabel>
#include <QMargins>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

#include <string>

namespace ostrel {

// The windows that a live window places itself below when it is made: the
// start-up fills this in as it creates the windows top to bottom and hands it
// to each one it creates after them. Empty: nothing above but the screen.
struct LiveWindows {
    QPointer<QWidget> mainWindow;
    QPointer<QWidget> digitalMeter;
    QPointer<QWidget> analogMeter;
};

// Outer height of a window (frame included once it has one); 0 for none.
int OuterHeight(const QWidget* window);

// The screen, frame and main-window figures for placing a live window: the
// screen of reference (else of the main window, else the primary one) and the
// main window's outer height.
ScreenMetrics CurrentScreenMetrics(const QWidget* reference, const QWidget* mainWindow);

// Place a top-level window so that its outer rectangle (frame included, as
// far as the frame is known yet) is rect.
void PlaceWindow(QWidget* window, const PixelRect& rect);

// The frame the window system put around a shown top-level window (none
// before it shows, and none without a window manager).
QMargins WindowFrame(const QWidget* window);

// The size limits of a window's frame (decorations included), as the
// placement formulas give them. The client's limits are these less the frame
// the window has; RefitFrameSizeLimits applies them again once the window
// system has framed the window.
void SetFrameSizeLimits(QWidget* window, const PixelSize& smallest, const PixelSize& largest);
void RefitFrameSizeLimits(QWidget* window);

// The live windows' pictures by resource number: 1 analog meter, 2 and 8 the
// digital meter (idle and blinking), 4 data list, 5 comparator.
QIcon DisplayIcon(int resource);

// A panel of the meters' look: lime text on black, centred, in Arial of
// points size.
QLabel* MeterPanel(QWidget* parent, int points);

// Meter texts are 8-bit; the Symbol-typeface mapping yields UTF-8.
inline QString MeterText(const std::string& text) {
    return QString::fromLatin1(text);
}

} // namespace ostrel
