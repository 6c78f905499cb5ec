#include "graph/ui/line_colour_dialog.h"

#include "base/ui/message_box.h"
#include "base/ui/message_dialogs.h"
#include "graph/ui/graph_window_texts.h"

#include <QColorDialog>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace ostrel {
namespace {

constexpr int kLineColourCaption = 7152; // "Graph Line Color"
constexpr int kColourDefaultText = 7153; // "Default"

} // namespace

ColourBar::ColourBar(QWidget* parent) : QWidget(parent) {
    setMinimumSize(60, 14);
}

void ColourBar::setBrushColor(const QColor& colour) {
    m_colour = colour;
    update();
}

void ColourBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(Qt::black);
    painter.setBrush(m_colour);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

TdlgGraphLineColor::TdlgGraphLineColor(QWidget* parent) : QDialog(parent) {
    setObjectName("dlgGraphLineColor");
    setWindowTitle(QText(kLineColourCaption));
    chooseColour = [](const QColor& initial, QWidget* owner) {
        return QColorDialog::getColor(initial, owner);
    };

    auto* panel = new QFrame(this);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    btnLineColor1 = new QPushButton(panel);
    btnLineColor1->setObjectName("btnLineColor1");
    btnLineColor2 = new QPushButton(panel);
    btnLineColor2->setObjectName("btnLineColor2");
    ShapeLineColor1 = new ColourBar(panel);
    ShapeLineColor1->setObjectName("ShapeLineColor1");
    ShapeLineColor2 = new ColourBar(panel);
    ShapeLineColor2->setObjectName("ShapeLineColor2");
    auto* grid = new QGridLayout(panel);
    grid->addWidget(btnLineColor1, 0, 0);
    grid->addWidget(ShapeLineColor1, 0, 1);
    grid->addWidget(btnLineColor2, 1, 0);
    grid->addWidget(ShapeLineColor2, 1, 1);
    grid->setColumnStretch(1, 1);

    btnOK = new QPushButton(QText(kOkText), this);
    btnOK->setObjectName("btnOK");
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QText(kCancelText), this);
    btnCancel->setObjectName("btnCancel");
    btnDefault = new QPushButton(QText(kColourDefaultText), this);
    btnDefault->setObjectName("btnDefault");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    buttons->addWidget(btnDefault);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel);
    layout->addLayout(buttons);

    btnDefaultClick();
    connect(btnLineColor1, &QPushButton::clicked, this, &TdlgGraphLineColor::btnLineColor1Click);
    connect(btnLineColor2, &QPushButton::clicked, this, &TdlgGraphLineColor::btnLineColor2Click);
    connect(btnDefault, &QPushButton::clicked, this, &TdlgGraphLineColor::btnDefaultClick);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TdlgGraphLineColor::choose(ColourBar* bar) {
    const QColor chosen = chooseColour(bar->brushColor(), this);
    if (chosen.isValid())
        bar->setBrushColor(chosen);
}

void TdlgGraphLineColor::btnLineColor1Click() {
    choose(ShapeLineColor1);
}

void TdlgGraphLineColor::btnLineColor2Click() {
    choose(ShapeLineColor2);
}

void TdlgGraphLineColor::btnDefaultClick() {
    ShapeLineColor1->setBrushColor(QColor::fromRgb(kDefaultMain));
    ShapeLineColor2->setBrushColor(QColor::fromRgb(kDefaultSub));
}

QColor TdlgGraphLineColor::mainColour() const {
    return ShapeLineColor1->brushColor();
}

QColor TdlgGraphLineColor::subColour() const {
    return ShapeLineColor2->brushColor();
}

void TdlgGraphLineColor::setButtonTexts(const QString& main, const QString& sub) {
    btnLineColor1->setText(main);
    btnLineColor2->setText(sub);
}

void TdlgGraphLineColor::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreOnScreen(this);
}

} // namespace ostrel
