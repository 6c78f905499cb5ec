#pragma once
// TTriggerDialog: the recorder's start and stop conditions ("Trigger..." in
// the Acquisition menu). A check and a text per condition, under one check
// that turns them all on or off; OK reads the texts and refuses, with a
// numbered message and the cursor in the entry, the first one that does not
// read. The entries are kept in the user's settings as typed.

#include "recorder/trigger_entries.h"

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

namespace ostrel {

// The entries of the user's settings (all off when none were kept).
TriggerEntries LoadTriggerEntries();
void SaveTriggerEntries(const TriggerEntries& entries);

class TTriggerDialog : public QDialog {
    Q_OBJECT
  public:
    explicit TTriggerDialog(QWidget* parent = nullptr);

    void setEntries(const TriggerEntries& entries);
    TriggerEntries entries() const;
    // After OK: the settings the entries give.
    const TriggerSettings& settings() const { return m_settings; }

    void accept() override; // reads the entries; stays open on a refusal

  private:
    // The controls; tests and the desktop journeys find them by object name.
    QCheckBox* chkEnabled;
    QGroupBox* gbStart;
    QGroupBox* gbStop;
    QCheckBox* chkField[kTriggerFieldCount];
    QLineEdit* edtField[kTriggerFieldCount];
    QPushButton* btnOk;
    QPushButton* btnCancel;

    void refreshEnables();

    TriggerSettings m_settings;
};

} // namespace ostrel
