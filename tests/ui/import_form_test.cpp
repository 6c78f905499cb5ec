// The import window: its pages and graph after a download, the choice of
// display, the extremes, the page commands, Clear, the close query and the
// line colour dialog.
#include "import_test_rig.h"

#include <QAction>
#include <QMenuBar>
#include <QPushButton>
#include <QToolButton>

namespace ostrel {
namespace {

using test::DualSession;
using test::ImportRig;
using test::SingleSession;
using testing::Child;

TEST(ImportForm, CreatedEmptyWithItsControls) {
    ImportRig rig;
    TFormImport& f = *rig.form;
    EXPECT_EQ(f.windowTitle(), "Data Logger");
    EXPECT_TRUE(f.isEmpty());
    EXPECT_FALSE(f.isSaved());
    EXPECT_EQ(f.points(), 200);
    EXPECT_EQ(rig.graph()->pointCount(), 200);
    EXPECT_DOUBLE_EQ(rig.graph()->manualMaxY(), 100.0);
    EXPECT_DOUBLE_EQ(rig.graph()->manualMinY(), -100.0);
    EXPECT_EQ(rig.graph()->mainTitle(), "Session");
    EXPECT_EQ(rig.graph()->yAxisLabel(), "Reading");
    EXPECT_EQ(rig.graph()->xAxisLabel(), "Time");
    EXPECT_FALSE(rig.graph()->zoomEnabled());
    EXPECT_FALSE(Child<QToolButton>(f, "sbtnUndoZoom")->isEnabled());
    EXPECT_TRUE(Child<QToolButton>(f, "sbtnUndoZoom")->isHidden());
    EXPECT_TRUE(Child<QRadioButton>(f, "rbtnMainData")->isChecked());
    for (QWidget* w : {Child<QWidget>(f, "sbtnFirstPage"), Child<QWidget>(f, "sbtnPageUp"),
                       Child<QWidget>(f, "sbtnPageDown"), Child<QWidget>(f, "sbtnLastPage"),
                       Child<QWidget>(f, "rbtnMainData"), Child<QWidget>(f, "rbtnSubData")})
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
    // Enable rules of an empty window.
    EXPECT_TRUE(Child<QToolButton>(f, "sbtnOpen")->isEnabled());
    EXPECT_TRUE(Child<QToolButton>(f, "sbtnImport")->isEnabled());
    EXPECT_FALSE(Child<QToolButton>(f, "sbtnSave")->isEnabled());
    EXPECT_FALSE(Child<QToolButton>(f, "sbtnClear")->isEnabled());
    EXPECT_FALSE(Child<QToolButton>(f, "sbtnExport")->isEnabled());
    EXPECT_FALSE(Child<QAction>(f, "mnuPrint")->isEnabled());
    EXPECT_TRUE(Child<QAction>(f, "mnuPrinterSetup")->isEnabled());
    EXPECT_TRUE(Child<QAction>(f, "mnuLineColor")->isEnabled());
    // The menus in their order.
    QStringList menus;
    for (QAction* a : Child<QMenuBar>(f, "MainMenu")->actions())
        menus << a->text();
    EXPECT_EQ(menus, (QStringList{"&File", "&Edit", "&View"}));
    QStringList file;
    for (QAction* a : Child<QMenuBar>(f, "MainMenu")->actions()[0]->menu()->actions())
        file << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(file,
              (QStringList{"&Open...", "Save &As...", "-", "&Import data from DMM", "E&xport ...",
                           "-", "&Print this page ...", "Printer Set&up...", "-", "E&xit"}));
}

TEST(ImportForm, DownloadShowsEachSessionAsAPage) {
    ImportRig rig;
    rig.serve({SingleSession(3, [](std::size_t i) { return 100 * (i + 1); }), DualSession(5)});
    EXPECT_EQ(test::Captions(rig.download()), std::vector<std::string>{"Warning[W8010]"});
    TFormImport& f = *rig.form;
    EXPECT_EQ(f.sessionCount(), 2);
    EXPECT_EQ(f.pageCount(), 2);
    EXPECT_EQ(f.currentPage(), 1);
    EXPECT_FALSE(f.isEmpty());
    EXPECT_FALSE(f.isSaved());
    ASSERT_EQ(rig.pages()->count(), 2);
    EXPECT_EQ(rig.pages()->tabText(0), "Session1");
    EXPECT_EQ(rig.pages()->tabText(1), "Session2");
    EXPECT_EQ(rig.pages()->widget(1)->objectName(), "tsSession2");
    EXPECT_EQ(f.grid(1)->objectName(), "StrGrid2");
    EXPECT_EQ(rig.pages()->currentIndex(), 1);
    EXPECT_EQ(f.grid(1)->cellText(0, 3), "50.00Hz");

    // The last page is shown: its graph, title, cursor on its last point.
    EXPECT_EQ(rig.graph()->mainTitle(), "Session 2");
    EXPECT_EQ(f.points(), 5);
    EXPECT_EQ(rig.graph()->pointCount(), 5);
    EXPECT_EQ(rig.graph()->cursorPoint(), 4);
    EXPECT_EQ(rig.graph()->pointLabel(4), "0:00'4.000\"");
    EXPECT_EQ(ImportRig::text(Child<QLabel>(f, "pnlMainDataTime")), "0:00'4.000\"");
    EXPECT_EQ(ImportRig::text(Child<QLabel>(f, "pnlSubDataRdg")), "49.99Hz");
    EXPECT_TRUE(Child<QRadioButton>(f, "rbtnSubData")->isEnabled());
    // Enable rules of a filled window on its last page.
    EXPECT_TRUE(Child<QToolButton>(f, "sbtnSave")->isEnabled());
    EXPECT_TRUE(Child<QToolButton>(f, "sbtnFirstPage")->isEnabled());
    EXPECT_FALSE(Child<QToolButton>(f, "sbtnPageDown")->isEnabled());

    // A page's table is made when the page is first shown, not before.
    EXPECT_EQ(f.grid(0), nullptr);
    EXPECT_EQ(f.findChildren<SessionGrid*>().size(), 1);
    f.sbtnFirstPageClick();
    ASSERT_NE(f.grid(0), nullptr);
    EXPECT_EQ(f.findChildren<SessionGrid*>().size(), 2);
    // The table: a header, one row per reading and the empty last row, selected.
    SessionGrid* grid = f.grid(0);
    EXPECT_EQ(grid->objectName(), "StrGrid1");
    ASSERT_EQ(grid->tableRows(), 4);
    ASSERT_EQ(grid->model()->columnCount(), 4);
    QStringList header;
    for (int c = 0; c < 4; ++c)
        header << grid->model()->headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(header, (QStringList{"No.", "Time", "Main-Data", "Sub-Data"}));
    EXPECT_EQ(grid->cellText(1, 0), "2");
    EXPECT_EQ(grid->cellText(1, 1), "0:00'1.000\"");
    EXPECT_EQ(grid->cellText(1, 2), "02.00V [DC]");
    EXPECT_EQ(grid->cellText(1, 3), "");
    EXPECT_EQ(grid->cellText(3, 0), "");
    EXPECT_EQ(grid->currentRow(), 3);
    // Back on the other page, its table is the one made before.
    SessionGrid* second = f.grid(1);
    f.sbtnLastPageClick();
    EXPECT_EQ(f.grid(1), second);
    EXPECT_EQ(f.findChildren<SessionGrid*>().size(), 2);
}

// Many sessions: their tabs, in order; a tab chosen by the user gets the table
// of its session, as it would have been made with the tab (at its last row).
TEST(ImportForm, ManySessionsMakeTheTableOfAPageChosen) {
    ImportRig rig;
    std::vector<LoggerSessionData> sessions;
    for (std::size_t k = 0; k < 60; ++k)
        sessions.push_back(k % 3 == 1 ? DualSession(k + 1)
                                      : SingleSession(k + 1, [k](std::size_t i) { return k * i; }));
    rig.serve(sessions);
    rig.download();
    TFormImport& f = *rig.form;
    f.show();
    ASSERT_EQ(rig.pages()->count(), 60);
    EXPECT_EQ(rig.pages()->currentIndex(), 59);
    EXPECT_EQ(f.findChildren<SessionGrid*>().size(), 1);
    for (int page : {0, 31, 58}) {
        rig.pages()->setCurrentIndex(page);
        EXPECT_EQ(f.currentPage(), page);
        EXPECT_EQ(rig.pages()->tabText(page), QStringLiteral("Session%1").arg(page + 1));
        SessionGrid* grid = f.grid(page);
        ASSERT_NE(grid, nullptr) << page;
        EXPECT_TRUE(testing::ProcessUntil([&] { return grid->isVisible(); }, 5000));
        EXPECT_EQ(grid->objectName(), QStringLiteral("StrGrid%1").arg(page + 1));
        ASSERT_EQ(grid->tableRows(), page + 2);
        EXPECT_EQ(grid->currentRow(), page + 1);
        // Every cell is the session's own, as the core forms it.
        const SessionList& list = f.sessions().session(static_cast<std::size_t>(page));
        for (int r = 0; r < grid->tableRows(); ++r)
            for (int c = 0; c < 4; ++c)
                ASSERT_EQ(grid->cellText(r, c).toStdString(),
                          SessionCellText(list, static_cast<std::size_t>(r), c))
                    << page << ' ' << r << ' ' << c;
    }
    EXPECT_EQ(f.findChildren<SessionGrid*>().size(), 4);
    // Clear takes every page and table; another download makes them again.
    {
        ScopedMessageAnswerer answers(QMessageBox::Ok);
        f.sbtnClearClick();
    }
    EXPECT_EQ(rig.pages()->count(), 0);
    EXPECT_TRUE(f.findChildren<SessionGrid*>().isEmpty());
    rig.download();
    EXPECT_EQ(rig.pages()->count(), 60);
    EXPECT_EQ(f.grid(59)->objectName(), "StrGrid60");
}

TEST(ImportForm, LongSessionsAreDecimated) {
    ImportRig rig;
    auto ramp = [](std::size_t i) { return i % 5000; };
    rig.serve({SingleSession(8191, ramp), SingleSession(8192, ramp), SingleSession(8193, ramp)});
    rig.download();
    TFormImport& f = *rig.form;
    const int expected[] = {8191, 8192, 8192};
    for (int page = 0; page < 3; ++page) {
        f.sbtnFirstPageClick();
        for (int i = 0; i < page; ++i)
            f.sbtnPageDownClick();
        EXPECT_EQ(f.points(), expected[page]) << page;
        EXPECT_EQ(rig.graph()->pointCount(), expected[page]) << page;
        EXPECT_EQ(f.oneToOne(), page == 0);
        // The table keeps every reading.
        EXPECT_EQ(f.grid(page)->tableRows(), 8191 + page + 1);
    }
}

TEST(ImportForm, ExtremesOfAConstantSessionAndTheRangeOfAZeroStart) {
    ImportRig rig;
    rig.serve({SingleSession(10, [](std::size_t) { return 1234; }),
               SingleSession(4, [](std::size_t i) { return i == 0 ? 0 : 50 * i; })});
    rig.download();
    TFormImport& f = *rig.form;
    f.sbtnFirstPageClick();
    // Max: the last of equal readings; min: the first.
    EXPECT_EQ(ImportRig::text(Child<QLabel>(f, "pnlMaxMainDataTime")), "0:00'9.000\"");
    EXPECT_EQ(ImportRig::text(Child<QLabel>(f, "pnlMinMainDataTime")), "0:00'0.000\"");
    EXPECT_EQ(ImportRig::text(Child<QLabel>(f, "pnlMaxMainDataRdg")), "12.34V [DC]");
    EXPECT_TRUE(Child<QLabel>(f, "pnlMaxSubDataTime")->text().isEmpty());
    // A first value 0 sets the range to -1 … 1 before the later points widen it.
    f.sbtnLastPageClick();
    EXPECT_FLOAT_EQ(f.minY(), -1.0f);
    EXPECT_FLOAT_EQ(f.maxY(), 1.5f * 1.33f);
    EXPECT_DOUBLE_EQ(rig.graph()->manualMinY(), f.minY());
}

TEST(ImportForm, SingleDisplaySessionForcesMainData) {
    ImportRig rig;
    rig.serve({DualSession(4), SingleSession(4, [](std::size_t i) { return i; })});
    rig.download();
    TFormImport& f = *rig.form;
    f.sbtnFirstPageClick();
    Child<QRadioButton>(f, "rbtnSubData")->setChecked(true);
    f.rbtnSubDataClick();
    EXPECT_DOUBLE_EQ(rig.graph()->yData(0), 50.0); // the frequency
    EXPECT_EQ(rig.graph()->lineColor(), QColor(Qt::red));
    f.sbtnPageDownClick();
    EXPECT_TRUE(Child<QRadioButton>(f, "rbtnMainData")->isChecked());
    EXPECT_FALSE(Child<QRadioButton>(f, "rbtnSubData")->isEnabled());
    EXPECT_TRUE(Child<QLabel>(f, "pnlSubDataTime")->text().isEmpty());
    EXPECT_EQ(rig.graph()->lineColor(), QColor(Qt::blue));
}

TEST(ImportForm, PageCommandsAtTheEnds) {
    ImportRig rig;
    rig.serve({DualSession(2), DualSession(3)});
    rig.download();
    TFormImport& f = *rig.form;
    f.sbtnFirstPageClick();
    ASSERT_EQ(f.currentPage(), 0);
    {
        ScopedMessageAnswerer answers;
        f.sbtnPageUpClick();
        ASSERT_EQ(answers.count(), 1);
        EXPECT_EQ(answers.requests()[0].caption, "Warning[W8008]");
        EXPECT_EQ(answers.requests()[0].text, "First page.");
        EXPECT_EQ(f.currentPage(), 0);
        f.sbtnLastPageClick();
        f.sbtnPageDownClick();
        EXPECT_EQ(answers.requests().back().text, "Last page.");
        EXPECT_EQ(f.currentPage(), 1);
    }
    // A tab chosen by the user shows its session.
    rig.pages()->setCurrentIndex(0);
    EXPECT_EQ(f.currentPage(), 0);
    EXPECT_EQ(rig.graph()->mainTitle(), "Session 1");
}

TEST(ImportForm, ClearAsksAndCancelKeepsEverything) {
    ImportRig rig;
    {
        // Empty: nothing is asked.
        ScopedMessageAnswerer answers(QMessageBox::Ok);
        rig.form->sbtnClearClick();
        EXPECT_EQ(answers.count(), 0);
    }
    rig.serve({DualSession(3)});
    rig.download();
    TFormImport& f = *rig.form;
    {
        ScopedMessageAnswerer answers(QMessageBox::Cancel);
        f.sbtnClearClick();
        ASSERT_EQ(answers.count(), 1);
        const MessageRequest& r = answers.requests()[0];
        EXPECT_EQ(r.caption, "Warning[W8002]");
        EXPECT_EQ(r.text, "Do you really want to clear the data in buffer ?");
        EXPECT_EQ(r.buttons, QMessageBox::Ok | QMessageBox::Cancel);
        EXPECT_EQ(r.defaultButton, QMessageBox::Cancel);
        EXPECT_EQ(r.icon, MessageIcon::Question);
    }
    EXPECT_EQ(f.sessionCount(), 1);
    EXPECT_EQ(rig.pages()->count(), 1);
    {
        ScopedMessageAnswerer answers(QMessageBox::Ok);
        f.sbtnClearClick();
    }
    EXPECT_TRUE(f.isEmpty());
    EXPECT_EQ(f.sessionCount(), 0);
    EXPECT_EQ(rig.pages()->count(), 0);
    EXPECT_EQ(rig.graph()->pointCount(), 200);
    EXPECT_EQ(rig.graph()->mainTitle(),
              "Session"); // no session's number any more
    EXPECT_TRUE(Child<QLabel>(f, "pnlMainDataRdg")->text().isEmpty());
    EXPECT_FALSE(Child<QToolButton>(f, "sbtnSave")->isEnabled());
}

TEST(ImportForm, CloseQueryPaths) {
    ImportRig rig;
    TFormImport& f = *rig.form;
    {
        ScopedMessageAnswerer answers;
        EXPECT_TRUE(f.FormCloseQuery()); // empty: closes without a question
        EXPECT_EQ(answers.count(), 0);
    }
    rig.serve({DualSession(3)});
    rig.download();
    for (auto [answer, closes] : {std::pair{QMessageBox::Cancel, false}, {QMessageBox::No, true}}) {
        ScopedMessageAnswerer answers(answer);
        EXPECT_EQ(f.FormCloseQuery(), closes);
        ASSERT_EQ(answers.count(), 1);
        EXPECT_EQ(answers.requests()[0].caption, "Warning[W8003]");
        EXPECT_EQ(answers.requests()[0].text,
                  "Buffer has data.\nDo you want to save the data to a file before exit ?");
        EXPECT_EQ(answers.requests()[0].defaultButton, QMessageBox::Cancel);
    }
    // Yes, then the save dialog is cancelled: the window stays open.
    auto previous = SetSaveFileAnswerer([](const SaveFileRequest&) { return QString(); });
    {
        ScopedMessageAnswerer answers(QMessageBox::Yes);
        EXPECT_FALSE(f.FormCloseQuery());
    }
    SetSaveFileAnswerer(previous);
    // Closing discards everything; the window opens again empty.
    f.show();
    {
        ScopedMessageAnswerer answers(QMessageBox::No);
        f.close();
    }
    EXPECT_FALSE(f.isVisible());
    EXPECT_TRUE(f.isEmpty());
    EXPECT_EQ(rig.pages()->count(), 0);
    EXPECT_TRUE(f.sessions().empty());
}

TEST(ImportForm, LineColourDialog) {
    ImportRig rig;
    TdlgGraphLineColor& d = rig.lineColour;
    EXPECT_EQ(d.windowTitle(), "Graph Line Color");
    EXPECT_EQ(Child<ColourBar>(d, "ShapeLineColor1")->brushColor(), QColor(0, 0, 255));
    EXPECT_EQ(Child<ColourBar>(d, "ShapeLineColor2")->brushColor(), QColor(255, 0, 0));
    // A cancelled colour dialog leaves the bar; a chosen colour goes into it.
    QColor answer;
    d.chooseColour = [&answer](const QColor&, QWidget*) { return answer; };
    d.btnLineColor1Click();
    EXPECT_EQ(Child<ColourBar>(d, "ShapeLineColor1")->brushColor(), QColor(0, 0, 255));
    answer = QColor(0, 128, 0);
    d.btnLineColor1Click();
    EXPECT_EQ(Child<ColourBar>(d, "ShapeLineColor1")->brushColor(), QColor(0, 128, 0));
    // Default, then Cancel: the defaults stay in the bars.
    d.btnDefaultClick();
    EXPECT_EQ(Child<ColourBar>(d, "ShapeLineColor1")->brushColor(), QColor(0, 0, 255));

    // From the window: its captions, and OK shows the page in the new colour.
    rig.serve({DualSession(3)});
    rig.download();
    TFormImport& f = *rig.form;
    f.runModal = [&d](QDialog&) {
        Child<ColourBar>(d, "ShapeLineColor1")->setBrushColor(QColor(0, 128, 0));
        return int(QDialog::Accepted);
    };
    f.mnuLineColorClick();
    EXPECT_EQ(Child<QPushButton>(d, "btnLineColor1")->text(), " Main-Data Color");
    EXPECT_EQ(Child<QPushButton>(d, "btnLineColor2")->text(), " Sub-Data Color");
    EXPECT_EQ(rig.graph()->lineColor(), QColor(0, 128, 0));
}

} // namespace
} // namespace ostrel
