#pragma once
// The comparator's limit dialog: the upper and the lower limit, with the
// reading's prefix and unit labels beside them.

#include <QDialog>

#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

namespace ostrel {

// Check the two entries of the limit dialog. 0 when both are reals and the
// upper limit is above the lower one (the values are stored then); 9007 when
// an entry is no real number; 9030 when a limit's general format would not
// read back (too near the largest double); 9008 when upper ≤ lower.
int CheckLimitEntries(const std::string& upperText, const std::string& lowerText, double& upper,
                      double& lower);

class TDlgHiLowForm : public QDialog {
    Q_OBJECT
  public:
    explicit TDlgHiLowForm(QWidget* parent = nullptr);

    double hiLimit = 0.0;
    double lowLimit = 0.0;
    int function = 0;
    std::string prefixLabel;
    std::string unitLabel;

    // The number of the message the last OK produced (0: none, the dialog closed).
    int lastMessage() const { return m_lastMessage; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    QLineEdit* mkeHiLimit = nullptr;
    QLineEdit* mkeLowLimit = nullptr;
    QLabel* stxtHiUnit = nullptr;
    QLabel* stxtLowUnit = nullptr;
    QLabel* stxtHiFunc = nullptr;
    QLabel* stxtLowFunc = nullptr;
    QPushButton* bbtnOk = nullptr;
    QPushButton* bbtnCancel = nullptr;

    void bbtnOkClick();
    void showStoredValues();

    int m_lastMessage = 0;
};

} // namespace ostrel
