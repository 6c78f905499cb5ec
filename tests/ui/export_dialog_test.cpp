// The graph export dialog, both instances, driven through its controls.
#include "find_child.h"

#include "base/ui/message_box.h"
#include "graph/ui/export_dialog.h"
#include "graph/ui/save_file_chooser.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

namespace ostrel {
namespace {

using testing::Child;

// Answers the save dialog with a fixed path and remembers the requests.
class ScopedSaveAnswer {
  public:
    explicit ScopedSaveAnswer(QString path) {
        m_previous = SetSaveFileAnswerer([this, path](const SaveFileRequest& r) {
            requests.push_back(r);
            return path;
        });
    }
    ~ScopedSaveAnswer() { SetSaveFileAnswerer(std::move(m_previous)); }
    std::vector<SaveFileRequest> requests;

  private:
    SaveFileAnswerer m_previous;
};

void Type(QLineEdit* edit, const QString& text) {
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

TEST(ExportDialog, RecorderPreparationChoosesTextToFile) {
    TDlgExportForm form;
    EXPECT_EQ(form.windowTitle(), "Exporting Data Logger");
    EXPECT_EQ(Child<QGroupBox>(form, "gbExportDestination")->title(), "Export Destination");
    EXPECT_EQ(Child<QRadioButton>(form, "rbtnPixels")->text(), "No Specific Size");
    form.prepareForPages(4);

    EXPECT_EQ(form.exportType(), ExportType::Text);
    EXPECT_EQ(form.destination(), ExportDestination::File);
    EXPECT_EQ(form.pageScope(), PageScope::ThisPage);
    EXPECT_FALSE(Child<QRadioButton>(form, "rbtnClipBoard")->isEnabled());
    EXPECT_FALSE(Child<QRadioButton>(form, "rbtnPrinter")->isEnabled());
    EXPECT_TRUE(Child<QRadioButton>(form, "rbtnFile")->isEnabled());
    EXPECT_TRUE(Child<QPushButton>(form, "btnBrowse")->isEnabled());
    EXPECT_TRUE(Child<QGroupBox>(form, "gbObjectSize")->isHidden());
    for (QRadioButton* b :
         {Child<QRadioButton>(form, "rbtnPageAll"), Child<QRadioButton>(form, "rbtnThisPage"),
          Child<QRadioButton>(form, "rbtnPage")})
        EXPECT_TRUE(b->isEnabled());
    EXPECT_FALSE(Child<QLineEdit>(form, "editPageFrom")->isEnabled());
    EXPECT_FALSE(Child<QLabel>(form, "lblTo")->isEnabled());
    EXPECT_EQ(Child<QLineEdit>(form, "editPageFrom")->text(), "1");
    EXPECT_EQ(Child<QLineEdit>(form, "editPageTo")->text(), "4");
    EXPECT_TRUE(form.fileName.isEmpty());

    Child<QRadioButton>(form, "rbtnPage")->click();
    EXPECT_TRUE(Child<QLineEdit>(form, "editPageFrom")->isEnabled());
    EXPECT_TRUE(Child<QLabel>(form, "lblFrom")->isEnabled());
    Child<QRadioButton>(form, "rbtnPageAll")->click();
    EXPECT_FALSE(Child<QLineEdit>(form, "editPageTo")->isEnabled());

    // Disabled destinations cannot be chosen.
    Child<QRadioButton>(form, "rbtnClipBoard")->click();
    EXPECT_EQ(form.destination(), ExportDestination::File);
}

TEST(ExportDialog, MetaFileSizesInEveryUnit) {
    TDlgExportForm form;
    form.prepareForPages(1);
    Child<QRadioButton>(form, "rbtnMetaFile")->click();

    EXPECT_EQ(form.destination(), ExportDestination::ClipBoard);
    EXPECT_FALSE(Child<QPushButton>(form, "btnBrowse")->isEnabled());
    EXPECT_FALSE(Child<QRadioButton>(form, "rbtnPageAll")->isEnabled());
    EXPECT_FALSE(Child<QRadioButton>(form, "rbtnPage")->isEnabled());
    EXPECT_EQ(form.pageScope(), PageScope::ThisPage);
    EXPECT_FALSE(Child<QGroupBox>(form, "gbObjectSize")->isHidden());
    EXPECT_EQ(Child<QRadioButton>(form, "rbtnPixels")->text(), "Pixels");
    EXPECT_FALSE(Child<QRadioButton>(form, "rbtnPixels")->isEnabled());
    EXPECT_EQ(Child<QLabel>(form, "lblUnit")->text(), "Units");
    EXPECT_TRUE(Child<QRadioButton>(form, "rbtnMillimeters")->isChecked());
    EXPECT_EQ(Child<QLineEdit>(form, "editWidth")->text(), "100");
    EXPECT_EQ(Child<QLineEdit>(form, "editHigh")->text(), "68.1");

    // Each unit to the precision it can tell apart.
    Child<QRadioButton>(form, "rbtnInches")->click();
    EXPECT_EQ(Child<QLineEdit>(form, "editWidth")->text(), "3.937");
    EXPECT_EQ(Child<QLineEdit>(form, "editHigh")->text(), "2.681");
    Child<QRadioButton>(form, "rbtnPoints")->click();
    EXPECT_EQ(Child<QLineEdit>(form, "editWidth")->text(), "283.46");
    // Showing converted values never changes the stored size.
    Child<QRadioButton>(form, "rbtnMillimeters")->click();
    EXPECT_EQ(form.width, 10000.0);
    EXPECT_EQ(form.height, 6810.0);
    EXPECT_EQ(Child<QLineEdit>(form, "editHigh")->text(), "68.1");

    Type(Child<QLineEdit>(form, "editWidth"), "50");
    EXPECT_EQ(form.width, 5000.0);
    Child<QRadioButton>(form, "rbtnInches")->click();
    Type(Child<QLineEdit>(form, "editHigh"), "2");
    EXPECT_EQ(form.height, 5080.0);
    Child<QRadioButton>(form, "rbtnPoints")->click();
    Type(Child<QLineEdit>(form, "editHigh"), "72");
    EXPECT_DOUBLE_EQ(form.height, 2540.0);
    // Text that is no number leaves the stored value as it was.
    Type(Child<QLineEdit>(form, "editHigh"), "abc");
    EXPECT_DOUBLE_EQ(form.height, 2540.0);

    const ExportRequest r = form.request();
    EXPECT_EQ(r.type, ExportType::MetaFile);
    EXPECT_EQ(r.width, 5000.0);
}

TEST(ExportDialog, BitMapTakesPixelsOnly) {
    TDlgExportForm form;
    form.prepareForPages(2);
    Child<QRadioButton>(form, "rbtnBitMap")->click();
    EXPECT_EQ(Child<QLabel>(form, "lblUnit")->text(), "Pixels");
    EXPECT_TRUE(Child<QRadioButton>(form, "rbtnPixels")->isChecked());
    for (QRadioButton* b :
         {Child<QRadioButton>(form, "rbtnMillimeters"), Child<QRadioButton>(form, "rbtnInches"),
          Child<QRadioButton>(form, "rbtnPoints")})
        EXPECT_FALSE(b->isEnabled());
    EXPECT_EQ(Child<QLineEdit>(form, "editWidth")->text(), "1000");
    EXPECT_EQ(Child<QLineEdit>(form, "editHigh")->text(), "681");
    Type(Child<QLineEdit>(form, "editWidth"), "640.5");
    EXPECT_EQ(form.width, 640.5);

    // Back to text: only File, the size group hidden.
    Child<QRadioButton>(form, "rbtnText")->click();
    EXPECT_EQ(form.destination(), ExportDestination::File);
    EXPECT_FALSE(Child<QRadioButton>(form, "rbtnClipBoard")->isEnabled());
    EXPECT_TRUE(Child<QGroupBox>(form, "gbObjectSize")->isHidden());
}

TEST(ExportDialog, PrinterScopesFollowTheSinglePageFlag) {
    TDlgExportForm form;
    form.prepareForPages(3);
    Child<QRadioButton>(form, "rbtnBitMap")->click();
    Child<QRadioButton>(form, "rbtnPrinter")->click();
    EXPECT_FALSE(Child<QPushButton>(form, "btnBrowse")->isEnabled());
    for (QRadioButton* b :
         {Child<QRadioButton>(form, "rbtnPageAll"), Child<QRadioButton>(form, "rbtnThisPage"),
          Child<QRadioButton>(form, "rbtnPage")})
        EXPECT_TRUE(b->isEnabled());

    Child<QRadioButton>(form, "rbtnClipBoard")->click();
    form.singlePage = true;
    Child<QRadioButton>(form, "rbtnPrinter")->click();
    EXPECT_FALSE(Child<QRadioButton>(form, "rbtnPageAll")->isEnabled());
    EXPECT_FALSE(Child<QRadioButton>(form, "rbtnPage")->isEnabled());

    // The viewer's instance prints the shown page only, flag or not.
    TDlgFitExportForm fit;
    fit.prepareForViewer();
    EXPECT_EQ(fit.objectName(), "DlgFitExportForm");
    EXPECT_TRUE(Child<QRadioButton>(fit, "rbtnText")->isHidden());
    EXPECT_FALSE(Child<QRadioButton>(fit, "rbtnText")->isEnabled());
    EXPECT_EQ(fit.exportType(), ExportType::MetaFile);
    EXPECT_EQ(Child<QLineEdit>(fit, "editPageTo")->text(), "1");
    fit.singlePage = false;
    Child<QRadioButton>(fit, "rbtnPageAll")->setEnabled(true);
    Child<QRadioButton>(fit, "rbtnPageAll")->click();
    Child<QRadioButton>(fit, "rbtnPrinter")->click();
    EXPECT_EQ(fit.pageScope(), PageScope::ThisPage);
    EXPECT_FALSE(Child<QRadioButton>(fit, "rbtnPageAll")->isEnabled());
    EXPECT_FALSE(Child<QRadioButton>(fit, "rbtnPage")->isEnabled());
    EXPECT_FALSE(Child<QPushButton>(fit, "btnBrowse")->isEnabled());
}

// A choice made through the dialog's own functions reads back as itself.
TEST(ExportDialog, EveryChoiceReadsBackAsChosen) {
    TDlgExportForm form;
    form.prepareForPages(2);
    for (ExportType type : {ExportType::MetaFile, ExportType::BitMap, ExportType::Text}) {
        form.choose(type);
        EXPECT_EQ(form.exportType(), type);
    }
    for (ExportDestination destination :
         {ExportDestination::ClipBoard, ExportDestination::File, ExportDestination::Printer}) {
        form.choose(destination);
        EXPECT_EQ(form.destination(), destination);
    }
    for (PageScope scope : {PageScope::AllPages, PageScope::ThisPage, PageScope::Pages}) {
        form.choose(scope);
        EXPECT_EQ(form.pageScope(), scope);
    }
    form.choose(PageScope::None); // chooses nothing
    EXPECT_EQ(form.pageScope(), PageScope::Pages);
}

TEST(ExportDialog, BrowseOffersTheTypesFilesAndShortensTheName) {
    TDlgExportForm form;
    form.prepareForPages(1);
    const QString forty = QStringLiteral("/home/user/exports/2024/march/run-07.csv");
    {
        ScopedSaveAnswer answer(forty);
        Child<QPushButton>(form, "btnBrowse")->click();
        ASSERT_EQ(answer.requests.size(), 1u);
        EXPECT_EQ(answer.requests[0].fileName, "Untitled");
        EXPECT_EQ(answer.requests[0].filters, QStringList{"CSV files(*.csv)"});
        EXPECT_EQ(answer.requests[0].suffixes, QStringList{"csv"});
    }
    EXPECT_EQ(form.fileName, forty);
    EXPECT_EQ(Child<QLabel>(form, "stxFileName")->text(), "/ho...ts/2024/march/run-07.csv");
    EXPECT_EQ(Child<QLabel>(form, "stxFileName")->text().size(), 30);
    EXPECT_EQ(form.request().fileName, forty.toStdString());

    // Cancel keeps the name chosen before.
    {
        ScopedSaveAnswer cancel{QString()};
        Child<QPushButton>(form, "btnBrowse")->click();
    }
    EXPECT_EQ(form.fileName, forty);

    Child<QRadioButton>(form, "rbtnBitMap")->click();
    Child<QRadioButton>(form, "rbtnFile")->click();
    EXPECT_TRUE(form.fileName.isEmpty());
    EXPECT_TRUE(Child<QLabel>(form, "stxFileName")->text().isEmpty());
    {
        ScopedSaveAnswer answer(QStringLiteral("/tmp/a.bmp"));
        Child<QPushButton>(form, "btnBrowse")->click();
        ASSERT_EQ(answer.requests.size(), 1u);
        EXPECT_EQ(answer.requests[0].suffixes, (QStringList{"png", "bmp"}));
    }
    EXPECT_EQ(Child<QLabel>(form, "stxFileName")->text(), "/tmp/a.bmp");

    Child<QRadioButton>(form, "rbtnMetaFile")->click();
    Child<QRadioButton>(form, "rbtnFile")->click();
    ScopedSaveAnswer answer(QStringLiteral("/tmp/a.svg"));
    Child<QPushButton>(form, "btnBrowse")->click();
    EXPECT_EQ(answer.requests.at(0).suffixes, QStringList{"svg"});
}

TEST(ExportDialog, ExportRefusesEntriesItCannotUse) {
    TDlgExportForm form;
    form.prepareForPages(3);
    form.show();
    ScopedMessageAnswerer answers;

    Child<QRadioButton>(form, "rbtnPage")->click();
    Type(Child<QLineEdit>(form, "editPageTo"), "three");
    Child<QPushButton>(form, "btnExport")->click();
    ASSERT_EQ(answers.count(), 1);
    EXPECT_EQ(answers.requests()[0].caption, "Error[E9040]");
    EXPECT_TRUE(form.isVisible());

    Type(Child<QLineEdit>(form, "editPageTo"), "3");
    Child<QPushButton>(form, "btnExport")->click();
    EXPECT_EQ(answers.count(), 1);
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_FALSE(form.isVisible());

    form.show();
    Child<QRadioButton>(form, "rbtnBitMap")->click();
    Type(Child<QLineEdit>(form, "editWidth"), "0");
    Child<QPushButton>(form, "btnExport")->click();
    EXPECT_EQ(answers.requests().back().caption, "Error[E9041]");
    Type(Child<QLineEdit>(form, "editWidth"), "wide");
    Child<QPushButton>(form, "btnExport")->click();
    EXPECT_EQ(answers.requests().back().caption, "Error[E9007]");
    EXPECT_TRUE(form.isVisible());

    Child<QRadioButton>(form, "rbtnMetaFile")->click();
    Type(Child<QLineEdit>(form, "editHigh"), "1001"); // mm
    Child<QPushButton>(form, "btnExport")->click();
    EXPECT_EQ(answers.requests().back().caption, "Error[E9042]");
    EXPECT_EQ(answers.count(), 4);

    Child<QPushButton>(form, "btnCancel")->click();
    EXPECT_EQ(form.result(), QDialog::Rejected);
}

} // namespace
} // namespace ostrel
