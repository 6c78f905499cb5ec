#pragma once
// A graphical recorder with its data list, dialogs and a published reading
// the tests choose, in a scratch start-up directory.

#include "find_child.h"

#include "base/ui/message_box.h"
#include "base/ui/message_dialogs.h"
#include "displays/ui/data_list_form.h"
#include "graph/ui/graph_adapter.h"
#include "link/acquisition_state.h"
#include "recorder/ui/graphical_form.h"
#include "recorder/ui/interval_dialog.h"

#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>
#include <string>

namespace ostrel::testing {

// A reading as the meter would publish it: the main display shows text with
// exponent 0 (so the value is the text's number) and the given function.
inline MeterReading Reading(const std::string& text, std::int32_t function = 6,
                            const std::string& unit = "V", bool lowBattery = false) {
    MeterReading r;
    r.main.valueText = text;
    r.main.exponentText = "0";
    r.main.function = function;
    r.main.couplingText = "DC";
    SetField(r.main.valueField, text);
    SetField(r.main.secondLabelField, unit);
    r.lowBattery = lowBattery;
    return r;
}

class RecorderRig {
  public:
    explicit RecorderRig(const QString& directory = QString())
        : dir(directory.isEmpty() ? m_own.path() : directory) {
        form = std::make_unique<TGraphicalForm>(state, dir);
        TGraphicalForm::Collaborators with;
        with.autoMsg = &autoMsg;
        with.progress = &progress;
        with.dataList = &dataList;
        with.option = &option;
        form->setCollaborators(with);
        form->resize(1000, 640);
        form->show();
    }
    ~RecorderRig() { form.reset(); }

    void publish(const MeterReading& reading) {
        std::lock_guard lock(state.readingLock);
        state.reading = reading;
    }
    void link() {
        state.setLinked(true);
        state.setLinkAlive(true);
    }
    // One sample of the given text, as a logger tick while recording.
    void sample(const std::string& text, std::int32_t function = 6) {
        publish(Reading(text, function));
        form->TimerLoggerTimer();
    }
    void setManual(bool manual) {
        form->setDialogRunner([manual](QDialog& d) {
            static_cast<TDialogOption&>(d).manual = manual;
            return int(QDialog::Accepted);
        });
        form->sbtnOptionClick();
    }
    QStringList temporaryFiles() const {
        return QDir(dir).entryList({QStringLiteral("~QDMDL*")}, QDir::Files, QDir::Name);
    }
    // The recorder's graph and the text of a status bar panel.
    GraphAdapter* graph() const { return Child<GraphAdapter>(*form, "PEGraph"); }
    QString status(int panel) const {
        return Child<QLabel>(*form, QStringLiteral("StatusPanel%1").arg(panel))->text();
    }

  private:
    QTemporaryDir m_own;

  public:
    QString dir;
    AcquisitionState state;
    TAutoMsgForm autoMsg;
    TMsgForm progress;
    TDataStringGridForm dataList;
    TDialogOption option;
    std::unique_ptr<TGraphicalForm> form;
};

} // namespace ostrel::testing
