// Session files and exports from the import window: Save As and Open with
// their progress and notices, text export of pages, an image of the page,
// printed pages.
#include "import_test_rig.h"

#include "graph/ui/graph_printing.h"
#include "import/session_file.h"

#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QPrinter>
#include <QProgressBar>
#include <QRadioButton>
#include <QTemporaryDir>

#include <fstream>

namespace ostrel {
namespace {

using test::Captions;
using test::DualSession;
using test::ImportRig;
using test::SingleSession;
using testing::Child;

std::string ReadData(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class SaveAnswer {
  public:
    explicit SaveAnswer(QString path) {
        m_previous = SetSaveFileAnswerer([this, path](const SaveFileRequest& r) {
            requests.push_back(r);
            return path;
        });
    }
    ~SaveAnswer() { SetSaveFileAnswerer(std::move(m_previous)); }
    std::vector<SaveFileRequest> requests;

  private:
    SaveFileAnswerer m_previous;
};

class ImportFiles : public ::testing::Test {
  protected:
    QString path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    // Open a file in the window, answering every box with OK.
    std::vector<MessageRequest> open(ImportRig& rig, const QString& file) {
        rig.form->chooseOpenFile = [file](QWidget*) { return file; };
        ScopedMessageAnswerer answers;
        rig.form->sbtnOpenClick();
        EXPECT_TRUE(rig.idle());
        return answers.requests();
    }
    QTemporaryDir m_dir;
};

TEST_F(ImportFiles, SavedDownloadOpensAgainWithTheSameBytes) {
    ImportRig rig;
    rig.serve({DualSession(3), SingleSession(2, [](std::size_t i) { return i; }), DualSession(1)});
    rig.download();
    TFormImport& f = *rig.form;
    {
        SaveAnswer save(path("a.slr"));
        f.sbtnSaveClick();
        ASSERT_EQ(save.requests.size(), 1u);
        EXPECT_EQ(save.requests[0].fileName, "Untitled.slr");
        EXPECT_EQ(save.requests[0].filters, QStringList{"session logger data files(*.slr)"});
        EXPECT_EQ(save.requests[0].suffixes, QStringList{"slr"});
    }
    EXPECT_TRUE(f.isSaved());
    const std::string saved = ReadData(path("a.slr"));
    const auto expected = SessionFileBytes(f.sessions());
    EXPECT_EQ(saved, std::string(expected.begin(), expected.end()));
    {
        ScopedMessageAnswerer answers(QMessageBox::Ok);
        f.sbtnClearClick();
    }
    ASSERT_TRUE(f.isEmpty());

    EXPECT_TRUE(open(rig, path("a.slr")).empty());
    EXPECT_EQ(rig.pages()->count(), 3);
    EXPECT_EQ(rig.pages()->tabText(2), "Session3");
    EXPECT_EQ(f.currentPage(), 2);
    EXPECT_EQ(rig.graph()->mainTitle(), "Session 3");
    EXPECT_TRUE(f.isSaved());
    EXPECT_FALSE(f.isEmpty());
    EXPECT_FALSE(rig.progress.isVisible());
    // Saved once more: the same bytes.
    {
        SaveAnswer save(path("b.slr"));
        f.sbtnSaveClick();
    }
    EXPECT_EQ(ReadData(path("b.slr")), saved);
}

TEST_F(ImportFiles, OpenFailuresAndDamagedFiles) {
    ImportRig rig;
    rig.serve({DualSession(3)});
    rig.download();
    TFormImport& f = *rig.form;
    // A file that cannot be opened: said, and the window keeps its data.
    auto shown = open(rig, path("missing.slr"));
    ASSERT_EQ(Captions(shown), std::vector<std::string>{"Error[E9004]"});
    EXPECT_EQ(shown[0].text, "File open error.");
    EXPECT_EQ(f.sessionCount(), 1);

    // Cut short in its second session: what was read is shown, the cut is said.
    SessionTable two;
    for (int s = 0; s < 2; ++s) {
        SessionList& list = *two.addSession();
        for (int i = 0; i < 3; ++i) {
            SessionPair p;
            StoreField(p.main.timeText, "0:00'1.000\"");
            list.push_back(std::move(p));
        }
    }
    auto bytes = SessionFileBytes(two);
    bytes.resize(bytes.size() - 40);
    {
        QFile file(path("cut.slr"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    }
    shown = open(rig, path("cut.slr"));
    ASSERT_EQ(Captions(shown), std::vector<std::string>{"Error[E9004]"});
    EXPECT_EQ(shown[0].text, "File open error.\nThe session file is damaged or cut short; the "
                             "sessions read up to that point were kept.");
    EXPECT_EQ(rig.pages()->count(), 2);
    EXPECT_EQ(f.sessions().session(1).size(), 2u);
    EXPECT_TRUE(f.isSaved());

    // No sessions at all: no page, but the window holds (saved) data.
    {
        QFile file(path("none.slr"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(4, '\0'));
    }
    EXPECT_TRUE(open(rig, path("none.slr")).empty());
    EXPECT_EQ(rig.pages()->count(), 0);
    EXPECT_FALSE(f.isEmpty());
    EXPECT_TRUE(f.isSaved());
    EXPECT_EQ(rig.graph()->pointCount(), 200);
}

TEST_F(ImportFiles, SaveThatFailsChangesNothing) {
    ImportRig rig;
    rig.serve({DualSession(2)});
    rig.download();
    SaveAnswer save(path("no/such/folder/x.slr"));
    ScopedMessageAnswerer answers;
    rig.form->sbtnSaveClick();
    EXPECT_EQ(Captions(answers.requests()), std::vector<std::string>{"Error[E9005]"});
    EXPECT_FALSE(rig.form->isSaved());
    EXPECT_EQ(rig.form->sessionCount(), 1);
}

// Runs Export with the dialog set up by choose().
template <class Choose> std::vector<MessageRequest> Export(ImportRig& rig, Choose choose) {
    rig.form->runModal = [&rig, choose](QDialog&) {
        choose(rig.exportDialog);
        return int(QDialog::Accepted);
    };
    ScopedMessageAnswerer answers;
    rig.form->sbtnExportClick();
    return answers.requests();
}

TEST_F(ImportFiles, TextOfOneSessionAndOfTwo) {
    ImportRig rig;
    rig.serve({SingleSession(2, [](std::size_t i) { return 1200 + i; }), DualSession(2)});
    rig.download();
    // This Page (the shown page is the first): a header and two lines of five fields.
    rig.form->sbtnFirstPageClick();
    const QString one = path("one.csv");
    EXPECT_TRUE(Export(rig, [&](TDlgExportForm& d) { d.fileName = one; }).empty());
    EXPECT_EQ(ReadData(one), "#item,Time,MainData,MainUnit,MainFunc,Sub Data,SubUnit,SubFunc\r\n"
                             "1,0:00'0.000\",12.00,,V [DC]\r\n"
                             "2,0:00'1.000\",12.01,,V [DC]\r\n");
    // All pages: both numbered from 1, no line between them.
    const QString both = path("both.csv");
    Export(rig, [&](TDlgExportForm& d) {
        d.choose(PageScope::AllPages);
        d.fileName = both;
    });
    EXPECT_EQ(ReadData(both), ReadData(one) + "1,0:00'0.000\",230.0,,V [AC],50.00,,Hz\r\n"
                                              "2,0:00'1.000\",230.1,,V [AC],49.99,,Hz\r\n");
    // Page From–To beyond the pages is limited to them; not a number is refused.
    const QString clamped = path("clamped.csv");
    Export(rig, [&](TDlgExportForm& d) {
        d.choose(PageScope::Pages);
        Child<QLineEdit>(d, "editPageFrom")->setText("2");
        Child<QLineEdit>(d, "editPageTo")->setText("99");
        d.fileName = clamped;
    });
    EXPECT_EQ(ReadData(clamped).find("1,0:00'0.000\",12.00"), std::string::npos);
    EXPECT_NE(ReadData(clamped).find("230.0"), std::string::npos);
    auto shown = Export(rig, [&](TDlgExportForm& d) {
        d.choose(PageScope::Pages);
        Child<QLineEdit>(d, "editPageFrom")->setText("x");
        d.fileName = path("never.csv");
    });
    EXPECT_EQ(Captions(shown), std::vector<std::string>{"Error[E9040]"});
    EXPECT_FALSE(QFile::exists(path("never.csv")));
    // No file name: said, nothing written.
    shown = Export(rig, [&](TDlgExportForm&) {});
    EXPECT_EQ(Captions(shown), std::vector<std::string>{"Error[E9013]"});
    // A file that cannot be made: said, the window's data untouched.
    shown = Export(rig, [&](TDlgExportForm& d) { d.fileName = path("no/folder/x.csv"); });
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Cannot create file " + path("no/folder/x.csv"));
    EXPECT_EQ(rig.form->sessionCount(), 2);
    EXPECT_EQ(rig.form->currentPage(), 0);
}

TEST_F(ImportFiles, ImageOfThePageAndPrintedPages) {
    ImportRig rig;
    rig.serve({DualSession(5), DualSession(6), DualSession(7)});
    rig.download();
    TFormImport& f = *rig.form;
    f.sbtnFirstPageClick();
    f.sbtnPageDownClick(); // the second page is shown
    const QString png = path("page.png");
    Export(rig, [&](TDlgExportForm& d) {
        d.choose(ExportType::BitMap);
        d.choose(ExportDestination::File);
        d.fileName = png;
    });
    QImage image(png);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(1000, 681));
    EXPECT_EQ(f.currentPage(), 1);

    // Pages 1 to 3 on the printer (a PDF here); the window shows its page again.
    const QString pdf = path("pages.pdf");
    f.printer().setOutputFormat(QPrinter::PdfFormat);
    f.printer().setOutputFileName(pdf);
    const auto shown = Export(rig, [&](TDlgExportForm& d) {
        d.choose(ExportType::BitMap);
        d.choose(ExportDestination::Printer);
        d.choose(PageScope::AllPages);
    });
    EXPECT_TRUE(shown.empty());
    const std::string printed = ReadData(pdf);
    EXPECT_EQ(printed.rfind("%PDF", 0), 0u);
    std::size_t pages = 0;
    for (std::size_t at = printed.find("/Type /Page\n"); at != std::string::npos;
         at = printed.find("/Type /Page\n", at + 1))
        ++pages;
    EXPECT_EQ(pages, 3u);
    EXPECT_EQ(f.currentPage(), 1);
    EXPECT_EQ(rig.graph()->mainTitle(), "Session 2");
}

TEST_F(ImportFiles, ExportsGoTheRecordersWaySvgInMillimetresAndAPrintDialogWithoutPrinter) {
    ImportRig rig;
    rig.serve({DualSession(5), DualSession(6)});
    rig.download();
    TFormImport& f = *rig.form;
    // A metafile is SVG of exactly the size asked for (100 mm by 68.1 mm).
    const QString svg = path("page.svg");
    EXPECT_TRUE(Export(rig, [&](TDlgExportForm& d) {
                    d.choose(ExportType::MetaFile);
                    d.choose(ExportDestination::File);
                    d.fileName = svg;
                }).empty());
    const std::string text = ReadData(svg);
    EXPECT_NE(text.find("width=\"100mm\" height=\"68.1mm\""), std::string::npos)
        << text.substr(0, 400);

    // With no printer to print to, the print dialog is offered (the user
    // chooses a PDF file there) instead of a refusal.
    if (PrinterInstalled())
        return; // the printer would print for real
    const QString pdf = path("chosen.pdf");
    f.printer().setOutputFormat(QPrinter::NativeFormat);
    int dialogs = 0;
    const PrintDialogAnswerer previous =
        SetPrintDialogAnswerer([&](QPrinter& printer, PrintDialogKind kind) {
            EXPECT_EQ(kind, PrintDialogKind::Print);
            ++dialogs;
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            return true;
        });
    const auto shown = Export(rig, [&](TDlgExportForm& d) {
        d.choose(ExportType::BitMap);
        d.choose(ExportDestination::Printer);
        d.choose(PageScope::AllPages);
    });
    SetPrintDialogAnswerer(previous);
    EXPECT_EQ(dialogs, 1);
    ASSERT_EQ(shown.size(), 1u); // the word that no printer is installed
    EXPECT_EQ(ReadData(pdf).rfind("%PDF", 0), 0u);
    EXPECT_EQ(f.currentPage(), 1);
}

TEST_F(ImportFiles, PrintingLongerPagesLeavesTheShownPageWhole) {
    // The shown page is shorter than the pages printed after it: the panels
    // always read the page being drawn, and afterwards the shown page again.
    ImportRig rig;
    rig.serve({DualSession(2), DualSession(40), DualSession(3)});
    rig.download();
    TFormImport& f = *rig.form;
    f.sbtnFirstPageClick();
    f.printer().setOutputFormat(QPrinter::PdfFormat);
    f.printer().setOutputFileName(path("all.pdf"));
    EXPECT_TRUE(Export(rig, [&](TDlgExportForm& d) {
                    d.choose(ExportType::BitMap);
                    d.choose(ExportDestination::Printer);
                    d.choose(PageScope::AllPages);
                }).empty());
    EXPECT_EQ(f.currentPage(), 0);
    EXPECT_EQ(f.points(), 2);
    EXPECT_EQ(ImportRig::text(Child<QLabel>(f, "pnlMainDataTime")), "0:00'1.000\"");
    EXPECT_EQ(ImportRig::text(Child<QLabel>(f, "pnlMaxMainDataTime")), "0:00'1.000\"");
}

} // namespace
} // namespace ostrel
