// The table of a session page over a long session: it behaves as one table
// of every reading for the keys, the wheel, the scroll bar, a click, Copy and
// a resize, while its view only ever holds the rows in sight.
#include "import_test_rig.h"

#include "import/session_decoder.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QFrame>
#include <QHeaderView>
#include <QScrollBar>
#include <QTest>

#include <random>

namespace ostrel {
namespace {

constexpr int kReadings = 100000;

class GridRig {
  public:
    GridRig() {
        auto image = BuildLoggerImage(
            {test::SingleSession(kReadings, [](std::size_t i) { return i % 9000; })});
        EXPECT_TRUE(image);
        decoded = DecodeLoggerImage(image->data(), image->size(), {});
        holder.resize(500, 400);
        grid = new SessionGrid(decoded.table.session(0), &holder);
        holder.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&holder));
        grid->chooseRow(grid->tableRows() - 1);
        grid->scrollToEnd();
    }

    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(grid, static_cast<Qt::Key>(key), modifiers);
    }
    // The window shows the table's rows from its top row on, and the chosen
    // row, when in sight, is the one selected.
    void expectWindowShowsTheTable() const {
        const QAbstractItemModel* model = grid->model();
        ASSERT_LE(model->rowCount(), grid->rowsInView() + 2);
        for (int r = 0; r < model->rowCount(); ++r)
            for (int c = 0; c < 4; ++c)
                ASSERT_EQ(model->index(r, c).data().toString(),
                          grid->cellText(grid->topRow() + r, c))
                    << r << ' ' << c;
        const int inWindow = grid->currentRow() - grid->topRow();
        const QModelIndexList selected = grid->selectionModel()->selectedRows();
        if (inWindow >= 0 && inWindow < model->rowCount()) {
            ASSERT_EQ(selected.size(), 1);
            EXPECT_EQ(selected.front().row(), inWindow);
        } else {
            EXPECT_TRUE(selected.isEmpty());
        }
        // The view shows the window from where the scroll bar says.
        EXPECT_EQ(grid->rowScrollBar()->value() / rowHeight(), grid->topRow());
        EXPECT_EQ(grid->verticalScrollBar()->value(), grid->rowScrollBar()->value() % rowHeight());
    }
    int rowHeight() const { return grid->verticalHeader()->defaultSectionSize(); }
    // Row r of the table is in view, whole.
    bool rowInView(int r) const {
        const int inWindow = r - grid->topRow();
        if (inWindow < 0 || inWindow >= grid->model()->rowCount())
            return false;
        const QRect cell = grid->visualRect(grid->model()->index(inWindow, 0));
        return cell.top() >= 0 && cell.bottom() < grid->viewport()->height();
    }

    SessionDecodeResult decoded;
    QFrame holder;
    SessionGrid* grid = nullptr;
};

TEST(SessionGrid, MovesThroughEveryRowWithAViewOfTheRowsInSight) {
    GridRig rig;
    SessionGrid& g = *rig.grid;
    const int last = kReadings; // the empty row after the readings
    ASSERT_EQ(g.tableRows(), kReadings + 1);
    const int page = g.rowsInView();
    ASSERT_GT(page, 5);
    // Nothing in the view grows with the session.
    EXPECT_LE(g.verticalHeader()->count(), page + 2);
    const int rowHeight = rig.rowHeight();
    EXPECT_EQ(g.rowScrollBar()->maximum(), (kReadings + 1) * rowHeight - g.viewport()->height());

    // Made with its empty last row chosen and at the bottom of the view.
    EXPECT_EQ(g.currentRow(), last);
    EXPECT_TRUE(rig.rowInView(last));
    EXPECT_EQ(g.visualRect(g.model()->index(g.model()->rowCount() - 1, 0)).top() + rowHeight,
              g.viewport()->height());
    EXPECT_EQ(g.cellText(last - 1, 0), QString::number(kReadings));
    rig.expectWindowShowsTheTable();

    struct Step {
        int key;
        Qt::KeyboardModifiers modifiers;
        int row, column;
    };
    const Step steps[] = {
        {Qt::Key_Home, Qt::ControlModifier, 0, 0},
        {Qt::Key_Up, Qt::NoModifier, 0, 0},
        {Qt::Key_Down, Qt::NoModifier, 1, 0},
        {Qt::Key_PageDown, Qt::NoModifier, 1 + page, 0},
        {Qt::Key_PageDown, Qt::NoModifier, 1 + 2 * page, 0},
        {Qt::Key_PageUp, Qt::NoModifier, 1 + page, 0},
        {Qt::Key_End, Qt::NoModifier, 1 + page, 3},
        {Qt::Key_Left, Qt::NoModifier, 1 + page, 2},
        {Qt::Key_End, Qt::ControlModifier, last, 3},
        {Qt::Key_Down, Qt::NoModifier, last, 3},
        {Qt::Key_PageUp, Qt::NoModifier, last - page, 3},
        {Qt::Key_Home, Qt::NoModifier, last - page, 0},
    };
    for (const Step& s : steps) {
        rig.key(s.key, s.modifiers);
        EXPECT_EQ(g.currentRow(), s.row) << s.key;
        EXPECT_EQ(g.currentColumn(), s.column) << s.key;
        EXPECT_TRUE(rig.rowInView(g.currentRow())) << s.key;
        rig.expectWindowShowsTheTable();
    }

    // The wheel moves the rows as a table's scroll bar does; so does the bar.
    g.rowScrollBar()->setValue(50000 * rowHeight + rowHeight / 2);
    EXPECT_EQ(g.topRow(), 50000);
    rig.expectWindowShowsTheTable(); // the chosen row is out of sight: nothing selected
    QWheelEvent down(QPointF(20, 60), g.viewport()->mapToGlobal(QPointF(20, 60)), QPoint(),
                     QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(g.viewport(), &down);
    EXPECT_EQ(g.topRow(), 50000 + QApplication::wheelScrollLines());
    EXPECT_EQ(g.rowScrollBar()->value() % rowHeight, rowHeight / 2);
    rig.expectWindowShowsTheTable();

    // The bar moves freely past the chosen row, half of it in view.
    g.chooseRow(60000);
    g.rowScrollBar()->setValue(60000 * rowHeight + rowHeight / 2);
    EXPECT_EQ(g.rowScrollBar()->value(), 60000 * rowHeight + rowHeight / 2);
    rig.expectWindowShowsTheTable();
    g.chooseRow(last - page);

    // Copy takes the chosen cell even out of sight; a click chooses a row.
    rig.key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), g.cellText(last - page, 0));
    const int top = g.topRow();
    QTest::mouseClick(g.viewport(), Qt::LeftButton, {},
                      g.visualRect(g.model()->index(2, 1)).center());
    EXPECT_EQ(g.currentRow(), top + 2);
    EXPECT_EQ(g.currentColumn(), 1);
    EXPECT_EQ(g.topRow(), top);
    rig.key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), g.cellText(top + 2, 1));
    rig.expectWindowShowsTheTable();

    // Assistive tools read the cells in view as the table shows them.
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&g);
    ASSERT_TRUE(accessible && accessible->tableInterface());
    QAccessibleInterface* cell = accessible->tableInterface()->cellAt(2, 1);
    ASSERT_TRUE(cell);
    EXPECT_EQ(cell->text(QAccessible::Name), g.cellText(top + 2, 1));

    // Taller at the bottom of the table: more rows in sight, the last still last.
    rig.key(Qt::Key_End, Qt::ControlModifier);
    rig.holder.resize(500, 700);
    ASSERT_TRUE(testing::ProcessUntil([&] { return g.rowsInView() > page; }));
    EXPECT_EQ(g.rowScrollBar()->value(), g.rowScrollBar()->maximum());
    EXPECT_TRUE(rig.rowInView(last));
    EXPECT_LE(g.verticalHeader()->count(), g.rowsInView() + 2);
    rig.expectWindowShowsTheTable();
}

TEST(SessionGrid, AnyWindowShowsItsRowsOfTheTable) {
    GridRig rig;
    SessionGrid& g = *rig.grid;
    std::mt19937 random(7);
    std::uniform_int_distribution<int> row(-10, kReadings + 10);
    const int rowHeight = rig.rowHeight();
    for (int k = 0; k < 200; ++k) {
        const int r = row(random);
        if (k % 2) {
            g.chooseRow(r, k % 4 == 1 ? QAbstractItemView::PositionAtCenter
                                      : QAbstractItemView::EnsureVisible);
            ASSERT_TRUE(rig.rowInView(g.currentRow())) << k;
        } else {
            g.rowScrollBar()->setValue(r * rowHeight + k % rowHeight);
        }
        ASSERT_GE(g.topRow(), 0);
        ASSERT_LE(g.topRow(), g.tableRows() - g.rowsInView());
        ASSERT_NO_FATAL_FAILURE(rig.expectWindowShowsTheTable()) << k;
    }
}

} // namespace
} // namespace ostrel
