#include "recorder/ui/interval_dialog.h"

#include "base/string_table.h"
#include "base/ui/message_box.h"
#include "base/ui/message_dialogs.h"
#include "base/ui/pictures.h"
#include "graph/ui/graph_window_texts.h"
#include "recorder/recorder_engine.h"

#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace ostrel {
namespace {

constexpr int kCaptionText = 7016;
constexpr int kModeText = 7017;
constexpr int kManualText = 7013;
constexpr int kAutomaticText = 7018;
constexpr int kFullSpeedText = 7014;
constexpr int kCustomText = 7019;
constexpr int kAskCaptionText = 7015;
constexpr int kAskPromptText = 7020;
constexpr int kExpectedSecondsText = 9022;

std::optional<QString> AskWithInputDialog(QWidget* owner, const QString& caption,
                                          const QString& prompt, const QString& preset) {
    bool ok = false;
    const QString text =
        QInputDialog::getText(owner, caption, prompt, QLineEdit::Normal, preset, &ok);
    return ok ? std::optional<QString>(text) : std::nullopt;
}

} // namespace

TDialogOption::TDialogOption(QWidget* parent) : QDialog(parent) {
    setObjectName("DialogOption");
    setWindowTitle(QText(kCaptionText));
    m_inputBox = [this](const QString& caption, const QString& prompt, const QString& preset) {
        return AskWithInputDialog(this, caption, prompt, preset);
    };

    Image1 = new QLabel(this);
    Image1->setObjectName("Image1");
    Image1->setPixmap(ResourceIcon(7).pixmap(32, 32));
    Image1->setAlignment(Qt::AlignTop);

    buildModeGroup();

    auto* bevel = new QFrame(this);
    bevel->setFrameShape(QFrame::HLine);
    bevel->setFrameShadow(QFrame::Sunken);
    btnOk = new QPushButton(QStringLiteral("OK"), this);
    btnOk->setObjectName("btnOk");
    btnOk->setDefault(true);
    bbtnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    bbtnCancel->setObjectName("bbtnCancel");

    auto* top = new QHBoxLayout;
    top->addWidget(Image1);
    top->addWidget(rgIntervalMode, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOk);
    buttons->addWidget(bbtnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(bevel);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connectControls();
}

// Manual, or Automatic with its interval list.
void TDialogOption::buildModeGroup() {
    rgIntervalMode = new QGroupBox(QText(kModeText), this);
    rgIntervalMode->setObjectName("rgIntervalMode");
    rbtnManual = new QRadioButton(QText(kManualText), rgIntervalMode);
    rbtnManual->setObjectName("rbtnManual");
    rbtnAutomatic = new QRadioButton(QText(kAutomaticText), rgIntervalMode);
    rbtnAutomatic->setObjectName("rbtnAutomatic");
    cbxInterval = new QComboBox(rgIntervalMode);
    cbxInterval->setObjectName("cbxInterval");
    cbxInterval->setEditable(false);
    cbxInterval->addItem(QText(kFullSpeedText));
    cbxInterval->addItem(QText(kCustomText));
    cbxInterval->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    auto* automatic = new QHBoxLayout;
    automatic->addWidget(rbtnAutomatic);
    automatic->addWidget(cbxInterval);
    automatic->addStretch();
    auto* modes = new QVBoxLayout(rgIntervalMode);
    modes->addWidget(rbtnManual);
    modes->addLayout(automatic);
}

void TDialogOption::connectControls() {
    connect(rbtnManual, &QRadioButton::clicked, this, &TDialogOption::rbtnManualClick);
    connect(rbtnAutomatic, &QRadioButton::clicked, this, &TDialogOption::rbtnAutomaticClick);
    // Each choice of the user, also choosing "Customization..." again to
    // enter another number.
    connect(cbxInterval, &QComboBox::activated, this, &TDialogOption::cbxIntervalChange);
    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(bbtnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TDialogOption::showEvent(QShowEvent* event) {
    rbtnManual->setChecked(manual);
    rbtnAutomatic->setChecked(!manual);
    cbxInterval->setEnabled(!manual);
    cbxInterval->setCurrentIndex(seconds != 0 ? 1 : 0);
    QDialog::showEvent(event);
    CentreOnScreen(this);
}

void TDialogOption::rbtnManualClick() {
    manual = rbtnManual->isChecked();
    cbxInterval->setEnabled(!manual);
}

void TDialogOption::rbtnAutomaticClick() {
    manual = rbtnManual->isChecked();
    cbxInterval->setEnabled(!manual);
}

void TDialogOption::cbxIntervalChange() {
    if (cbxInterval->currentIndex() != 1) {
        seconds = 0;
        return;
    }
    for (;;) {
        const std::optional<QString> answer =
            m_inputBox(QText(kAskCaptionText), QText(kAskPromptText), QString::number(seconds));
        int value = 0;
        const IntervalEntry entry =
            answer ? ReadIntervalEntry(answer->toStdString(), &value) : IntervalEntry::NotANumber;
        if (entry == IntervalEntry::Seconds) {
            seconds = value;
            return;
        }
        if (entry == IntervalEntry::OutOfRange) {
            // A number, but not a whole number of seconds the timer can
            // take: say what is expected and ask again.
            ShowNumberedMessage(this, kErrorCaption, kExpectedSecondsText);
            continue;
        }
        // Cancelled, or no number at all: the seconds stay, and the item
        // shows what they mean.
        if (answer)
            ShowNumberedMessage(this, kErrorCaption, kNotANumberText);
        cbxInterval->setCurrentIndex(seconds != 0 ? 1 : 0);
        return;
    }
}

} // namespace ostrel
