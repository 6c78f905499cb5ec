// The recorder against the simulated meter, through the whole program:
// link, record, unlink (recording stops, the buffer stays), save, clear,
// open; the data list, the graph page and the status bar agree throughout.

#include "find_child.h"

#include "app/ui/display_windows.h"
#include "app/ui/main_form.h"
#include "app/ui/meter_access_factory.h"
#include "app/ui/start_up.h"
#include "base/ui/message_box.h"
#include "graph/ui/graph_adapter.h"
#include "recorder/ui/graphical_form.h"
#include "recorder/ui/leftover_dialog.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace ostrel {
namespace {

using testing::Child;

TEST(RecorderEndToEnd, RecordUnlinkSaveClearOpen) {
    QTemporaryDir dir;
    std::string error;
    std::unique_ptr<MeterAccess> access = MakeMeterAccess("default,latency=1", &error);
    ASSERT_TRUE(access) << error;
    ShellSession session(*access, dir.path());
    session.showWindows();
    ScopedMessageAnswerer answers(QMessageBox::Ok);
    TFormMain& main = session.main();
    TGraphicalForm& recorder = *session.windows().graphical;
    TDataStringGridForm& dataList = *session.windows().dataList;

    main.sbtnLink->click();
    ASSERT_TRUE(main.acquisitionState().isLinked());
    ASSERT_TRUE(QTest::qWaitFor([&] { return main.acquisitionState().isLinkAlive(); }, 10000));
    Child<QToolButton>(recorder, "sbtnRecordStart")->click();
    ASSERT_TRUE(recorder.recording());
    EXPECT_EQ(QDir(dir.path()).entryList({"~QDMDL*"}), QStringList({"~QDMDL1.TMP"}));
    // Full speed: a sample every 500 ms.
    ASSERT_TRUE(QTest::qWaitFor([&] { return recorder.engine().count() >= 4; }, 10000));
    EXPECT_EQ(Child<QLabel>(recorder, "StatusPanel0")->text(), "Data Logging ...");

    main.sbtnLink->click(); // unlink: message 1029 stops the recording
    EXPECT_FALSE(recorder.recording());
    EXPECT_TRUE(Child<QToolButton>(recorder, "sbtnRecordStop")->isChecked());
    const std::int64_t n = recorder.engine().count();
    QTest::qWait(700);
    EXPECT_EQ(recorder.engine().count(), n); // the buffer stays as it was
    QCoreApplication::processEvents();
    ASSERT_EQ(dataList.sheet(0)->count(), n);
    const QString lastLine = dataList.lineText(0, static_cast<int>(n - 1));
    EXPECT_TRUE(lastLine.startsWith(QString::number(n) + ","));
    const double lastValue = Child<GraphAdapter>(recorder, "PEGraph")->yData(199);
    EXPECT_EQ(lastValue, recorder.buffer().back().main.value);
    EXPECT_EQ(Child<QLabel>(recorder, "StatusPanel1")->text(),
              QStringLiteral("Data in buffer : %1").arg(n));

    const QString file = QDir(dir.path()).filePath("session.g53");
    recorder.setFileChooser([&](const TGraphicalForm::FileRequest&) { return file; });
    ASSERT_TRUE(recorder.sbtnSaveFileClick());
    recorder.sbtnClearClick(); // saved: no question
    EXPECT_EQ(recorder.engine().count(), 0);
    EXPECT_EQ(dataList.sheet(0)->count(), 0);
    EXPECT_EQ(Child<QLabel>(recorder, "StatusPanel1")->text(), "Data in buffer : 0");

    recorder.sbtnOpenFileClick();
    EXPECT_EQ(recorder.engine().count(), n);
    EXPECT_EQ(dataList.sheet(0)->count(), n);
    EXPECT_EQ(dataList.lineText(0, static_cast<int>(n - 1)), lastLine);
    EXPECT_EQ(Child<GraphAdapter>(recorder, "PEGraph")->yData(199), lastValue);
    EXPECT_EQ(Child<QLabel>(recorder, "StatusPanel1")->text(),
              QStringLiteral("Data in buffer : %1").arg(n));
    EXPECT_EQ(Child<QLabel>(recorder, "StatusPanel2")->text(), "Page : 1 of 1");
    // The demo meter's battery is fine: nothing was said.
    EXPECT_EQ(answers.count(), 0);
}

TEST(RecorderEndToEnd, StartUpOffersAnEarlierRunsRecording) {
    QTemporaryDir dir;
    QFile left(QDir(dir.path()).filePath("~QDMDL4.TMP"));
    ASSERT_TRUE(left.open(QIODevice::WriteOnly));
    left.write(QByteArray(2 * 169, '\0'));
    left.close();
    std::unique_ptr<MeterAccess> access = MakeMeterAccess("absent", nullptr);
    ASSERT_TRUE(access);
    ShellSession session(*access, dir.path());
    QString listed;
    session.windows().graphical->setDialogRunner([&](QDialog& d) {
        auto& dialog = dynamic_cast<TLeftoverDialog&>(d);
        listed = Child<QTreeWidget>(dialog, "lvFiles")->topLevelItem(0)->text(0) + ' ' +
                 Child<QTreeWidget>(dialog, "lvFiles")->topLevelItem(0)->text(1);
        Child<QPushButton>(dialog, "bbtnKeep")->click();
        return dialog.result();
    });
    session.showWindows();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !listed.isEmpty(); }, 5000));
    EXPECT_EQ(listed, "~QDMDL4.TMP 2");
    EXPECT_TRUE(session.windows().graphical->engine().empty());
    EXPECT_TRUE(left.exists());
}

} // namespace
} // namespace ostrel
