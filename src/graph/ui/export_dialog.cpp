// TDlgExportForm and TDlgFitExportForm: the preparations, the rules between
// the choices, the file name, the object size and the checks of Export.
#include "graph/ui/export_dialog.h"

#include "base/number_format.h"
#include "base/string_table.h"
#include "base/ui/message_box.h"
#include "graph/ui/graph_window_texts.h"
#include "graph/ui/save_file_chooser.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

namespace ostrel {
namespace {

bool ParseEdit(const QLineEdit* edit, double* value) {
    return ParseReal(edit->text().toStdString(), value);
}

bool IsWholeNumber(const QLineEdit* edit) {
    int n = 0;
    return ParseInteger(edit->text().toStdString(), &n);
}

// The choice whose button is selected, else none.
template <class Choice, std::size_t N>
Choice CheckedChoice(const std::array<std::pair<Choice, QRadioButton*>, N>& buttons, Choice none) {
    for (const auto& [choice, button] : buttons)
        if (button->isChecked())
            return choice;
    return none;
}

// The button of a choice; null for a choice without one.
template <class Choice, std::size_t N>
QRadioButton* ButtonOf(const std::array<std::pair<Choice, QRadioButton*>, N>& buttons,
                       Choice choice) {
    for (const auto& [each, button] : buttons)
        if (each == choice)
            return button;
    return nullptr;
}

} // namespace

TDlgExportForm::TDlgExportForm(QWidget* parent) : QDialog(parent) {
    setObjectName("DlgExportForm");
    setWindowTitle(QStringLiteral("Exporting Data Logger"));
    setModal(true);
    buildControls();
    connectHandlers();
}

void TDlgExportForm::chooseButton(QRadioButton* button) {
    button->setChecked(true);
    emit button->clicked(true);
}

void TDlgExportForm::choose(ExportType type) {
    if (QRadioButton* button = ButtonOf(typeButtons(), type))
        chooseButton(button);
}

void TDlgExportForm::choose(ExportDestination destination) {
    if (QRadioButton* button = ButtonOf(destinationButtons(), destination))
        chooseButton(button);
}

void TDlgExportForm::choose(PageScope scope) {
    if (QRadioButton* button = ButtonOf(scopeButtons(), scope))
        chooseButton(button);
}

TDlgExportForm::ChoiceButtons<ExportType> TDlgExportForm::typeButtons() const {
    return {{{ExportType::MetaFile, rbtnMetaFile},
             {ExportType::BitMap, rbtnBitMap},
             {ExportType::Text, rbtnText}}};
}

TDlgExportForm::ChoiceButtons<ExportDestination> TDlgExportForm::destinationButtons() const {
    return {{{ExportDestination::ClipBoard, rbtnClipBoard},
             {ExportDestination::File, rbtnFile},
             {ExportDestination::Printer, rbtnPrinter}}};
}

TDlgExportForm::ChoiceButtons<PageScope> TDlgExportForm::scopeButtons() const {
    return {{{PageScope::AllPages, rbtnPageAll},
             {PageScope::ThisPage, rbtnThisPage},
             {PageScope::Pages, rbtnPage}}};
}

void TDlgExportForm::clearFileName() {
    setFileName(QString());
}

void TDlgExportForm::setFileName(const QString& path) {
    fileName = path;
    stxFileName->setText(QString::fromStdString(ShortenPath(path.toStdString())));
    stxFileName->setToolTip(path);
}

void TDlgExportForm::prepareChoices(bool offerText, int lastPage) {
    rbtnText->setEnabled(offerText);
    rbtnText->setVisible(offerText);
    chooseButton(offerText ? rbtnText : rbtnMetaFile);
    chooseButton(rbtnThisPage);
    editPageFrom->setText(QStringLiteral("1"));
    editPageTo->setText(QString::number(lastPage));
    clearFileName();
}

void TDlgExportForm::prepareForPages(int lastPage) {
    singlePage = false;
    prepareChoices(true, lastPage);
    btnBrowse->setFocus();
}

ExportType TDlgExportForm::exportType() const {
    return CheckedChoice(typeButtons(), ExportType::None);
}

ExportDestination TDlgExportForm::destination() const {
    return CheckedChoice(destinationButtons(), ExportDestination::None);
}

PageScope TDlgExportForm::pageScope() const {
    return CheckedChoice(scopeButtons(), PageScope::None);
}

SizeUnit TDlgExportForm::sizeUnit() const {
    if (rbtnMillimeters->isChecked())
        return SizeUnit::Millimeters;
    if (rbtnInches->isChecked())
        return SizeUnit::Inches;
    if (rbtnPoints->isChecked())
        return SizeUnit::Points;
    return SizeUnit::Pixels;
}

ExportRequest TDlgExportForm::request() const {
    ExportRequest r;
    r.type = exportType();
    r.destination = destination();
    r.scope = pageScope();
    r.pageFrom = editPageFrom->text().toStdString();
    r.pageTo = editPageTo->text().toStdString();
    r.width = width;
    r.height = height;
    r.fileName = fileName.toStdString();
    return r;
}

void TDlgExportForm::rbtnTextClick() {
    if (!rbtnText->isChecked())
        return;
    rbtnClipBoard->setEnabled(false);
    rbtnPrinter->setEnabled(false);
    rbtnFile->setEnabled(true);
    chooseButton(rbtnFile);
    gbObjectSize->hide();
}

void TDlgExportForm::enableImageDestinations() {
    for (QRadioButton* b : {rbtnClipBoard, rbtnFile, rbtnPrinter})
        b->setEnabled(true);
    chooseButton(rbtnClipBoard);
}

void TDlgExportForm::rbtnBitMapClick() {
    if (!rbtnBitMap->isChecked())
        return;
    enableImageDestinations();
    rbtnPixels->setText(QStringLiteral("Pixels"));
    lblUnit->setText(QStringLiteral("Pixels"));
    rbtnPixels->setEnabled(true);
    for (QRadioButton* b : {rbtnMillimeters, rbtnInches, rbtnPoints})
        b->setEnabled(false);
    width = kBitmapWidth;
    height = kBitmapHeight;
    chooseButton(rbtnPixels);
    gbObjectSize->show();
}

void TDlgExportForm::rbtnMetaFileClick() {
    if (!rbtnMetaFile->isChecked())
        return;
    enableImageDestinations();
    rbtnPixels->setText(QStringLiteral("Pixels"));
    rbtnPixels->setEnabled(false);
    lblUnit->setText(QStringLiteral("Units"));
    for (QRadioButton* b : {rbtnMillimeters, rbtnInches, rbtnPoints})
        b->setEnabled(true);
    width = kMetafileWidth;
    height = kMetafileHeight;
    chooseButton(rbtnMillimeters);
    gbObjectSize->show();
}

void TDlgExportForm::allowThisPageOnly() {
    rbtnPageAll->setEnabled(false);
    rbtnPage->setEnabled(false);
    rbtnThisPage->setEnabled(true);
    chooseButton(rbtnThisPage);
}

void TDlgExportForm::rbtnClipBoardClick() {
    clearFileName();
    btnBrowse->setEnabled(false);
    const ExportType type = exportType();
    if (type == ExportType::BitMap || type == ExportType::MetaFile)
        allowThisPageOnly();
}

void TDlgExportForm::rbtnFileClick() {
    clearFileName();
    btnBrowse->setEnabled(true);
    const ExportType type = exportType();
    if (type == ExportType::BitMap || type == ExportType::MetaFile) {
        allowThisPageOnly();
    } else if (type == ExportType::Text) {
        for (QRadioButton* b : {rbtnPageAll, rbtnThisPage, rbtnPage})
            b->setEnabled(true);
        chooseButton(rbtnThisPage);
    }
}

void TDlgExportForm::rbtnPrinterClick() {
    btnBrowse->setEnabled(false);
    if (singlePage)
        return;
    for (QRadioButton* b : {rbtnPageAll, rbtnThisPage, rbtnPage})
        b->setEnabled(true);
}

void TDlgExportForm::rbtnPageAllClick() {
    for (QWidget* w : std::initializer_list<QWidget*>{lblFrom, editPageFrom, lblTo, editPageTo})
        w->setEnabled(false);
}

void TDlgExportForm::rbtnThisPageClick() {
    rbtnPageAllClick();
}

void TDlgExportForm::rbtnPageClick() {
    for (QWidget* w : std::initializer_list<QWidget*>{lblFrom, editPageFrom, lblTo, editPageTo})
        w->setEnabled(true);
}

void TDlgExportForm::btnBrowseClick() {
    SaveFileRequest request;
    request.owner = this;
    request.fileName = QStringLiteral("Untitled");
    switch (exportType()) {
    case ExportType::Text:
        request.filters = {QStringLiteral("CSV files(*.csv)")};
        request.suffixes = {QStringLiteral("csv")};
        break;
    case ExportType::BitMap:
        request.filters = {QStringLiteral("PNG image (*.png)"),
                           QStringLiteral("BMP image (*.bmp)")};
        request.suffixes = {QStringLiteral("png"), QStringLiteral("bmp")};
        break;
    case ExportType::MetaFile:
        request.filters = {QStringLiteral("SVG image (*.svg)")};
        request.suffixes = {QStringLiteral("svg")};
        break;
    case ExportType::None:
        return;
    }
    const QString path = ChooseSaveFile(request);
    if (!path.isEmpty())
        setFileName(path);
}

void TDlgExportForm::showSize() {
    const SizeUnit unit = sizeUnit();
    editWidth->setText(QString::fromStdString(ShownSizeText(width, unit)));
    editHigh->setText(QString::fromStdString(ShownSizeText(height, unit)));
}

void TDlgExportForm::rbtnPixelsClick() {
    showSize();
}

void TDlgExportForm::rbtnMillimetersClick() {
    showSize();
}

void TDlgExportForm::rbtnInchesClick() {
    showSize();
}

void TDlgExportForm::rbtnPointsClick() {
    showSize();
}

void TDlgExportForm::editWidthChange() {
    double v = 0.0;
    if (ParseEdit(editWidth, &v))
        width = StoredSize(v, exportType(), sizeUnit());
}

void TDlgExportForm::editHighChange() {
    double v = 0.0;
    if (ParseEdit(editHigh, &v))
        height = StoredSize(v, exportType(), sizeUnit());
}

void TDlgExportForm::btnExportClick() {
    const ExportType type = exportType();
    if (type == ExportType::BitMap || type == ExportType::MetaFile) {
        double shown = 0.0;
        if (!ParseEdit(editWidth, &shown) || !ParseEdit(editHigh, &shown)) {
            ShowNumberedMessage(this, kErrorCaption, kNotANumberText);
            return;
        }
        if (!ObjectSizeAcceptable(type, width, height)) {
            ShowNumberedMessage(this, kErrorCaption,
                                type == ExportType::BitMap ? kMsgBitmapSize : kMsgMetafileSize);
            return;
        }
    }
    if (rbtnPage->isChecked() && rbtnPage->isEnabled() &&
        (!IsWholeNumber(editPageFrom) || !IsWholeNumber(editPageTo))) {
        ShowNumberedMessage(this, kErrorCaption, kMsgPageNotNumber);
        return;
    }
    accept();
}

void TDlgExportForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

TDlgFitExportForm::TDlgFitExportForm(QWidget* parent) : TDlgExportForm(parent) {
    setObjectName("DlgFitExportForm");
}

void TDlgFitExportForm::prepareForViewer() {
    singlePage = true;
    prepareChoices(false, 1);
}

void TDlgFitExportForm::rbtnPrinterClick() {
    // Browse off as for every printer; the scope then narrowed to This Page
    // whatever the single-page flag let through.
    TDlgExportForm::rbtnPrinterClick();
    allowThisPageOnly();
}

} // namespace ostrel
