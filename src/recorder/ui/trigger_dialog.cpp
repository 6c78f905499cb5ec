#include "recorder/ui/trigger_dialog.h"

#include "base/string_table.h"
#include "base/ui/message_box.h"
#include "base/ui/message_dialogs.h"
#include "base/ui/user_settings.h"
#include "graph/ui/graph_window_texts.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace ostrel {
namespace {

constexpr int kTriggerCaptionText = 7222;
constexpr int kEnabledText = 7223;
constexpr int kStartText = 7224;
constexpr int kStopText = 7229;

constexpr int kCrossesAboveText = 7225; // "when the main value crosses above"
constexpr int kCrossesBelowText = 7226; // "when the main value crosses below"
constexpr int kStartAtTimeText = 7227;  // "from the time of day (HH:MM:SS)"
constexpr int kPreSamplesText = 7228;   // "keep this many samples from before the start"
constexpr int kStopCountText = 7230;    // "after this many samples"
constexpr int kStopAfterText = 7231;    // "after this many seconds"
constexpr int kStopAtTimeText = 7232;   // "at the time of day (HH:MM:SS)"

// The label of each field's check, in the order of TriggerField.
constexpr int kFieldText[kTriggerFieldCount] = {
    kCrossesAboveText, kCrossesBelowText, kStartAtTimeText,  kPreSamplesText,  kStopCountText,
    kStopAfterText,    kStopAtTimeText,   kCrossesAboveText, kCrossesBelowText};

const QString kGroup = QStringLiteral("trigger/");

bool InStartGroup(TriggerField field) {
    return field <= TriggerField::Pre;
}

} // namespace

TriggerEntries LoadTriggerEntries() {
    const auto settings = UserSettings();
    TriggerEntries entries;
    entries.enabled = settings->value(kGroup + QStringLiteral("enabled"), false).toBool();
    for (int i = 0; i < kTriggerFieldCount; ++i) {
        const QString key = kGroup + QString::fromLatin1(TriggerFieldKey(TriggerField(i)));
        entries.fields[i].on = settings->value(key + QStringLiteral("On"), false).toBool();
        entries.fields[i].text = settings->value(key, QString()).toString().toStdString();
    }
    return entries;
}

void SaveTriggerEntries(const TriggerEntries& entries) {
    const auto settings = UserSettings();
    settings->setValue(kGroup + QStringLiteral("enabled"), entries.enabled);
    for (int i = 0; i < kTriggerFieldCount; ++i) {
        const QString key = kGroup + QString::fromLatin1(TriggerFieldKey(TriggerField(i)));
        settings->setValue(key + QStringLiteral("On"), entries.fields[i].on);
        settings->setValue(key, QString::fromStdString(entries.fields[i].text));
    }
}

TTriggerDialog::TTriggerDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("TriggerDialog");
    setWindowTitle(QText(kTriggerCaptionText));

    chkEnabled = new QCheckBox(QText(kEnabledText), this);
    chkEnabled->setObjectName("chkEnabled");
    gbStart = new QGroupBox(QText(kStartText), this);
    gbStart->setObjectName("gbStart");
    gbStop = new QGroupBox(QText(kStopText), this);
    gbStop->setObjectName("gbStop");
    auto* startGrid = new QGridLayout(gbStart);
    auto* stopGrid = new QGridLayout(gbStop);
    for (int i = 0; i < kTriggerFieldCount; ++i) {
        const auto field = TriggerField(i);
        QGroupBox* group = InStartGroup(field) ? gbStart : gbStop;
        QGridLayout* grid = InStartGroup(field) ? startGrid : stopGrid;
        const QString key = QString::fromLatin1(TriggerFieldKey(field));
        chkField[i] = new QCheckBox(QText(kFieldText[i]), group);
        chkField[i]->setObjectName(QStringLiteral("chk_") + key);
        edtField[i] = new QLineEdit(group);
        edtField[i]->setObjectName(QStringLiteral("edt_") + key);
        edtField[i]->setMaximumWidth(120);
        const int row = grid->rowCount();
        grid->addWidget(chkField[i], row, 0);
        grid->addWidget(edtField[i], row, 1);
        connect(chkField[i], &QCheckBox::toggled, this, &TTriggerDialog::refreshEnables);
    }
    connect(chkEnabled, &QCheckBox::toggled, this, &TTriggerDialog::refreshEnables);

    btnOk = new QPushButton(QText(kOkText), this);
    btnOk->setObjectName("btnOk");
    btnOk->setDefault(true);
    btnCancel = new QPushButton(QText(kCancelText), this);
    btnCancel->setObjectName("btnCancel");
    connect(btnOk, &QPushButton::clicked, this, &TTriggerDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(chkEnabled);
    layout->addWidget(gbStart);
    layout->addWidget(gbStop);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    refreshEnables();
}

void TTriggerDialog::setEntries(const TriggerEntries& entries) {
    chkEnabled->setChecked(entries.enabled);
    for (int i = 0; i < kTriggerFieldCount; ++i) {
        chkField[i]->setChecked(entries.fields[i].on);
        edtField[i]->setText(QString::fromStdString(entries.fields[i].text));
    }
    refreshEnables();
}

TriggerEntries TTriggerDialog::entries() const {
    TriggerEntries entries;
    entries.enabled = chkEnabled->isChecked();
    for (int i = 0; i < kTriggerFieldCount; ++i) {
        entries.fields[i].on = chkField[i]->isChecked();
        entries.fields[i].text = edtField[i]->text().toStdString();
    }
    return entries;
}

void TTriggerDialog::refreshEnables() {
    const bool on = chkEnabled->isChecked();
    gbStart->setEnabled(on);
    gbStop->setEnabled(on);
    for (int i = 0; i < kTriggerFieldCount; ++i)
        edtField[i]->setEnabled(chkField[i]->isChecked());
}

void TTriggerDialog::accept() {
    const TriggerReading reading = ReadTriggerEntries(entries());
    if (!reading.settings) {
        MessageRequest request;
        request.owner = this;
        request.caption = QNumberedCaption(kErrorCaption, reading.problemText);
        request.text = QString::fromStdString(reading.problem);
        ShowMessage(request);
        if (reading.field) {
            QLineEdit* edit = edtField[static_cast<int>(*reading.field)];
            edit->setFocus();
            edit->selectAll();
        }
        return;
    }
    m_settings = *reading.settings;
    QDialog::accept();
}

} // namespace ostrel
