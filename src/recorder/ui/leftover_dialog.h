#pragma once
// The one question about the recordings that earlier runs left behind (their
// temporary files): a list of every leftover with its file name, samples and
// the times of its first and last sample, and three answers: Open the chosen
// one in the recorder, Keep them all for later (they are offered again at the
// next start), or Delete the chosen ones. Nothing is deleted here: the
// dialog only says what the user chose.

#include "recorder/temporary_files.h"

#include <QDialog>

#include <vector>

class QPushButton;
class QTreeWidget;

namespace ostrel {

class TLeftoverDialog : public QDialog {
    Q_OBJECT
  public:
    enum class Choice { Keep, Open, Delete };

    explicit TLeftoverDialog(QWidget* parent = nullptr);

    // The files to list, in this order; the first is chosen.
    void setFiles(const std::vector<LeftoverFile>& files);
    // Chooses the listed files at these positions (the test's and the keys').
    void choose(const std::vector<int>& rows);

    Choice choice() const { return m_choice; }
    // The chosen files, in list order.
    std::vector<LeftoverFile> chosen() const;

    void bbtnOpenClick();
    void bbtnKeepClick();
    void bbtnDeleteClick();
    void reject() override; // Escape and the close button keep them for later

  private:
    // The controls; tests and the desktop journeys find them by object name.
    QTreeWidget* lvFiles;
    QPushButton* bbtnOpen;
    QPushButton* bbtnKeep;
    QPushButton* bbtnDelete;

    void refreshButtons();

    std::vector<LeftoverFile> m_files;
    Choice m_choice = Choice::Keep;
};

} // namespace ostrel
