#include "builder/build_command_dlg.h"
#include "support/windows_headless.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class BuildCommandDlgTest : public ::testing::Test {
protected:
    BuildCommandDlgTest()
        : dlg(nullptr, {[this](const QString& text) {
                            commandData = text;
                            ++writes;
                        },
                        [this] { ++sends; }})
    {
        dlg.FillDeviceList();
    }

    QComboBox* Device() const { return qobject_cast<QComboBox*>(dlg.Control(1030)); }
    QListWidget* List(int id) const { return qobject_cast<QListWidget*>(dlg.Control(id)); }
    QLineEdit* Edit(int id) const { return qobject_cast<QLineEdit*>(dlg.Control(id)); }
    QLabel* Label(int id) const { return qobject_cast<QLabel*>(dlg.Control(id)); }

    // What a user's pick does: the selection changes, then the selection signal fires.
    void PickDevice(int row)
    {
        Device()->setCurrentIndex(row);
        emit Device()->activated(row);
    }
    void Pick(int listId, const QString& entry)
    {
        const QList<QListWidgetItem*> found = List(listId)->findItems(entry, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << entry.toStdString();
        List(listId)->setCurrentItem(found.front());
    }
    QStringList Entries(int listId) const
    {
        QStringList entries;
        for (int i = 0; i < List(listId)->count(); ++i)
            entries << List(listId)->item(i)->text();
        return entries;
    }
    QString Selected(int listId) const
    {
        const QList<QListWidgetItem*> selected = List(listId)->selectedItems();
        return selected.isEmpty() ? QString() : selected.front()->text();
    }
    // Which of variable list, value list, data edit, value edit are shown.
    std::vector<bool> Columns() const
    {
        return {!dlg.Control(1025)->isHidden(), !dlg.Control(1026)->isHidden(), !dlg.Control(1027)->isHidden(),
                !dlg.Control(1028)->isHidden()};
    }
    bool WarningShown() const { return !Label(1029)->isHidden() && !Label(1029)->text().isEmpty(); }

    QString commandData = "untouched";
    int writes = 0;
    int sends = 0;
    CBuildCommandDlg dlg;
};

using Shown = std::vector<bool>;

} // namespace

TEST_F(BuildCommandDlgTest, BeforeAnyDeviceAnswerNothingIsChosen)
{
    dlg.show();
    EXPECT_EQ(dlg.windowTitle(), "Build Command");
    ASSERT_EQ(Device()->count(), 14);
    EXPECT_EQ(Device()->itemText(0), "Arvane");
    EXPECT_EQ(Device()->itemText(13), "Orlin Birch");
    EXPECT_EQ(Device()->currentIndex(), -1);
    EXPECT_EQ(List(1024)->count(), 0);
    EXPECT_TRUE(Label(1022)->text().isEmpty());
    EXPECT_TRUE(Label(1023)->text().isEmpty());
    EXPECT_EQ(Columns(), Shown({false, false, false, false}));
    EXPECT_EQ(writes, 0);

    // A name that matches no model while none was ever chosen changes nothing but the empty list.
    dlg.SelectDeviceByName("elmora");
    EXPECT_EQ(dlg.GetModelRow(), -1);
    EXPECT_EQ(List(1024)->count(), 0);
    EXPECT_EQ(writes, 0);
}

TEST_F(BuildCommandDlgTest, DeviceAnswerSelectsTheModelAndStartsAtQuery)
{
    dlg.show();
    dlg.SelectDeviceByName("Elmora");
    EXPECT_EQ(Device()->currentText(), "Elmora");
    EXPECT_EQ(dlg.GetModelRow(), 4);
    EXPECT_EQ(Entries(1024), QStringList({"20 - Query", "21 - Set", "22 - IR Command", "23 - Get Version"}));
    EXPECT_EQ(Selected(1024), "20 - Query");
    const QStringList variables = Entries(1025);
    ASSERT_EQ(variables.size(), 31);
    EXPECT_EQ(variables.front(), "20 - Device ID");
    EXPECT_EQ(Selected(1025), "20 - Device ID");
    EXPECT_EQ(commandData, "20 20");
    EXPECT_EQ(Label(1022)->text(), "Variable");
    EXPECT_TRUE(Label(1023)->text().isEmpty());
    EXPECT_EQ(Columns(), Shown({true, false, false, false}));

    // Each answer rebuilds from the combo, replacing what the engineer typed; a mismatch keeps the model.
    commandData = "21 21 1";
    dlg.SelectDeviceByName("Elmora  ");
    EXPECT_EQ(dlg.GetModelRow(), 4);
    EXPECT_EQ(commandData, "20 20");
}

TEST_F(BuildCommandDlgTest, HiddenTheAnswerPreparesTheListsButLeavesCommandDataAlone)
{
    dlg.SelectDeviceByName("Elmora");
    EXPECT_EQ(dlg.GetModelRow(), 4);
    EXPECT_EQ(Selected(1024), "20 - Query");
    EXPECT_EQ(Selected(1025), "20 - Device ID");
    EXPECT_EQ(commandData, "untouched");
    EXPECT_EQ(writes, 0);
    // The same for a model whose first variable is typed into the value edit.
    dlg.SelectDeviceByName("Arvane");
    EXPECT_EQ(dlg.GetModelRow(), 0);
    EXPECT_EQ(writes, 0);

    // Shown, the user's picks compose again, and so does the next answer.
    dlg.show();
    Pick(1024, "21 - Set");
    EXPECT_EQ(commandData, "21 21");
    dlg.SelectDeviceByName("Elmora");
    EXPECT_EQ(commandData, "20 20");
}

TEST_F(BuildCommandDlgTest, RepeatedHiddenAnswersOfOneModelLeaveItsListsAsPrepared)
{
    dlg.SelectDeviceByName("Elmora");
    // A mark no rebuilt entry carries.
    ASSERT_NE(List(1025)->item(0), nullptr);
    List(1025)->item(0)->setData(Qt::UserRole + 100, "prepared");
    // A flood of answers from the same device: the lists prepared for it stay, entry for entry.
    for (int i = 0; i < 3; ++i)
        dlg.SelectDeviceByName("Elmora");
    EXPECT_EQ(List(1025)->item(0)->data(Qt::UserRole + 100).toString(), "prepared");
    EXPECT_EQ(Selected(1024), "20 - Query");
    EXPECT_EQ(Selected(1025), "20 - Device ID");
    EXPECT_EQ(writes, 0);

    // Another model's answer prepares its own lists; once shown and hidden again, the same
    // model's answer rebuilds what the user may have picked meanwhile.
    dlg.SelectDeviceByName("Arvane");
    EXPECT_EQ(dlg.GetModelRow(), 0);
    dlg.SelectDeviceByName("Elmora");
    EXPECT_EQ(Entries(1025).size(), 31);
    dlg.show();
    Pick(1024, "21 - Set");
    dlg.hide();
    commandData = "untouched";
    dlg.SelectDeviceByName("Elmora");
    EXPECT_EQ(Selected(1024), "20 - Query");
    EXPECT_EQ(Selected(1025), "20 - Device ID");
    EXPECT_EQ(commandData, "untouched");
}

TEST_F(BuildCommandDlgTest, EnterInTheDeviceComboPicksTheModelWithoutSending)
{
    dlg.show();
    QApplication::setActiveWindow(&dlg);
    Device()->setFocus();
    QTest::keyClicks(Device(), "elmora");
    QTest::keyClick(Device(), Qt::Key_Return);
    EXPECT_EQ(dlg.GetModelRow(), 4);
    EXPECT_EQ(commandData, "20 20");
    EXPECT_EQ(sends, 0);

    // Enter anywhere else is still Send, the dialog's default button.
    Pick(1024, "22 - IR Command");
    Edit(1028)->setFocus();
    QTest::keyClick(Edit(1028), Qt::Key_Return);
    EXPECT_EQ(sends, 1);
}

TEST_F(BuildCommandDlgTest, ClickingTheSelectedEntryAgainComposesAgain)
{
    dlg.show();
    dlg.SelectDeviceByName("Elmora");
    Pick(1024, "21 - Set");
    Pick(1026, "1 - On");
    ASSERT_EQ(commandData, "21 21 1");
    const auto click = [this](int listId, const QString& entry) {
        QListWidget* list = List(listId);
        const QList<QListWidgetItem*> found = list->findItems(entry, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found.front()).center());
    };

    // The engineer edits the command in the main window, then clicks the selected entries again.
    commandData = "typed";
    click(1026, "1 - On");
    EXPECT_EQ(commandData, "21 21 1");
    commandData = "typed";
    click(1025, "21 - Power Mode");
    EXPECT_EQ(commandData, "21 21");
    commandData = "typed";
    click(1024, "21 - Set");
    EXPECT_EQ(commandData, "21 21");

    // A click that changes the selection runs the handler once, as a pick does, not twice.
    int before = writes;
    Pick(1024, "20 - Query");
    const int once = writes - before;
    Pick(1024, "21 - Set");
    before = writes;
    click(1024, "20 - Query");
    EXPECT_EQ(commandData, "20 20");
    EXPECT_EQ(writes - before, once);
}

TEST_F(BuildCommandDlgTest, SetWithAValueList)
{
    dlg.SelectDeviceByName("Elmora");
    Pick(1024, "21 - Set");
    EXPECT_EQ(Selected(1025), "21 - Power Mode");
    EXPECT_EQ(Entries(1026), QStringList({"0 - Off", "1 - On", "2 - Protect"}));
    EXPECT_TRUE(Selected(1026).isEmpty());
    EXPECT_EQ(Label(1022)->text(), "Variable");
    EXPECT_EQ(Label(1023)->text(), "Value");
    EXPECT_EQ(Columns(), Shown({true, true, false, false}));
    EXPECT_EQ(commandData, "21 21");
    Pick(1026, "2 - Protect");
    EXPECT_EQ(commandData, "21 21 2");

    // Picking another device starts over at Query.
    PickDevice(0);
    EXPECT_EQ(Selected(1024), "20 - Query");
    EXPECT_EQ(commandData, "20 20");
}

TEST_F(BuildCommandDlgTest, SetAVolumeByTypingALevel)
{
    dlg.SelectDeviceByName("Brisolt");
    Pick(1024, "21 - Set");
    Pick(1025, "23 - Volume");
    EXPECT_EQ(Columns(), Shown({true, false, false, true}));
    EXPECT_EQ(commandData, "21 23");

    QTest::keyClicks(Edit(1028), "-10.5");
    EXPECT_EQ(commandData, "21 23 128 245");
    EXPECT_FALSE(WarningShown());

    Edit(1028)->setText("150");
    EXPECT_TRUE(WarningShown());
    EXPECT_EQ(Label(1029)->text(), "Warning: Invalid Entry!");
    EXPECT_EQ(commandData, "21 23 ");

    Edit(1028)->setText("12");
    EXPECT_FALSE(WarningShown());
    EXPECT_EQ(commandData, "21 23 0 12");

    // Choosing a variable hides the warning and empties the value edit.
    Edit(1028)->setText("150");
    ASSERT_TRUE(WarningShown());
    Pick(1025, "32 - Treble");
    EXPECT_FALSE(WarningShown());
    EXPECT_TRUE(Edit(1028)->text().isEmpty());
    EXPECT_EQ(commandData, "21 32");
}

// A value edit's text is a value only when it is wholly a number in range: "x" once became 0 dB,
// an amplifier's loudest setting, and 300 a byte of 44.
TEST_F(BuildCommandDlgTest, AValueThatIsNotWhollyANumberInRangeIsLeftOut)
{
    dlg.SelectDeviceByName("Elmora");
    Pick(1024, "21 - Set");
    Pick(1025, "111 - Master Volume");
    EXPECT_FALSE(WarningShown());
    EXPECT_EQ(commandData, "21 111");
    for (const char* typed : {"x", "12abc", "10,5", "1e999", "-100.5"}) {
        Edit(1028)->setText(typed);
        EXPECT_TRUE(WarningShown()) << typed;
        EXPECT_EQ(commandData, "21 111 ") << typed;
    }
    Edit(1028)->setText(" -10.5 ");
    EXPECT_FALSE(WarningShown());
    EXPECT_EQ(commandData, "21 111 128 245");
    // Nothing typed is no value, and no warning either.
    Edit(1028)->clear();
    EXPECT_FALSE(WarningShown());
    EXPECT_EQ(commandData, "21 111 ");

    Pick(1025, "103 - Brightness");
    for (const char* typed : {"300", "-129", "x", "12abc", "1.5"}) {
        Edit(1028)->setText(typed);
        EXPECT_TRUE(WarningShown()) << typed;
        EXPECT_EQ(commandData, "21 103 ") << typed;
    }
    Edit(1028)->setText("-1");
    EXPECT_FALSE(WarningShown());
    EXPECT_EQ(commandData, "21 103 255");
}

TEST_F(BuildCommandDlgTest, ModelsWithoutTheLevelRuleTakeTheTextAsItStands)
{
    dlg.SelectDeviceByName("Fenlow");
    Pick(1024, "21 - Set");
    Pick(1025, "23 - Volume");
    Edit(1028)->setText("-10.5");
    EXPECT_EQ(commandData, "21 23 -10.5");
}

TEST_F(BuildCommandDlgTest, IrCommandGetVersionAndSoftwareUpdate)
{
    dlg.SelectDeviceByName("Arvane");
    Pick(1024, "22 - IR Command");
    EXPECT_EQ(Entries(1025), QStringList({"Generic"}));
    EXPECT_EQ(Label(1022)->text(), "Command Set");
    EXPECT_EQ(Label(1023)->text(), "Command");
    EXPECT_EQ(Columns(), Shown({true, false, false, true}));
    EXPECT_EQ(commandData, "22 ");
    Edit(1028)->setText("16 5");
    EXPECT_EQ(commandData, "22 16 5");

    Pick(1024, "23 - Get Version");
    EXPECT_EQ(commandData, "23");
    EXPECT_EQ(Columns(), Shown({false, false, false, false}));

    Pick(1024, "24 - Software Update");
    EXPECT_EQ(Label(1022)->text(), "Data");
    EXPECT_EQ(Columns(), Shown({false, false, true, false}));
    EXPECT_EQ(commandData, "24 ");
    const int before = writes;
    Edit(1027)->setText("1 2 3");
    EXPECT_EQ(writes, before);
}

TEST_F(BuildCommandDlgTest, SendCloseAndShowAgain)
{
    if (kHeadlessWindows)
        GTEST_SKIP() << "a dialog closed under Wine without a display still reports itself shown";
    dlg.SelectDeviceByName("Elmora");
    dlg.show();
    qobject_cast<QPushButton*>(dlg.Control(1010))->click();
    EXPECT_EQ(sends, 1);

    Pick(1024, "21 - Set");
    qobject_cast<QPushButton*>(dlg.Control(2))->click();
    EXPECT_TRUE(dlg.isHidden());
    Device()->setCurrentIndex(-1);
    dlg.show();
    EXPECT_EQ(Device()->currentText(), "Elmora");
    EXPECT_EQ(Selected(1024), "21 - Set");
    EXPECT_EQ(commandData, "21 21");
}
