#include "displays/ui/displays_placeholder.h"

#include "app/ui/pictures.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>

namespace ostrel {
namespace {
QRect Screen() {
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->geometry() : QRect(0, 0, 1024, 768);
}
} // namespace

TDigitalMeterForm::TDigitalMeterForm(AcquisitionState&, QWidget* mainWindow)
    : QWidget(nullptr, Qt::Window) {
    setWindowTitle("Digital Meter : No Device");
    setWindowIcon(ResourceIcon(2));
    const int top = mainWindow ? mainWindow->frameGeometry().height() : 0;
    setGeometry(0, top, Screen().width() / 4, (Screen().height() - top) / 4);
}
void TDigitalMeterForm::clearDisplay() {}

TAnalogMeterForm::TAnalogMeterForm(AcquisitionState&, QWidget* parent)
    : QWidget(parent, Qt::Window) {
    setWindowTitle("Analog Meter");
    setWindowIcon(ResourceIcon(1));
    resize(Screen().width() / 4, 178 + 4 * 3 + 20);
}
bool TAnalogMeterForm::event(QEvent* e) {
    if (e->type() == QEvent::Type(1026)) {
        ++resets;
        return true;
    }
    return QWidget::event(e);
}

TDlgHiLowForm::TDlgHiLowForm(QWidget* parent) : QDialog(parent) {}

TComparatorForm::TComparatorForm(AcquisitionState&, double hi, double low, QWidget* parent)
    : QWidget(parent, Qt::Window), m_hi(hi), m_low(low) {
    setWindowTitle("Comparator");
    setWindowIcon(ResourceIcon(5));
}
bool TComparatorForm::event(QEvent* e) {
    if (e->type() == QEvent::Type(1026)) {
        ++resets;
        return true;
    }
    return QWidget::event(e);
}

TDataStringGridForm::TDataStringGridForm(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle("Data list");
    setWindowIcon(ResourceIcon(4));
}

} // namespace ostrel
