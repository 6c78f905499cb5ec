#pragma once
// TGraphicalForm: the graphical recorder window. Created visible at start-up,
// placed right of the live windows below the main window; closing it only
// hides it. Unlink sends it message 1029 (stop recording).

#include "link/acquisition_state.h"

#include <QWidget>

namespace ostrel {

class TGraphicalForm : public QWidget {
    Q_OBJECT
  public:
    explicit TGraphicalForm(AcquisitionState& state, QWidget* parent = nullptr);

    // Whether the application may end now (the exit question about unsaved
    // samples belongs here).
    bool mayClose();
    bool recording() const { return m_recording; }

    // Makes destruction keep the temporary file of a running recording: the
    // copy that the next start offers to recover after an exit by a signal.
    void keepRecordingForRecovery();

    // Stop a running recording (message 1029).
    void stopRecording();

  signals:
    void recordingStopped();

  protected:
    bool event(QEvent* event) override;

  private:
    AcquisitionState& m_state;
    bool m_recording = false;
};

} // namespace ostrel
