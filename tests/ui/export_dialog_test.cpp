// The graph export dialog, both instances, driven through its controls.
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
    EXPECT_EQ(form.gbExportDestination->title(), "Export Destination");
    EXPECT_EQ(form.rbtnPixels->text(), "No Specific Size");
    form.prepareForPages(4);

    EXPECT_EQ(form.exportType(), ExportType::Text);
    EXPECT_EQ(form.destination(), ExportDestination::File);
    EXPECT_EQ(form.pageScope(), PageScope::ThisPage);
    EXPECT_FALSE(form.rbtnClipBoard->isEnabled());
    EXPECT_FALSE(form.rbtnPrinter->isEnabled());
    EXPECT_TRUE(form.rbtnFile->isEnabled());
    EXPECT_TRUE(form.btnBrowse->isEnabled());
    EXPECT_TRUE(form.gbObjectSize->isHidden());
    for (QRadioButton* b : {form.rbtnPageAll, form.rbtnThisPage, form.rbtnPage})
        EXPECT_TRUE(b->isEnabled());
    EXPECT_FALSE(form.editPageFrom->isEnabled());
    EXPECT_FALSE(form.lblTo->isEnabled());
    EXPECT_EQ(form.editPageFrom->text(), "1");
    EXPECT_EQ(form.editPageTo->text(), "4");
    EXPECT_TRUE(form.fileName.isEmpty());

    form.rbtnPage->click();
    EXPECT_TRUE(form.editPageFrom->isEnabled());
    EXPECT_TRUE(form.lblFrom->isEnabled());
    form.rbtnPageAll->click();
    EXPECT_FALSE(form.editPageTo->isEnabled());

    // Disabled destinations cannot be chosen.
    form.rbtnClipBoard->click();
    EXPECT_EQ(form.destination(), ExportDestination::File);
}

TEST(ExportDialog, MetaFileSizesInEveryUnit) {
    TDlgExportForm form;
    form.prepareForPages(1);
    form.rbtnMetaFile->click();

    EXPECT_EQ(form.destination(), ExportDestination::ClipBoard);
    EXPECT_FALSE(form.btnBrowse->isEnabled());
    EXPECT_FALSE(form.rbtnPageAll->isEnabled());
    EXPECT_FALSE(form.rbtnPage->isEnabled());
    EXPECT_EQ(form.pageScope(), PageScope::ThisPage);
    EXPECT_FALSE(form.gbObjectSize->isHidden());
    EXPECT_EQ(form.rbtnPixels->text(), "Pixels");
    EXPECT_FALSE(form.rbtnPixels->isEnabled());
    EXPECT_EQ(form.lblUnit->text(), "Units");
    EXPECT_TRUE(form.rbtnMillimeters->isChecked());
    EXPECT_EQ(form.editWidth->text(), "100");
    EXPECT_EQ(form.editHigh->text(), "68.1");

    // Each unit to the precision it can tell apart.
    form.rbtnInches->click();
    EXPECT_EQ(form.editWidth->text(), "3.937");
    EXPECT_EQ(form.editHigh->text(), "2.681");
    form.rbtnPoints->click();
    EXPECT_EQ(form.editWidth->text(), "283.46");
    // Showing converted values never changes the stored size.
    form.rbtnMillimeters->click();
    EXPECT_EQ(form.width, 10000.0);
    EXPECT_EQ(form.height, 6810.0);
    EXPECT_EQ(form.editHigh->text(), "68.1");

    Type(form.editWidth, "50");
    EXPECT_EQ(form.width, 5000.0);
    form.rbtnInches->click();
    Type(form.editHigh, "2");
    EXPECT_EQ(form.height, 5080.0);
    form.rbtnPoints->click();
    Type(form.editHigh, "72");
    EXPECT_DOUBLE_EQ(form.height, 2540.0);
    // Text that is no number leaves the stored value as it was.
    Type(form.editHigh, "abc");
    EXPECT_DOUBLE_EQ(form.height, 2540.0);

    const ExportRequest r = form.request();
    EXPECT_EQ(r.type, ExportType::MetaFile);
    EXPECT_EQ(r.width, 5000.0);
}

TEST(ExportDialog, BitMapTakesPixelsOnly) {
    TDlgExportForm form;
    form.prepareForPages(2);
    form.rbtnBitMap->click();
    EXPECT_EQ(form.lblUnit->text(), "Pixels");
    EXPECT_TRUE(form.rbtnPixels->isChecked());
    for (QRadioButton* b : {form.rbtnMillimeters, form.rbtnInches, form.rbtnPoints})
        EXPECT_FALSE(b->isEnabled());
    EXPECT_EQ(form.editWidth->text(), "1000");
    EXPECT_EQ(form.editHigh->text(), "681");
    Type(form.editWidth, "640.5");
    EXPECT_EQ(form.width, 640.5);

    // Back to text: only File, the size group hidden.
    form.rbtnText->click();
    EXPECT_EQ(form.destination(), ExportDestination::File);
    EXPECT_FALSE(form.rbtnClipBoard->isEnabled());
    EXPECT_TRUE(form.gbObjectSize->isHidden());
}

TEST(ExportDialog, PrinterScopesFollowTheSinglePageFlag) {
    TDlgExportForm form;
    form.prepareForPages(3);
    form.rbtnBitMap->click();
    form.rbtnPrinter->click();
    EXPECT_FALSE(form.btnBrowse->isEnabled());
    for (QRadioButton* b : {form.rbtnPageAll, form.rbtnThisPage, form.rbtnPage})
        EXPECT_TRUE(b->isEnabled());

    form.rbtnClipBoard->click();
    form.singlePage = true;
    form.rbtnPrinter->click();
    EXPECT_FALSE(form.rbtnPageAll->isEnabled());
    EXPECT_FALSE(form.rbtnPage->isEnabled());

    // The viewer's instance prints the shown page only, flag or not.
    TDlgFitExportForm fit;
    fit.prepareForViewer();
    EXPECT_EQ(fit.objectName(), "DlgFitExportForm");
    EXPECT_TRUE(fit.rbtnText->isHidden());
    EXPECT_FALSE(fit.rbtnText->isEnabled());
    EXPECT_EQ(fit.exportType(), ExportType::MetaFile);
    EXPECT_EQ(fit.editPageTo->text(), "1");
    fit.singlePage = false;
    fit.rbtnPageAll->setEnabled(true);
    fit.rbtnPageAll->click();
    fit.rbtnPrinter->click();
    EXPECT_EQ(fit.pageScope(), PageScope::ThisPage);
    EXPECT_FALSE(fit.rbtnPageAll->isEnabled());
    EXPECT_FALSE(fit.rbtnPage->isEnabled());
    EXPECT_FALSE(fit.btnBrowse->isEnabled());
}

TEST(ExportDialog, BrowseOffersTheTypesFilesAndShortensTheName) {
    TDlgExportForm form;
    form.prepareForPages(1);
    const QString forty = QStringLiteral("/home/user/exports/2024/march/run-07.csv");
    {
        ScopedSaveAnswer answer(forty);
        form.btnBrowse->click();
        ASSERT_EQ(answer.requests.size(), 1u);
        EXPECT_EQ(answer.requests[0].fileName, "Untitled");
        EXPECT_EQ(answer.requests[0].filters, QStringList{"CSV files(*.csv)"});
        EXPECT_EQ(answer.requests[0].suffixes, QStringList{"csv"});
    }
    EXPECT_EQ(form.fileName, forty);
    EXPECT_EQ(form.stxFileName->text(), "/ho...ts/2024/march/run-07.csv");
    EXPECT_EQ(form.stxFileName->text().size(), 30);
    EXPECT_EQ(form.request().fileName, forty.toStdString());

    // Cancel keeps the name chosen before.
    {
        ScopedSaveAnswer cancel{QString()};
        form.btnBrowse->click();
    }
    EXPECT_EQ(form.fileName, forty);

    form.rbtnBitMap->click();
    form.rbtnFile->click();
    EXPECT_TRUE(form.fileName.isEmpty());
    EXPECT_TRUE(form.stxFileName->text().isEmpty());
    {
        ScopedSaveAnswer answer(QStringLiteral("/tmp/a.bmp"));
        form.btnBrowse->click();
        ASSERT_EQ(answer.requests.size(), 1u);
        EXPECT_EQ(answer.requests[0].suffixes, (QStringList{"png", "bmp"}));
    }
    EXPECT_EQ(form.stxFileName->text(), "/tmp/a.bmp");

    form.rbtnMetaFile->click();
    form.rbtnFile->click();
    ScopedSaveAnswer answer(QStringLiteral("/tmp/a.svg"));
    form.btnBrowse->click();
    EXPECT_EQ(answer.requests.at(0).suffixes, QStringList{"svg"});
}

TEST(ExportDialog, ExportRefusesEntriesItCannotUse) {
    TDlgExportForm form;
    form.prepareForPages(3);
    form.show();
    ScopedMessageAnswerer answers;

    form.rbtnPage->click();
    Type(form.editPageTo, "three");
    form.btnExport->click();
    ASSERT_EQ(answers.count(), 1);
    EXPECT_EQ(answers.requests()[0].caption, "Error[E9040]");
    EXPECT_TRUE(form.isVisible());

    Type(form.editPageTo, "3");
    form.btnExport->click();
    EXPECT_EQ(answers.count(), 1);
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_FALSE(form.isVisible());

    form.show();
    form.rbtnBitMap->click();
    Type(form.editWidth, "0");
    form.btnExport->click();
    EXPECT_EQ(answers.requests().back().caption, "Error[E9041]");
    Type(form.editWidth, "wide");
    form.btnExport->click();
    EXPECT_EQ(answers.requests().back().caption, "Error[E9007]");
    EXPECT_TRUE(form.isVisible());

    form.rbtnMetaFile->click();
    Type(form.editHigh, "1001"); // mm
    form.btnExport->click();
    EXPECT_EQ(answers.requests().back().caption, "Error[E9042]");
    EXPECT_EQ(answers.count(), 4);

    form.btnCancel->click();
    EXPECT_EQ(form.result(), QDialog::Rejected);
}

} // namespace
} // namespace ostrel
