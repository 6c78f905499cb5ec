// End to end with the simulated logger memory of `ostrel --simulate=logger`:
// download into the window, three sessions as pages, Save As, Clear, Open,
// export of all pages as text: the same text as `ostrel-cli download --csv`
// of the same memory.
#include "import_test_rig.h"

#include "app/ui/meter_access_factory.h"

#include <QTemporaryDir>

#include <cstdlib>
#include <fstream>

namespace ostrel {
namespace {

using testing::Child;

std::string ReadFile(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(ImportEndToEnd, DownloadSaveOpenExportMatchesTheCommandLine) {
    QTemporaryDir dir;
    std::string error;
    // The program's own factory: the simulated meter comes with its logger memory.
    auto access = MakeMeterAccess(std::string("logger,latency=0"), &error);
    ASSERT_TRUE(access) << error;
    ASSERT_TRUE(access->backend());
    TMsgForm progress;
    TDlgExportForm exportDialog;
    TdlgGraphLineColor lineColour;
    ImportWindowServices services{access->backend(), &progress, &exportDialog, &lineColour};
    TFormImport form(services);
    // Yes to the download's confirmation, OK to Clear's question.
    ScopedMessageAnswerer answers([](const MessageRequest& r) {
        return int(r.buttons.testFlag(QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::Ok);
    });

    form.sbtnImportClick();
    ASSERT_TRUE(testing::ProcessUntil([&] { return !form.importRunning() && !BusyFlag(); }));
    ASSERT_EQ(Child<QTabWidget>(form, "PageControl")->count(), 3);
    EXPECT_EQ(Child<QTabWidget>(form, "PageControl")->tabText(0), "Session1");
    EXPECT_EQ(form.currentPage(), 2);

    const QString slr = dir.filePath("logger.slr");
    auto previous = SetSaveFileAnswerer([slr](const SaveFileRequest&) { return slr; });
    form.sbtnSaveClick();
    SetSaveFileAnswerer(previous);
    ASSERT_TRUE(form.isSaved());
    form.sbtnClearClick();
    ASSERT_TRUE(form.isEmpty());
    form.chooseOpenFile = [slr](QWidget*) { return slr; };
    form.sbtnOpenClick();
    ASSERT_EQ(Child<QTabWidget>(form, "PageControl")->count(), 3);

    const QString csv = dir.filePath("window.csv");
    form.runModal = [&](QDialog&) {
        exportDialog.choose(PageScope::AllPages);
        exportDialog.fileName = csv;
        return int(QDialog::Accepted);
    };
    form.sbtnExportClick();
    // Only the download's confirmation and Clear's question were asked.
    ASSERT_EQ(answers.count(), 2);

    const QString cliCsv = dir.filePath("cli.csv");
    const std::string command = std::string(OSTREL_CLI) +
                                " download --simulate=logger,latency=0 --csv '" +
                                cliCsv.toStdString() + "' > /dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::string expected = ReadFile(cliCsv);
    EXPECT_GT(expected.size(), 24000u * 20);
    EXPECT_EQ(ReadFile(csv), expected);
}

} // namespace
} // namespace ostrel
