// The window's parts that need no window: the hexadecimal form of the log's bytes, the log's
// counts and time differences, the command history, where a stored window goes, where the
// details pane keeps its state, and the status bar's parts.
#include "app/command_history.h"
#include "app/details_pane.h"
#include "app/hex_byte_text.h"
#include "app/port_setting.h"
#include "app/response_log.h"
#include "app/status_bar.h"
#include "app/window_geometry.h"
#include "grid/grid_ctrl.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

TEST(HexByteText, EveryByteListReadsBothWaysAndNothingElseIsTouched)
{
    const std::pair<const char*, const char*> pairs[] = {
        {"1, 20, 20, 2, 215", "01 14 14 02 D7"}, {"0", "00"}, {"255, 16", "FF 10"}};
    for (const auto& [decimal, hex] : pairs) {
        EXPECT_EQ(DecimalBytesToHex(decimal), hex);
        EXPECT_EQ(HexBytesToDecimal(hex), decimal);
    }
    // Verdicts, line errors and texts that only look like bytes are not byte lists.
    for (const char* text : {"", "Checksum Error!", "Framing Error", "1,20", "1, 256", "01, 2", "1, 2, ", "-1",
                             "1, 20 ", " 1"})
        EXPECT_FALSE(DecimalBytesToHex(text)) << text;
    for (const char* text : {"", "1 2", "0114", "01  14", "01 14 ", "G1", "100"})
        EXPECT_FALSE(HexBytesToDecimal(text)) << text;
}

namespace {

SessionRow At(std::int64_t ms, std::string encoded, std::string data, RowDirection direction = RowDirection::Received)
{
    return {RowTime{ms, 0}, direction, std::move(encoded), std::move(data), "d"};
}

} // namespace

// The grid shows hex and time differences; the rows read back (for Save, for another redraw) are
// the rows as recorded, and a verdict or a line error keeps its words.
TEST(ResponseLogDisplay, HexAndTimeSincePreviousShowInTheGridAndReadBackAsRecorded)
{
    CGridCtrl grid;
    CResponseLog log(grid);
    log.SetUp();
    const std::vector<SessionRow> rows = {At(1000, "1, 20, 20, 2, 215", "20, 20"), At(1012, "1, 2, 3", "Checksum Error!"),
                                          At(1500, "1, 21, 2", "21", RowDirection::Sent),
                                          At(2100, "Framing Error", "")};
    log.BeginBatch();
    for (const SessionRow& row : rows)
        log.Add(row);
    log.EndBatch();

    log.SetDisplay({false, false, 100, true, true});
    ASSERT_EQ(grid.GetRowCount(), 4);
    EXPECT_EQ(grid.GetItemText(1, 1), "01 14 14 02 D7");
    EXPECT_EQ(grid.GetItemText(1, 2), "14 14");
    EXPECT_EQ(grid.GetItemText(2, 1), "01 02 03");
    EXPECT_EQ(grid.GetItemText(2, 2), "Checksum Error!");
    EXPECT_EQ(grid.GetItemText(3, 1), "Framing Error");
    // Since the previous shown row: the hidden sent row is not counted.
    EXPECT_EQ(grid.GetItemText(1, 0).find('+'), std::string::npos);
    EXPECT_TRUE(grid.GetItemText(2, 0).ends_with(" +12 ms")) << grid.GetItemText(2, 0);
    EXPECT_TRUE(grid.GetItemText(3, 0).ends_with(" +1088 ms")) << grid.GetItemText(3, 0);

    log.SetDisplay({true, false, 100, true, true});
    EXPECT_EQ(grid.GetItemText(3, 1), "Sent: 01 15 02");
    EXPECT_TRUE(grid.GetItemText(4, 0).ends_with(" +600 ms"));
    const std::vector<SessionRow> shown = log.ShownRows();
    EXPECT_EQ(shown, rows);

    // Off again, the decimal texts come back from the grid's hex ones.
    log.SetDisplay({true, false, 100, false, false});
    EXPECT_EQ(grid.GetItemText(1, 1), "1, 20, 20, 2, 215");
    EXPECT_EQ(grid.GetItemText(2, 0).find('+'), std::string::npos);
    EXPECT_EQ(log.ShownRows(), rows);
}

// Errors count from Clear to Clear, the scrollback's drops too, and the window hears of each change.
TEST(ResponseLogDisplay, ErrorsAndDroppedRowsAreCountedUntilClear)
{
    CGridCtrl grid;
    CResponseLog log(grid);
    log.SetUp();
    int changes = 0;
    log.OnChange([&] { ++changes; });
    log.SetDisplay({false, false, 100});
    log.BeginBatch();
    for (int i = 0; i < 150; ++i)
        log.Add(At(i, "1, 2", i % 10 == 0 ? "Invalid Packet!" : "2"));
    log.Add(At(200, "Overrun Error", ""));
    log.Add(At(201, "1, 2", "Checksum Error!"));
    log.Add(At(202, "1, 2", "", RowDirection::Sent)); // a sent row is no fault, whatever its data
    log.EndBatch();
    EXPECT_EQ(log.ErrorRows(), 17u);
    EXPECT_EQ(log.DroppedRows() + log.KeptRows(), 153u);
    EXPECT_GT(log.DroppedRows(), 0u);
    EXPECT_EQ(changes, 1);
    log.Clear();
    EXPECT_EQ(log.ErrorRows(), 0u);
    EXPECT_EQ(log.DroppedRows(), 0u);
    EXPECT_EQ(changes, 2);
}

TEST(CommandHistory, NewestFirstAdjacentRepeatsMergedAtMostAHundredKeptAcrossRuns)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("vantrolix.conf");
    CCommandHistory history(file);
    history.Load();
    EXPECT_TRUE(history.Items().isEmpty());
    for (const char* text : {"20 20", "20 21", "20 21", "", "  ", "20 20"})
        EXPECT_TRUE(history.Add(text));
    EXPECT_EQ(history.Items(), QStringList({"20 20", "20 21", "20 20"}));

    for (int i = 0; i < 150; ++i)
        history.Add(QString::number(i));
    ASSERT_EQ(history.Items().size(), CCommandHistory::kLimit);
    EXPECT_EQ(history.Items().front(), "149");
    EXPECT_EQ(history.Items().back(), "50");

    CCommandHistory later(file);
    later.Load();
    EXPECT_EQ(later.Items(), history.Items());

    // A file edited by hand to hold more keeps the newest.
    QStringList many;
    for (int i = 0; i < 300; ++i)
        many << QString::number(i);
    QSettings(file, QSettings::IniFormat).setValue("History/Commands", many);
    later.Load();
    EXPECT_EQ(later.Items(), many.mid(0, CCommandHistory::kLimit));
}

TEST(CommandHistory, UpAndDownWalkTheHistoryAndComeBackToTheTypedText)
{
    QTemporaryDir dir;
    CCommandHistory history(dir.filePath("vantrolix.conf"));
    history.Add("1");
    history.Add("2");
    QLineEdit edit;
    CCommandRecall recall(edit, history);
    edit.setText("typed");
    QTest::keyClick(&edit, Qt::Key_Up);
    EXPECT_EQ(edit.text(), "2");
    QTest::keyClick(&edit, Qt::Key_Up);
    QTest::keyClick(&edit, Qt::Key_Up); // no older text: stays
    EXPECT_EQ(edit.text(), "1");
    QTest::keyClick(&edit, Qt::Key_Down);
    EXPECT_EQ(edit.text(), "2");
    QTest::keyClick(&edit, Qt::Key_Down);
    EXPECT_EQ(edit.text(), "typed");
    QTest::keyClick(&edit, Qt::Key_Down);
    EXPECT_EQ(edit.text(), "typed");

    // Typing starts over: Up gives the newest again.
    QTest::keyClick(&edit, Qt::Key_Up);
    QTest::keyClick(&edit, Qt::Key_Up);
    QTest::keyClicks(&edit, "x");
    QTest::keyClick(&edit, Qt::Key_Up);
    EXPECT_EQ(edit.text(), "2");
}

TEST(WindowGeometry, APlaceOffEveryScreenComesBackOnTheNearestOne)
{
    const QRect left(0, 0, 1280, 800);
    const QRect right(1280, 0, 1920, 1080);
    // Seen, even in part, as long as the title bar can be taken.
    EXPECT_EQ(BringOnScreen(QRect(100, 100, 900, 600), {left, right}), QRect(100, 100, 900, 600));
    EXPECT_EQ(BringOnScreen(QRect(1000, 50, 900, 600), {left, right}), QRect(1000, 50, 900, 600));
    EXPECT_EQ(BringOnScreen(QRect(-800, 700, 900, 600), {left}), QRect(-800, 700, 900, 600));

    // The second monitor unplugged: the window comes to the middle of the one left.
    const QRect back = BringOnScreen(QRect(2000, 100, 900, 600), {left});
    EXPECT_EQ(back.size(), QSize(900, 600));
    EXPECT_EQ(back.center(), left.center());
    // Only the title bar's height above the top: not takeable, moved.
    EXPECT_NE(BringOnScreen(QRect(100, -15, 900, 600), {left}).top(), -15);
    // Larger than the screen left: made to fit it.
    EXPECT_EQ(BringOnScreen(QRect(5000, 5000, 3000, 2000), {left, right}), right);
}

TEST(DetailsPane, KeepsItsStateInTheUsersSettingsWhenNoFileIsNamed)
{
    // As the program runs: no file named, so the user's settings (a file under the folder set
    // here on Linux, the registry on Windows, under an organization of this test's own).
    QTemporaryDir dir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    const QString organization = QCoreApplication::organizationName();
    QCoreApplication::setOrganizationName("Vantrolix tests " + QString::number(QCoreApplication::applicationPid()));
    EXPECT_FALSE(CDetailsPane::StoredVisible({}));
    CDetailsPane::StoreVisible({}, true);
    EXPECT_TRUE(CDetailsPane::StoredVisible({}));
    OpenSettings({})->clear();
    QCoreApplication::setOrganizationName(organization);
}

TEST(StatusBar, EveryPartCanBeSelectedWithTheMouseOnceThePointerComesToIt)
{
    CWindowStatusBar bar(nullptr);
    bar.resize(800, 30);
    bar.SetPortState("/dev/ttyUSB0", "could not open: no such port");
    bar.SetCounts(12345, 0, 3, std::nullopt);
    bar.show();
    const QList<QLabel*> parts = bar.findChildren<QLabel*>();
    ASSERT_EQ(parts.size(), 4);
    for (QLabel* part : parts) {
        QEvent enter(QEvent::Enter);
        QCoreApplication::sendEvent(part, &enter);
        EXPECT_EQ(part->textInteractionFlags(), Qt::TextSelectableByMouse) << part->accessibleName().toStdString();
        EXPECT_FALSE(part->focusPolicy() & Qt::TabFocus) << "Tab would stop at every part";
    }
    // A drag across the port's part selects its words, to be copied into a report.
    QLabel* port = parts.front();
    ASSERT_EQ(port->text(), "/dev/ttyUSB0: could not open: no such port");
    QTest::mousePress(port, Qt::LeftButton, {}, QPoint(1, port->height() / 2));
    QTest::mouseMove(port, QPoint(port->width() - 1, port->height() / 2));
    QTest::mouseRelease(port, Qt::LeftButton, {}, QPoint(port->width() - 1, port->height() / 2));
    EXPECT_FALSE(port->selectedText().isEmpty());
}
