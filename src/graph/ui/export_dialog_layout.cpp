// TDlgExportForm: its controls. The groups of type, destination, page scope
// and object size, the Export and Cancel buttons, and the handlers they run.

#include "graph/ui/export_dialog.h"

#include "base/ui/message_box.h"

#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace ostrel {
namespace {

constexpr int kExportText = 307;      // "Export"
constexpr int kDestinationText = 311; // "Destination"

QRadioButton* Radio(const char* name, const QString& caption, QWidget* parent) {
    auto* button = new QRadioButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    return button;
}

QLineEdit* Edit(const char* name, int width, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setFixedWidth(width);
    return edit;
}

} // namespace

void TDlgExportForm::buildTypeGroup() {
    gbExportType = new QGroupBox(QStringLiteral("Export"), this);
    gbExportType->setObjectName("gbExportType");
    rbtnMetaFile = Radio("rbtnMetaFile", QStringLiteral("MetaFile"), gbExportType);
    rbtnBitMap = Radio("rbtnBitMap", QStringLiteral("BitMap"), gbExportType);
    rbtnText = Radio("rbtnText", QStringLiteral("Text/Data Only"), gbExportType);
    auto* typeColumn = new QVBoxLayout(gbExportType);
    for (QRadioButton* b : {rbtnMetaFile, rbtnBitMap, rbtnText})
        typeColumn->addWidget(b);
    typeColumn->addStretch();
}

void TDlgExportForm::buildDestinationGroup() {
    gbExportDestination =
        new QGroupBox(QText(kExportText) + QLatin1Char(' ') + QText(kDestinationText), this);
    gbExportDestination->setObjectName("gbExportDestination");
    rbtnClipBoard = Radio("rbtnClipBoard", QStringLiteral("ClipBoard"), gbExportDestination);
    rbtnFile = Radio("rbtnFile", QStringLiteral("File"), gbExportDestination);
    btnBrowse = new QPushButton(QStringLiteral("Browse"), gbExportDestination);
    btnBrowse->setObjectName("btnBrowse");
    rbtnPrinter = Radio("rbtnPrinter", QStringLiteral("Printer"), gbExportDestination);
    stxFileName = new QLabel(gbExportDestination);
    stxFileName->setObjectName("stxFileName");
    stxFileName->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    stxFileName->setMinimumWidth(stxFileName->fontMetrics().horizontalAdvance(QString(30, 'W')) *
                                 3 / 4);
    stxFileName->setMinimumHeight(stxFileName->fontMetrics().height() + 6);
    auto* destination = new QGridLayout(gbExportDestination);
    destination->addWidget(rbtnClipBoard, 0, 0);
    destination->addWidget(rbtnFile, 1, 0);
    destination->addWidget(btnBrowse, 1, 1, Qt::AlignLeft);
    destination->addWidget(rbtnPrinter, 2, 0);
    destination->addWidget(stxFileName, 3, 0, 1, 3);
    destination->setColumnStretch(2, 1);
}

void TDlgExportForm::buildScopeGroup() {
    gbPageScope = new QGroupBox(QStringLiteral("Page Scope"), this);
    gbPageScope->setObjectName("gbPageScope");
    rbtnPageAll = Radio("rbtnPageAll", QStringLiteral("All Pages"), gbPageScope);
    rbtnThisPage = Radio("rbtnThisPage", QStringLiteral("This Page"), gbPageScope);
    rbtnPage = Radio("rbtnPage", QStringLiteral("Page"), gbPageScope);
    lblFrom = new QLabel(QStringLiteral("From"), gbPageScope);
    lblFrom->setObjectName("lblFrom");
    editPageFrom = Edit("editPageFrom", 56, gbPageScope);
    lblTo = new QLabel(QStringLiteral("To"), gbPageScope);
    lblTo->setObjectName("lblTo");
    editPageTo = Edit("editPageTo", 56, gbPageScope);
    auto* scope = new QGridLayout(gbPageScope);
    scope->addWidget(rbtnPageAll, 0, 0, 1, 5);
    scope->addWidget(rbtnThisPage, 1, 0, 1, 5);
    scope->addWidget(rbtnPage, 2, 0);
    scope->addWidget(lblFrom, 2, 1);
    scope->addWidget(editPageFrom, 2, 2);
    scope->addWidget(lblTo, 2, 3);
    scope->addWidget(editPageTo, 2, 4);
    scope->setColumnStretch(5, 1);
}

void TDlgExportForm::buildSizeGroup() {
    gbObjectSize = new QGroupBox(QStringLiteral("Object Size"), this);
    gbObjectSize->setObjectName("gbObjectSize");
    rbtnPixels = Radio("rbtnPixels", QStringLiteral("No Specific Size"), gbObjectSize);
    rbtnMillimeters = Radio("rbtnMillimeters", QStringLiteral("Millimeters"), gbObjectSize);
    rbtnInches = Radio("rbtnInches", QStringLiteral("Inches"), gbObjectSize);
    rbtnPoints = Radio("rbtnPoints", QStringLiteral("Points"), gbObjectSize);
    lblWidth = new QLabel(QStringLiteral("Width"), gbObjectSize);
    lblWidth->setObjectName("lblWidth");
    editWidth = Edit("editWidth", 80, gbObjectSize);
    lblSlash = new QLabel(QStringLiteral("/"), gbObjectSize);
    lblSlash->setObjectName("lblSlash");
    editHigh = Edit("editHigh", 80, gbObjectSize);
    lblUnit = new QLabel(QStringLiteral("Units"), gbObjectSize);
    lblUnit->setObjectName("lblUnit");
    auto* units = new QGridLayout;
    units->addWidget(rbtnPixels, 0, 0);
    units->addWidget(rbtnInches, 0, 1);
    units->addWidget(rbtnMillimeters, 1, 0);
    units->addWidget(rbtnPoints, 1, 1);
    auto* size = new QHBoxLayout;
    size->addWidget(lblWidth);
    size->addWidget(editWidth);
    size->addWidget(lblSlash);
    size->addWidget(editHigh);
    size->addWidget(lblUnit);
    size->addStretch();
    auto* sizeColumn = new QVBoxLayout(gbObjectSize);
    sizeColumn->addLayout(units);
    sizeColumn->addLayout(size);
    // Hidden for text, the group keeps its place so that nothing jumps.
    QSizePolicy keep = gbObjectSize->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    gbObjectSize->setSizePolicy(keep);
}

void TDlgExportForm::buildControls() {
    buildTypeGroup();
    buildDestinationGroup();
    buildScopeGroup();
    buildSizeGroup();

    btnExport = new QPushButton(QStringLiteral("Export"), this);
    btnExport->setObjectName("btnExport");
    btnExport->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName("btnCancel");

    auto* grid = new QGridLayout;
    grid->addWidget(gbExportType, 0, 0);
    grid->addWidget(gbPageScope, 0, 1);
    grid->addWidget(gbExportDestination, 1, 0);
    grid->addWidget(gbObjectSize, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnExport);
    buttons->addWidget(btnCancel);
    auto* column = new QVBoxLayout(this);
    column->addLayout(grid);
    column->addLayout(buttons);
    setFixedSize(sizeHint());
}

void TDlgExportForm::connectHandlers() {
    const auto on = [this](QRadioButton* button, void (TDlgExportForm::*handler)()) {
        connect(button, &QRadioButton::clicked, this, [this, handler] { (this->*handler)(); });
    };
    on(rbtnText, &TDlgExportForm::rbtnTextClick);
    on(rbtnBitMap, &TDlgExportForm::rbtnBitMapClick);
    on(rbtnMetaFile, &TDlgExportForm::rbtnMetaFileClick);
    on(rbtnClipBoard, &TDlgExportForm::rbtnClipBoardClick);
    on(rbtnFile, &TDlgExportForm::rbtnFileClick);
    on(rbtnPrinter, &TDlgExportForm::rbtnPrinterClick);
    on(rbtnPageAll, &TDlgExportForm::rbtnPageAllClick);
    on(rbtnThisPage, &TDlgExportForm::rbtnThisPageClick);
    on(rbtnPage, &TDlgExportForm::rbtnPageClick);
    on(rbtnPixels, &TDlgExportForm::rbtnPixelsClick);
    on(rbtnMillimeters, &TDlgExportForm::rbtnMillimetersClick);
    on(rbtnInches, &TDlgExportForm::rbtnInchesClick);
    on(rbtnPoints, &TDlgExportForm::rbtnPointsClick);
    connect(btnBrowse, &QPushButton::clicked, this, &TDlgExportForm::btnBrowseClick);
    // Typing stores the size; showing a converted value does not store it back,
    // so switching units never changes the stored size.
    connect(editWidth, &QLineEdit::textEdited, this, &TDlgExportForm::editWidthChange);
    connect(editHigh, &QLineEdit::textEdited, this, &TDlgExportForm::editHighChange);
    connect(btnExport, &QPushButton::clicked, this, &TDlgExportForm::btnExportClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

} // namespace ostrel
