#pragma once
// TdlgGraphLineColor: the two line colours of the import window's graph, one
// for the main display's data and one for the sub display's, each shown as
// the brush of a sample bar beside the button that changes it. Created once
// at start-up; the colours last for the run and are not saved.

#include <QColor>
#include <QDialog>
#include <QWidget>

#include <functional>

class QPushButton;

namespace ostrel {

// A sample bar: a framed rectangle filled with its brush colour.
class ColourBar : public QWidget {
    Q_OBJECT
  public:
    explicit ColourBar(QWidget* parent = nullptr);
    QColor brushColor() const { return m_colour; }
    void setBrushColor(const QColor& colour);
    QSize sizeHint() const override { return {90, 18}; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QColor m_colour = Qt::black;
};

class TdlgGraphLineColor : public QDialog {
    Q_OBJECT
  public:
    static constexpr QRgb kDefaultMain = 0x0000FF; // blue
    static constexpr QRgb kDefaultSub = 0xFF0000;  // red

    explicit TdlgGraphLineColor(QWidget* parent = nullptr);

    // The line colours chosen: the main display's and the sub display's.
    QColor mainColour() const;
    QColor subColour() const;
    // The texts of the two buttons, given by the window that shows it.
    void setButtonTexts(const QString& main, const QString& sub);

    // The system colour dialog preset with a bar's colour; on OK the bar
    // takes the chosen colour, on Cancel it keeps its own.
    void btnLineColor1Click();
    void btnLineColor2Click();
    // Both bars back to blue and red.
    void btnDefaultClick();

    // The colour dialog: the chosen colour, or an invalid one for Cancel.
    // Tests put their answer here.
    std::function<QColor(const QColor& initial, QWidget* owner)> chooseColour;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void choose(ColourBar* bar);

    QPushButton* btnLineColor1;
    QPushButton* btnLineColor2;
    ColourBar* ShapeLineColor1; // main
    ColourBar* ShapeLineColor2; // sub
    QPushButton* btnOK;
    QPushButton* btnCancel;
    QPushButton* btnDefault;
};

} // namespace ostrel
