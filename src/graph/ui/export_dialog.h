#pragma once
// The graph export dialog: type (metafile, bitmap or text), destination
// (clipboard, file or printer), page scope, and for images the object size in
// a chosen unit. The caller prepares it, shows it modally and, after Export,
// reads request(). TDlgExportForm serves the recorder and the import window;
// TDlgFitExportForm, the graphical viewer's, prints only the shown page.

#include "graph/export_request.h"

#include <QDialog>

#include <array>
#include <utility>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace ostrel {

class TDlgExportForm : public QDialog {
    Q_OBJECT
  public:
    explicit TDlgExportForm(QWidget* parent = nullptr);

    // The preparation of a paged export (recorder, import window): Text and
    // This Page chosen, From 1, To lastPage, no file name, focus on Browse,
    // the single-page flag off.
    void prepareForPages(int lastPage);

    // The choice as the controls hold it.
    ExportRequest request() const;
    ExportType exportType() const;
    ExportDestination destination() const;
    PageScope pageScope() const;
    SizeUnit sizeUnit() const;

    // Object size: pixels for a bitmap, hundredths of a millimetre for a metafile.
    double width = 0.0;
    double height = 0.0;
    // When set, choosing Printer leaves the page scope as it is.
    bool singlePage = false;
    // The save dialog's file name (stxFileName shows it shortened).
    QString fileName;

    // Handlers, run by the controls (a click, or choose() below). Those of the
    // radio buttons of type do nothing unless their button is selected.
    void rbtnTextClick();
    void rbtnBitMapClick();
    void rbtnMetaFileClick();
    void rbtnClipBoardClick();
    void rbtnFileClick();
    virtual void rbtnPrinterClick();
    void rbtnPageAllClick();
    void rbtnThisPageClick();
    void rbtnPageClick();
    void btnBrowseClick();
    void rbtnPixelsClick();
    void rbtnMillimetersClick();
    void rbtnInchesClick();
    void rbtnPointsClick();
    void editWidthChange();
    void editHighChange();
    // Export: refuses page edits that are not whole numbers (Page chosen) and
    // image sizes out of range with a numbered message; else closes with OK.
    void btnExportClick();

    // Select a choice and run its handler, as a click on its button would
    // (also on a disabled button). None selects nothing.
    void choose(ExportType type);
    void choose(ExportDestination destination);
    void choose(PageScope scope);
    // Empty the file name and its label.
    void clearFileName();

  protected:
    void showEvent(QShowEvent* event) override;

    // What both preparations do: Text offered (enabled and shown) or not,
    // Text or else MetaFile chosen, This Page chosen, From 1, To lastPage, no
    // file name.
    void prepareChoices(bool offerText, int lastPage);
    // The page scope for a single image: only This Page, chosen.
    void allowThisPageOnly();

  private:
    // The controls; tests and the desktop journeys find them by object name.
    QGroupBox* gbExportType = nullptr;
    QRadioButton* rbtnMetaFile = nullptr;
    QRadioButton* rbtnBitMap = nullptr;
    QRadioButton* rbtnText = nullptr;
    QGroupBox* gbExportDestination = nullptr;
    QRadioButton* rbtnClipBoard = nullptr;
    QRadioButton* rbtnFile = nullptr;
    QPushButton* btnBrowse = nullptr;
    QRadioButton* rbtnPrinter = nullptr;
    QLabel* stxFileName = nullptr;
    QGroupBox* gbPageScope = nullptr;
    QRadioButton* rbtnPageAll = nullptr;
    QRadioButton* rbtnThisPage = nullptr;
    QRadioButton* rbtnPage = nullptr;
    QLabel* lblFrom = nullptr;
    QLineEdit* editPageFrom = nullptr;
    QLabel* lblTo = nullptr;
    QLineEdit* editPageTo = nullptr;
    QGroupBox* gbObjectSize = nullptr;
    QRadioButton* rbtnPixels = nullptr;
    QRadioButton* rbtnMillimeters = nullptr;
    QRadioButton* rbtnInches = nullptr;
    QRadioButton* rbtnPoints = nullptr;
    QLabel* lblWidth = nullptr;
    QLineEdit* editWidth = nullptr;
    QLabel* lblSlash = nullptr;
    QLineEdit* editHigh = nullptr;
    QLabel* lblUnit = nullptr;
    QPushButton* btnExport = nullptr;
    QPushButton* btnCancel = nullptr;

    // Select a radio button and run its handler, as a click would.
    void chooseButton(QRadioButton* button);
    // The choices of a group, each with its radio button.
    template <class Choice> using ChoiceButtons = std::array<std::pair<Choice, QRadioButton*>, 3>;
    ChoiceButtons<ExportType> typeButtons() const;
    ChoiceButtons<ExportDestination> destinationButtons() const;
    ChoiceButtons<PageScope> scopeButtons() const;
    void buildControls();
    void buildTypeGroup();
    void buildDestinationGroup();
    void buildScopeGroup();
    void buildSizeGroup();
    void connectHandlers();
    void showSize();
    // Destinations after the type changed to an image: all enabled, ClipBoard chosen.
    void enableImageDestinations();
    void setFileName(const QString& path);
};

class TDlgFitExportForm : public TDlgExportForm {
    Q_OBJECT
  public:
    explicit TDlgFitExportForm(QWidget* parent = nullptr);

    // The viewer's preparation: Text disabled and hidden, MetaFile and This
    // Page chosen, From and To 1, no file name, the single-page flag set.
    void prepareForViewer();

    // The printer prints the shown page only, whatever the single-page flag says.
    void rbtnPrinterClick() override;
};

} // namespace ostrel
