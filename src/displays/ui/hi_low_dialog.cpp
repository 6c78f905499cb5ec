#include "displays/ui/hi_low_dialog.h"

#include "base/number_format.h"
#include "base/string_table.h"
#include "base/ui/message_box.h"
#include "displays/panel_geometry.h"
#include "displays/ui/live_windows.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace ostrel {
namespace {

QString Qt8(const std::string& text) {
    return QString::fromLatin1(text);
}

} // namespace

int CheckLimitEntries(const std::string& upperText, const std::string& lowerText, double& upper,
                      double& lower) {
    double u = 0.0;
    double l = 0.0;
    if (!ParseReal(upperText, &u))
        return 9007;
    if (!ParseReal(lowerText, &l))
        return 9007;
    // A limit is kept in the configuration file in the general format: one
    // that would not read back from there is refused here.
    if (!GeneralFormReadsBack(u) || !GeneralFormReadsBack(l))
        return 9030;
    if (!(u > l))
        return 9008;
    upper = u;
    lower = l;
    return 0;
}

TDlgHiLowForm::TDlgHiLowForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("DlgHiLowForm"));
    setWindowTitle(QStringLiteral("Comparator Hi-Low limit setting"));
    setModal(true);

    auto* grid = new QGridLayout;
    mkeHiLimit = new QLineEdit(this);
    mkeHiLimit->setObjectName(QStringLiteral("mkeHiLimit"));
    mkeLowLimit = new QLineEdit(this);
    mkeLowLimit->setObjectName(QStringLiteral("mkeLowLimit"));
    stxtHiUnit = new QLabel(this);
    stxtHiUnit->setObjectName(QStringLiteral("stxtHiUnit"));
    stxtLowUnit = new QLabel(this);
    stxtLowUnit->setObjectName(QStringLiteral("stxtLowUnit"));
    stxtHiFunc = new QLabel(this);
    stxtHiFunc->setObjectName(QStringLiteral("stxtHiFunc"));
    stxtLowFunc = new QLabel(this);
    stxtLowFunc->setObjectName(QStringLiteral("stxtLowFunc"));
    grid->addWidget(new QLabel(QStringLiteral("Upper-Limit : "), this), 0, 0);
    grid->addWidget(mkeHiLimit, 0, 1);
    grid->addWidget(stxtHiUnit, 0, 2);
    grid->addWidget(stxtHiFunc, 0, 3);
    grid->addWidget(new QLabel(QStringLiteral("Lower-Limit : "), this), 1, 0);
    grid->addWidget(mkeLowLimit, 1, 1);
    grid->addWidget(stxtLowUnit, 1, 2);
    grid->addWidget(stxtLowFunc, 1, 3);

    bbtnOk = new QPushButton(QStringLiteral("OK"), this);
    bbtnOk->setObjectName(QStringLiteral("bbtnOk"));
    bbtnOk->setDefault(true);
    bbtnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    bbtnCancel->setObjectName(QStringLiteral("bbtnCancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(bbtnOk);
    buttons->addWidget(bbtnCancel);
    auto* column = new QVBoxLayout(this);
    column->addLayout(grid);
    column->addLayout(buttons);
    connect(bbtnOk, &QPushButton::clicked, this, &TDlgHiLowForm::bbtnOkClick);
    connect(bbtnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TDlgHiLowForm::showStoredValues() {
    // In a form that reads back: a limit taken from the configuration file
    // that the general format would round out of range is shown exactly.
    mkeHiLimit->setText(QString::fromStdString(FormatGeneralReadable(hiLimit)));
    mkeLowLimit->setText(QString::fromStdString(FormatGeneralReadable(lowLimit)));
    // Temperatures put their degree sign beside the number, right against it.
    const bool degrees = function == 0x20 || function == 0x40;
    const bool symbolUnit = degrees || UsesSymbolUnit(function);
    for (QLabel* unit : {stxtHiUnit, stxtLowUnit}) {
        unit->setAlignment(degrees ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignCenter);
        unit->setText(degrees ? QString::fromStdString(SymbolTypefaceText(prefixLabel))
                              : Qt8(prefixLabel));
    }
    for (QLabel* func : {stxtHiFunc, stxtLowFunc}) {
        func->setAlignment(degrees ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
        func->setText(symbolUnit && !degrees ? QString::fromStdString(SymbolTypefaceText(unitLabel))
                                             : Qt8(unitLabel));
    }
}

void TDlgHiLowForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    showStoredValues();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.center() - rect().center());
    }
}

void TDlgHiLowForm::bbtnOkClick() {
    m_lastMessage = CheckLimitEntries(mkeHiLimit->text().toStdString(),
                                      mkeLowLimit->text().toStdString(), hiLimit, lowLimit);
    if (m_lastMessage == 0) {
        accept();
        return;
    }
    ShowNumberedMessage(this, kErrorCaption, m_lastMessage);
}

} // namespace ostrel
