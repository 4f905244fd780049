// Reading the log in hexadecimal and by time differences, recalling earlier commands, and the
// window's size and place across runs, through the window.
#include "main_window_fixture.h"

#include "app/main_menu.h"
#include "app/command_history.h"
#include "app/window_geometry.h"

#include <QAbstractItemView>
#include <QClipboard>
#include <QCompleter>
#include <QFile>
#include <QScreen>
#include <QSettings>

namespace {

class WindowReading : public MainWindowTest {
protected:
    void Receive(const std::vector<CountedBytes>& payloads)
    {
        const int before = Grid().GetRowCount();
        for (const CountedBytes& payload : payloads)
            DeviceSends(Packet(payload));
        ASSERT_TRUE(QTest::qWaitFor([&] {
            dlg->ProcessReceivedRows();
            return Grid().GetRowCount() >= before + static_cast<int>(payloads.size());
        }));
    }
    QString Read(const QString& path)
    {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return QString::fromUtf8(file.readAll());
    }
};

} // namespace

TEST_F(WindowReading, HexAndTimeSincePreviousShowInTheLogInCopyAndInSave)
{
    Start();
    Receive({{20, 20}, {20, 21, 3}});
    const int last = Grid().GetRowCount() - 1;
    dlg->SetBytesInHex(true);
    dlg->SetTimeSincePrevious(true);
    EXPECT_EQ(Cell(last, 2), "14 15 03");
    QStringList hex;
    for (std::uint8_t byte : Packet({20, 21, 3}))
        hex << QString::asprintf("%02X", byte);
    EXPECT_EQ(Cell(last, 1), hex.join(' '));
    EXPECT_TRUE(QRegularExpression("^\\d\\d:\\d\\d:\\d\\d \\+\\d+ ms$").match(Cell(last, 0)).hasMatch()) << Cell(last, 0).toStdString();

    Grid().OnCommand(ID_EDIT_SELECT_ALL);
    Grid().OnCommand(ID_EDIT_COPY);
    const QString copied = QGuiApplication::clipboard()->text();
    EXPECT_TRUE(copied.contains(" ms\t" + Cell(last, 1) + "\t14 15 03\t")) << copied.toStdString();

    const QString saved = settings.filePath("saved.csv");
    ASSERT_TRUE(dlg->SaveLogAs(saved));
    EXPECT_TRUE(Read(saved).contains("," + Cell(last, 1) + ",14 15 03,")) << Read(saved).toStdString();

    // Off again: the log and the next save as they always were.
    dlg->SetBytesInHex(false);
    EXPECT_EQ(Cell(last, 2), "20, 21, 3");
    const std::vector<std::uint8_t> packet = Packet({20, 21, 3});
    EXPECT_EQ(Cell(last, 1), QString::fromStdString(FormatBytes(std::span<const std::uint8_t>(packet))));
    ASSERT_TRUE(dlg->SaveLogAs(saved));
    EXPECT_TRUE(Read(saved).contains(",\"" + Cell(last, 1) + "\",\"20, 21, 3\",")) << Read(saved).toStdString();
}

// Up and Down in "Command Data" recall what was sent, in this run and the next; the field is still
// a line edit, and its list drops down with Alt+Down.
TEST_F(WindowReading, SentCommandsAreRecalledWithUpAndDownAndKeptForTheNextRun)
{
    Start();
    auto* command = Edit(1017);
    for (const char* text : {"20 21", "20 22", "20 22", "20 bad"}) {
        command->setText(text);
        Button(1010)->click();
    }
    // A text that is not sent (its warning shows) is not remembered; a repeat is kept once.
    EXPECT_EQ(dlg->History().Items(), QStringList({"20 22", "20 21"}));
    command->setFocus();
    command->setText("typing");
    QTest::keyClick(command, Qt::Key_Up);
    EXPECT_EQ(command->text(), "20 22");
    EXPECT_EQ(Edit(1018)->text(), "1, 20, 22, 2, 213");
    QTest::keyClick(command, Qt::Key_Up);
    EXPECT_EQ(command->text(), "20 21");
    QTest::keyClick(command, Qt::Key_Down);
    QTest::keyClick(command, Qt::Key_Down);
    EXPECT_EQ(command->text(), "typing");

    QTest::keyClick(command, Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dlg->findChild<CCommandRecall*>() != nullptr
                                             && dlg->findChild<CCommandRecall*>()->Completer() != nullptr
                                             && dlg->findChild<CCommandRecall*>()->Completer()->popup()->isVisible(); }));
    QAbstractItemView* list = dlg->findChild<CCommandRecall*>()->Completer()->popup();
    EXPECT_EQ(list->model()->rowCount(), 2);
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(command->text(), "20 21");

    dlg->reject();
    dlg.reset();
    Start();
    Edit(1017)->setFocus();
    QTest::keyClick(Edit(1017), Qt::Key_Up);
    EXPECT_EQ(Edit(1017)->text(), "20 22");
}

// The first run opens at a size that shows every column of the Device ID answer on a 1280x800
// screen (the test's screen may be smaller: the window is given that size here).
TEST_F(WindowReading, TheFirstRunShowsEveryColumnOfTheDeviceIdAnswer)
{
    Start();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(dlg->size(), FirstRunSize(screen).expandedTo(dlg->minimumSize()));
    // In the middle of the screen, wherever the dialog was first put, so wholly on it.
    const QRect placed = dlg->frameGeometry();
    if (placed.width() <= screen.width() && placed.height() <= screen.height()) {
        EXPECT_LE((placed.center() - screen.center()).manhattanLength(), 2) << placed.x() << "," << placed.y();
        EXPECT_TRUE(screen.contains(placed));
    }
    const QSize first = FirstRunSize(QRect(0, 0, 1280, 800 - 40)); // less a panel
    dlg->resize(first);
    CountedBytes answer{20, 20};
    for (char c : std::string("Elmora"))
        answer.Append(static_cast<std::uint8_t>(c));
    Receive({answer});
    EXPECT_EQ(Cell(Grid().GetRowCount() - 1, 3), "Value Device ID = Elmora");
    int columns = 0;
    for (int c = 0; c < 4; ++c)
        columns += Grid().GetColumnWidth(c);
    EXPECT_LE(columns, Grid().viewport()->width());
    const QSize frame = dlg->frameGeometry().size() - dlg->size() + first;
    EXPECT_LE(frame.width(), 1280);
    EXPECT_LE(frame.height(), 800);
}

TEST_F(WindowReading, SizeAndPlaceAreRestoredAndBroughtBackOnScreen)
{
    Start();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    dlg->resize(dlg->minimumWidth() + 37, dlg->minimumHeight() + 23);
    dlg->move(screen.topLeft() + QPoint(11, 13));
    const QSize size = dlg->size();
    dlg->reject();
    dlg.reset();

    Start();
    EXPECT_EQ(dlg->size(), size);
    EXPECT_EQ(dlg->frameGeometry().topLeft(), screen.topLeft() + QPoint(11, 13));

    // Stored on a screen that is gone.
    QSettings(SettingsFile(), QSettings::IniFormat).setValue("Window/Geometry", QRect(screen.right() + 5000, 40, 700, 500));
    dlg->reject(); // stores this run's place: put the far one back after it
    dlg.reset();
    QSettings(SettingsFile(), QSettings::IniFormat).setValue("Window/Geometry", QRect(screen.right() + 5000, 40, 700, 500));
    Start();
    EXPECT_TRUE(screen.intersects(dlg->frameGeometry())) << dlg->frameGeometry().x();
    EXPECT_TRUE(screen.contains(dlg->frameGeometry().topLeft()));
}
