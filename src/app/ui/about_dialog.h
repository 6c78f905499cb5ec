#pragma once
// TDlgAboutForm: names the meter family and the program, its version and
// date, the platform, and, on a click of the picture, the adapter cable's
// firmware version and serial number.

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QFrame;

namespace ostrel {

class MeterAccess;

// "System: Linux 6.1" from the kernel name and its release ("6.1.0-13-amd64"):
// the release's first two numbers as major.minor.
QString PlatformLine(const QString& kernelName, const QString& kernelRelease);
class TDlgAboutForm : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kLines = 9;

    explicit TDlgAboutForm(MeterAccess& access, QWidget* parent = nullptr);

    // Read the cable and fill lines 7 and 8 (empty when there is no cable).
    void Image1Click();
    QString line(int index) const;

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QFrame* Panel1;
    QLabel* Image1;
    QLabel* ImageLogo;
    QPlainTextEdit* Memo1;

    void setLine(int index, const QString& text);

    MeterAccess& m_access;
};

} // namespace ostrel
