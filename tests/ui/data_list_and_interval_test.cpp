// The data list's sheets over a buffer of lines, and the interval dialog's
// input box loop.

#include "find_child.h"

#include "base/ui/message_box.h"
#include "base/ui/window_messages.h"
#include "displays/ui/data_list_form.h"
#include "recorder/ui/interval_dialog.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QListView>
#include <QRadioButton>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <new>

namespace ostrel {
namespace {

using testing::Child;

class DataListTest : public ::testing::Test {
  protected:
    void SetUp() override {
        list.setLineSource([this](std::int64_t i) -> std::optional<std::string> {
            if (i == failAt)
                throw std::bad_alloc();
            if (i < 0 || i >= size)
                return std::nullopt;
            return std::to_string(i + 1) + ", 12:00:00.0,1.000 V  [DC], ";
        });
    }
    void post(std::int64_t position) {
        QCoreApplication::postEvent(&list, new AppendSampleEvent(position));
    }
    void clear() {
        QEvent event(EventType(kMsgClearList));
        QCoreApplication::sendEvent(&list, &event);
    }

    TDataStringGridForm list;
    std::int64_t size = 0; // samples in the "buffer"
    std::int64_t failAt = -1;
};

TEST_F(DataListTest, SheetsHoldThirtyTwoThousandLines) {
    size = 32001;
    list.appendLines(0, 31998);
    EXPECT_EQ(list.pageCount(), 1);
    list.appendLine(31999); // the 32000th line fills Sheet1 and opens Sheet2
    EXPECT_EQ(list.sheet(0)->count(), 32000);
    ASSERT_EQ(list.pageCount(), 2);
    EXPECT_EQ(Child<QTabWidget>(list, "PageControl")->currentIndex(), 1);
    EXPECT_EQ(list.sheet(1)->count(), 0);
    EXPECT_EQ(list.list(0)->currentIndex().row(), 31999);
    list.appendLine(32000);
    EXPECT_EQ(list.sheet(1)->count(), 1);
    EXPECT_EQ(Child<QTabWidget>(list, "PageControl")->tabText(1), "Sheet2");
    EXPECT_EQ(Child<QTabWidget>(list, "PageControl")->widget(1)->objectName(), "tsSheet2");
    EXPECT_EQ(list.lineText(1, 0).toStdString(), "32001, 12:00:00.0,1.000 V  [DC], ");
    EXPECT_EQ(list.lineText(0, 0).toStdString(), "1, 12:00:00.0,1.000 V  [DC], ");
}

TEST_F(DataListTest, ClearWithThreeSheetsLeavesOneEmptySheet) {
    size = 64001;
    list.appendLines(0, 64000);
    ASSERT_EQ(list.pageCount(), 3);
    clear();
    EXPECT_EQ(list.pageCount(), 1);
    EXPECT_EQ(Child<QTabWidget>(list, "PageControl")->count(), 1);
    EXPECT_EQ(list.sheet(0)->count(), 0);
    EXPECT_EQ(Child<QTabWidget>(list, "PageControl")->tabText(0), "Sheet1");
    EXPECT_EQ(list.list(0)->objectName(), "DataList");

    // The first sample after a clear is line 1 again.
    size = 1;
    post(0);
    QCoreApplication::processEvents();
    EXPECT_EQ(list.lineText(0, 0).left(2), "1,");
}

TEST_F(DataListTest, StaleAndSkippedPositionsKeepTheListInStepWithTheBuffer) {
    size = 3;
    for (int i = 0; i < 4; ++i)
        post(i);
    QCoreApplication::processEvents();
    EXPECT_EQ(list.sheet(0)->count(), 3); // position 3 has no sample
    post(1);                              // already listed
    QCoreApplication::processEvents();
    EXPECT_EQ(list.sheet(0)->count(), 3);
    size = 6;
    list.appendLine(5); // 3 and 4 come with it
    EXPECT_EQ(list.sheet(0)->count(), 6);
    EXPECT_EQ(list.lineText(0, 4).left(2), "5,");
}

TEST_F(DataListTest, AFailedAppendShowsTheMemoryMessageAndTheListGoesOn) {
    ScopedMessageAnswerer answers;
    size = 3;
    failAt = 1;
    list.appendLine(0);
    list.appendLine(1);
    ASSERT_EQ(answers.count(), 1);
    EXPECT_EQ(answers.requests()[0].caption, "Error[E9006]");
    EXPECT_EQ(answers.requests()[0].text, "Insufficient system memory !");
    EXPECT_EQ(list.sheet(0)->count(), 1); // the line is not added
    failAt = -1;
    list.appendLine(2);
    EXPECT_EQ(list.sheet(0)->count(), 3);
}

// --- interval dialog ------------------------------------------------------------

class IntervalDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dialog.setInputBox([this](const QString& caption, const QString& prompt,
                                  const QString& preset) -> std::optional<QString> {
            EXPECT_EQ(caption, "Interval in second(s)");
            EXPECT_EQ(prompt, "Input an integer value ? ");
            presets << preset;
            if (answers.isEmpty())
                return std::nullopt;
            return answers.takeFirst();
        });
    }
    void choose(int item) {
        Child<QComboBox>(dialog, "cbxInterval")->setCurrentIndex(item);
        dialog.cbxIntervalChange();
    }

    TDialogOption dialog;
    QStringList answers;
    QStringList presets;
    ScopedMessageAnswerer messages;
};

TEST_F(IntervalDialogTest, ShowingSelectsByTheFields) {
    dialog.seconds = 3;
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Acquisition Interval option");
    EXPECT_TRUE(Child<QRadioButton>(dialog, "rbtnAutomatic")->isChecked());
    EXPECT_TRUE(Child<QComboBox>(dialog, "cbxInterval")->isEnabled());
    EXPECT_EQ(Child<QComboBox>(dialog, "cbxInterval")->currentIndex(), 1);
    EXPECT_EQ(Child<QComboBox>(dialog, "cbxInterval")->itemText(0), "Full Speed");
    EXPECT_EQ(Child<QComboBox>(dialog, "cbxInterval")->itemText(1), "Customization...");

    // Manual disables the combo; the seconds stay for Automatic.
    Child<QRadioButton>(dialog, "rbtnManual")->click();
    EXPECT_TRUE(dialog.manual);
    EXPECT_FALSE(Child<QComboBox>(dialog, "cbxInterval")->isEnabled());
    EXPECT_EQ(dialog.seconds, 3);
    Child<QRadioButton>(dialog, "rbtnAutomatic")->click();
    EXPECT_FALSE(dialog.manual);
    EXPECT_TRUE(Child<QComboBox>(dialog, "cbxInterval")->isEnabled());
    dialog.hide();

    choose(0);
    EXPECT_EQ(dialog.seconds, 0);
}

TEST_F(IntervalDialogTest, NumbersThatAreNoIntervalSayWhatIsExpectedAndAskAgain) {
    // 0 (Full Speed has its own item), a negative number, a fraction and a
    // number too large for the timer: each said what is expected, asked again.
    dialog.seconds = 4;
    answers << "0"
            << "-5"
            << "2.5"
            << "2147484"
            << " 3600 ";
    choose(1);
    EXPECT_EQ(dialog.seconds, 3600);
    EXPECT_EQ(presets, QStringList({"4", "4", "4", "4", "4"}));
    ASSERT_EQ(messages.count(), 4);
    for (const MessageRequest& r : messages.requests()) {
        EXPECT_EQ(r.caption, "Error[E9022]");
        EXPECT_EQ(r.text, "The interval is a whole number of seconds from 1 to 2147483 (24 days). "
                          "For a sample every 500 ms choose \"Full Speed\".");
    }
    EXPECT_EQ(Child<QComboBox>(dialog, "cbxInterval")->currentIndex(), 1);
    answers << "2147483";
    choose(1);
    EXPECT_EQ(dialog.seconds, 2147483);
}

TEST_F(IntervalDialogTest, TextOrCancelKeepsThePreviousSecondsAndItsItem) {
    dialog.seconds = 7;
    answers << "abc";
    choose(1);
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.requests()[0].caption, "Error[E9007]");
    EXPECT_EQ(messages.requests()[0].text, "Not a valid floating point value !");
    EXPECT_EQ(dialog.seconds, 7);
    EXPECT_EQ(Child<QComboBox>(dialog, "cbxInterval")->currentIndex(), 1);

    choose(1); // cancelled: nothing said, nothing changed
    EXPECT_EQ(messages.count(), 1);
    EXPECT_EQ(dialog.seconds, 7);

    // From Full Speed, a cancel goes back to Full Speed.
    dialog.seconds = 0;
    choose(1);
    EXPECT_EQ(dialog.seconds, 0);
    EXPECT_EQ(Child<QComboBox>(dialog, "cbxInterval")->currentIndex(), 0);
    EXPECT_EQ(messages.count(), 1);
}

} // namespace
} // namespace ostrel
