#include "main_window_fixture.h"

#include "app/details_pane.h"
#include "app/find_bar.h"
#include "app/status_bar.h"

#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QSettings>

namespace {

class FindFilter : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        Start();
        Received();
        QApplication::setActiveWindow(dlg.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
    }

    // Device ID answers, one row each: "Value Device ID = <name>".
    void SendNames(const std::vector<std::string>& names)
    {
        std::vector<std::uint8_t> bytes;
        for (const std::string& name : names) {
            std::vector<std::uint8_t> payload{20, 20};
            payload.insert(payload.end(), name.begin(), name.end());
            const auto packet = Packet(CountedBytes(std::span<const std::uint8_t>(payload)));
            bytes.insert(bytes.end(), packet.begin(), packet.end());
        }
        const int before = Grid().GetRowCount();
        DeviceSends(bytes);
        ASSERT_TRUE(WaitForRows(before + static_cast<int>(names.size())));
    }
    void SendChecksumError()
    {
        auto packet = Packet({20, 24, 1});
        packet.back() ^= 1;
        const int before = Grid().GetRowCount();
        DeviceSends(packet);
        ASSERT_TRUE(WaitForRows(before + 1));
    }

    CFindBar& Bar() const { return *dlg->FindBar(); }
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key), modifiers);
    }
    void Type(const QString& text) { QTest::keyClicks(QApplication::focusWidget(), text); }
    int FocusRow() const { return Grid().GetFocusCell().row; }
    // Whether exactly this row, every cell of it, is selected.
    bool OnlyRowSelected(int row) const
    {
        for (int r = Grid().GetFixedRowCount(); r < Grid().GetRowCount(); ++r) {
            for (int c = 0; c < Grid().GetColumnCount(); ++c) {
                if (Grid().IsCellSelected(r, c) != (r == row))
                    return false;
            }
        }
        return true;
    }
    QStringList ShownDescriptions() const
    {
        QStringList shown;
        for (int r = Grid().GetFixedRowCount(); r < Grid().GetRowCount(); ++r) {
            if (Grid().GetRowHeight(r) > 0)
                shown << Cell(r, 3);
        }
        return shown;
    }
};

} // namespace

TEST_F(FindFilter, FindGoesToMatchingRowsEitherWayRoundTheEndAndSaysWhenNothingMatches)
{
    SendNames({"alpha", "beta", "ALPHA two", "gamma"});
    Key(Qt::Key_F, Qt::ControlModifier);
    ASSERT_EQ(QApplication::focusWidget(), Bar().FindField());
    Type("alpha");
    Key(Qt::Key_Return);
    EXPECT_EQ(FocusRow(), 1);
    EXPECT_TRUE(OnlyRowSelected(1));
    // Letters match either case unless asked.
    Key(Qt::Key_F3);
    EXPECT_EQ(FocusRow(), 3);
    EXPECT_TRUE(OnlyRowSelected(3));
    EXPECT_TRUE(Bar().FindNote().isEmpty());
    Key(Qt::Key_F3);
    EXPECT_EQ(FocusRow(), 1);
    EXPECT_TRUE(Bar().FindNote().contains("went on from the top")) << Bar().FindNote().toStdString();
    Key(Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(FocusRow(), 3);
    EXPECT_TRUE(Bar().FindNote().contains("went on from the end")) << Bar().FindNote().toStdString();

    // The found row is what Ctrl+C copies, whole.
    Grid().setFocus();
    QTest::keyClick(&Grid(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(QGuiApplication::clipboard()->text().endsWith("\tValue Device ID = ALPHA two"))
        << QGuiApplication::clipboard()->text().toStdString();

    Bar().CaseBox()->setChecked(true);
    EXPECT_TRUE(Bar().FindNext());
    EXPECT_EQ(FocusRow(), 1);
    EXPECT_TRUE(Bar().FindNext());
    EXPECT_EQ(FocusRow(), 1);

    // Nothing matches: the field says so and nothing moves.
    Bar().StartFind();
    Type("delta");
    Key(Qt::Key_Return);
    EXPECT_EQ(FocusRow(), 1);
    EXPECT_EQ(Bar().FindNote(), "No match");
    EXPECT_FALSE(Bar().FindField()->styleSheet().isEmpty());

    // Escape closes the bar and gives the log the focus back.
    Key(Qt::Key_Escape);
    EXPECT_TRUE(Bar().isHidden());
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), &Grid());
}

TEST_F(FindFilter, RegularExpressionsFindAndABadOneSaysWhy)
{
    SendNames({"alpha", "beta7", "gamma", "delta42"});
    Bar().StartFind();
    Type("/= [a-z]+[0-9]+$/");
    Key(Qt::Key_Return);
    EXPECT_EQ(FocusRow(), 2);
    Key(Qt::Key_Return);
    EXPECT_EQ(FocusRow(), 4);

    Bar().FindField()->clear();
    Bar().RegexBox()->setChecked(true);
    Type("GAMMA|ALPHA");
    Key(Qt::Key_Return);
    EXPECT_EQ(FocusRow(), 1);

    Bar().FindField()->clear();
    Type("(gamma");
    Key(Qt::Key_Return);
    EXPECT_EQ(FocusRow(), 1);
    EXPECT_TRUE(Bar().FindNote().startsWith("Not a regular expression: missing )")) << Bar().FindNote().toStdString();
}

TEST_F(FindFilter, FilterShowsMatchingRowsAsTheyArriveAndClearingBringsAllBack)
{
    SendNames({"alpha", "beta", "alpha two"});
    Key(Qt::Key_L, Qt::ControlModifier);
    ASSERT_EQ(QApplication::focusWidget(), Bar().FilterField());
    Type("alpha");
    // Applied after a short pause, without Enter.
    ASSERT_TRUE(QTest::qWaitFor([&] { return Bar().CountText() == "2 of 3 rows"; }));
    EXPECT_EQ(ShownDescriptions(), QStringList({"Value Device ID = alpha", "Value Device ID = alpha two"}));
    EXPECT_EQ(dlg->RowCountText(), "2 of 3 rows");
    EXPECT_TRUE(dlg->StatusBar()->RowsText().startsWith("2 of 3 rows")) << dlg->StatusBar()->RowsText().toStdString();

    // New rows are judged as they come, and the log still follows its last shown row.
    SendNames({"beta again", "alpha three"});
    EXPECT_EQ(Bar().CountText(), "3 of 5 rows");
    EXPECT_TRUE(Grid().IsCellVisible(5, 0));

    // Find, Select All, Copy and Save take the rows shown.
    Bar().StartFind();
    Type("two");
    Key(Qt::Key_Return);
    EXPECT_EQ(FocusRow(), 3);
    Type("beta");
    Bar().FindField()->setText("beta");
    EXPECT_FALSE(Bar().FindNext());
    EXPECT_EQ(Bar().FindNote(), "No match in the rows shown");
    Grid().setFocus();
    QTest::keyClick(&Grid(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&Grid(), Qt::Key_C, Qt::ControlModifier);
    const QStringList copied = QGuiApplication::clipboard()->text().split('\n');
    ASSERT_EQ(copied.size(), 3) << QGuiApplication::clipboard()->text().toStdString();
    EXPECT_TRUE(copied[1].endsWith("alpha two"));
    const QString saved = settings.filePath("filtered.tsv");
    ASSERT_TRUE(dlg->SaveLogAs(saved));
    QFile file(saved);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    ASSERT_EQ(lines.size(), 5); // titles, three rows, the end
    EXPECT_TRUE(lines[3].endsWith("Value Device ID = alpha three"));

    // Escape in the filter field clears it; the focused row stays in view.
    Bar().StartFilter();
    Key(Qt::Key_Escape);
    EXPECT_EQ(Bar().CountText(), "5 of 5 rows");
    EXPECT_EQ(ShownDescriptions().size(), 5);
    EXPECT_EQ(QApplication::focusWidget(), &Grid());
    EXPECT_EQ(FocusRow(), 3);
    EXPECT_TRUE(Grid().IsCellVisible(3, Grid().GetFocusCell().col));
}

TEST_F(FindFilter, FilterByRegexAndByEachToggle)
{
    // Sent commands show: the Device ID query of the start, then the rows below and one more query.
    dlg->SetShowSentCommands(true);
    SendNames({"alpha", "beta"});
    SendChecksumError();
    dlg->Transmit();
    ASSERT_TRUE(WaitForRows(6));
    Bar().StartFilter();

    Type("/^Value .* = [ab]/");
    Key(Qt::Key_Return);
    EXPECT_EQ(Bar().CountText(), "2 of 5 rows");

    Bar().FilterField()->clear();
    Bar().ErrorsBox()->setChecked(true);
    EXPECT_EQ(ShownDescriptions(), QStringList({""}));
    EXPECT_EQ(Cell(4, 2), "Checksum Error!");
    EXPECT_GT(Grid().GetRowHeight(4), 0);

    Bar().ErrorsBox()->setChecked(false);
    Bar().SentBox()->setChecked(true);
    EXPECT_EQ(ShownDescriptions(), QStringList({"Query Device ID", "Query Device ID"}));
    Bar().ReceivedBox()->setChecked(true);
    EXPECT_FALSE(Bar().SentBox()->isChecked());
    EXPECT_EQ(Bar().CountText(), "3 of 5 rows");

    // A bad pattern keeps the filter in force and says why.
    Bar().RegexBox()->setChecked(true);
    Bar().FilterField()->setText("[a");
    Bar().ApplyFilter();
    EXPECT_TRUE(Bar().FilterNote().startsWith("Not a regular expression")) << Bar().FilterNote().toStdString();
    EXPECT_EQ(Bar().CountText(), "3 of 5 rows");
}

TEST_F(FindFilter, DetailsPaneFollowsTheFocusedRowAndCopyRowDetailsCopiesTheSameText)
{
    SendNames({"alpha"});
    SendChecksumError();
    Grid().SetFocusCell(1, 0);
    Key(Qt::Key_F6);
    CDetailsPane& pane = *dlg->DetailsPane();
    ASSERT_TRUE(pane.isVisible());
    EXPECT_TRUE(dlg->DetailsActions().front()->isChecked());
    EXPECT_TRUE(pane.Text().contains("Direction: received\n")) << pane.Text().toStdString();
    EXPECT_TRUE(pane.Text().contains("Variable: Device ID (id 20)\n")) << pane.Text().toStdString();
    // The pane takes its room from the log.
    EXPECT_LE(Grid().geometry().bottom(), pane.geometry().top());

    Grid().SetFocusCell(2, 0);
    EXPECT_TRUE(pane.Text().contains("What went wrong: the checksum received")) << pane.Text().toStdString();
    Key(Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), pane.Text());

    // Whether it shows is remembered.
    Key(Qt::Key_F6);
    EXPECT_FALSE(pane.isVisible());
    EXPECT_FALSE(QSettings(SettingsFile(), QSettings::IniFormat).value("Log/DetailsPane").toBool());
    Key(Qt::Key_F6);
    EXPECT_TRUE(QSettings(SettingsFile(), QSettings::IniFormat).value("Log/DetailsPane").toBool());
}
