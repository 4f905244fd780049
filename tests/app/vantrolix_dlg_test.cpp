#include "main_window_fixture.h"
#include "catalogue/radio_text.h"
#include "support/grid_test_access.h"

#include "app/power_notices.h"
#include "app/setup_dlg.h"
#include "app/status_bar.h"
#include "builder/build_command_dlg.h"
#include "catalogue/describer.h"
#include "protocol/command_text_parser.h"
#include "version/version.h"

#include <QAction>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QSettings>
#include <QTimer>

namespace {

const std::vector<std::uint8_t> kDeviceIdQuery = {1, 20, 20, 2, 215};

} // namespace

TEST_F(MainWindowTest, StartUpEncodesTheQuerySetsUpTheLogAndAsksTheDevice)
{
    Start();
    EXPECT_EQ(dlg->windowTitle(), QString("Vantrolix v") + kVantrolixVersion);
    EXPECT_EQ(Edit(1017)->text(), "20 20");
    EXPECT_EQ(Edit(1018)->text(), "1, 20, 20, 2, 215");
    EXPECT_EQ(Edit(1024)->text(), QString::fromStdString(DescribeCommand(CountedBytes{20, 20})));
    EXPECT_FALSE(Edit(1024)->text().isEmpty());
    EXPECT_EQ(Edit(1001)->text(), QString::fromStdString(device.SlavePath()) + " (port open)");

    EXPECT_EQ(Grid().GetColumnCount(), 4);
    EXPECT_EQ(Grid().GetRowCount(), 1);
    EXPECT_EQ(Grid().GetFixedRowCount(), 1);
    EXPECT_EQ(Cell(0, 0), "Time");
    EXPECT_EQ(Cell(0, 1), "Encoded");
    EXPECT_EQ(Cell(0, 2), "Data");
    EXPECT_EQ(Cell(0, 3), "Description");
    EXPECT_FALSE(Grid().IsEditable());

    ASSERT_NE(dlg->Builder(), nullptr);
    EXPECT_TRUE(dlg->Builder()->isHidden());
    EXPECT_EQ(qobject_cast<QComboBox*>(dlg->Builder()->Control(1030))->count(), 14);

    EXPECT_EQ(Received(), kDeviceIdQuery);
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(MainWindowTest, TypingEncodesAndDescribesEveryKeystroke)
{
    Start();
    Edit(1017)->clear();
    const QString typed = "21 0x17 128 245";
    for (int i = 0; i < typed.size(); ++i) {
        QTest::keyClick(Edit(1017), typed[i].toLatin1());
        const std::string text = typed.left(i + 1).toStdString();
        CCommandPacket expected;
        expected.SetCommand(ParseCommandText(text));
        ASSERT_EQ(Edit(1018)->text().toStdString(), expected.GetEncodedText()) << text;
        ASSERT_EQ(Edit(1024)->text().toStdString(), DescribeCommand(expected.GetCommand())) << text;
    }
}

TEST_F(MainWindowTest, SendPutsExactlyTheShownPacketOnTheLine)
{
    Start();
    Received(); // the start-up query
    Edit(1017)->setText("21 24 1");
    const QString shown = Edit(1018)->text();
    Button(1010)->click();
    std::vector<std::uint8_t> sent = Received();
    QStringList bytes;
    for (std::uint8_t b : sent)
        bytes << QString::number(b);
    EXPECT_EQ(bytes.join(", "), shown);

    // Showing the builder asks the device again, in a packet of its own: Send still sends what is shown.
    Button(1004)->click();
    EXPECT_FALSE(dlg->Builder()->isHidden());
    EXPECT_EQ(Received(), kDeviceIdQuery);
    QTest::keyClick(Edit(1017), Qt::Key_Return);
    EXPECT_EQ(Received(), sent);
    // Hiding it sends nothing; showing it again asks again.
    Button(1004)->click();
    EXPECT_TRUE(dlg->Builder()->isHidden());
    EXPECT_TRUE(Received().empty());
    Button(1004)->click();
    EXPECT_EQ(Received(), kDeviceIdQuery);
    EXPECT_TRUE(messages.isEmpty());
}

// Nothing can go out on a port that never opened: the user's Send is told so, as a failed write
// is; the Device ID queries the window sends by itself stay quiet.
TEST_F(MainWindowTest, ClosedPortSaysWhyInTheToolTipAndSendReportsTheTransmitError)
{
    Start("/dev/vantrolix-no-such-port");
    EXPECT_EQ(Edit(1001)->text(), "/dev/vantrolix-no-such-port (could not open port)");
    EXPECT_FALSE(Edit(1001)->toolTip().isEmpty());
    Button(1004)->click();
    EXPECT_TRUE(messages.isEmpty());
    Button(1010)->click();
    EXPECT_EQ(messages, QStringList({"RS232 Transmit Error"}));
    EXPECT_EQ(Grid().GetRowCount(), 1);
}

TEST_F(MainWindowTest, AFailedWriteShowsTheTransmitError)
{
    Start();
    Received();
    device.Close(); // the device end goes away: the write cannot complete
    Button(1010)->click();
    EXPECT_EQ(messages, QStringList({"RS232 Transmit Error"}));
}

TEST_F(MainWindowTest, ARowForEveryOutcome)
{
    CRadioText radioText;
    Start();
    Received();
    // A valid Value response, a checksum error, a frame broken by a new start byte.
    DeviceSends(Packet({20, 21, 1}));
    std::vector<std::uint8_t> bad = Packet({20, 21, 1});
    bad.back() ^= 0x01;
    DeviceSends(bad);
    DeviceSends({1, 20, 21});
    DeviceSends(Packet({20, 21, 0}));
    ASSERT_TRUE(WaitForRows(5));

    const std::vector<std::uint8_t> valid = Packet({20, 21, 1});
    EXPECT_EQ(Cell(1, 1), QString::fromStdString(FormatBytes(std::span<const std::uint8_t>(valid))));
    EXPECT_EQ(Cell(1, 2), "20, 21, 1");
    EXPECT_EQ(Cell(1, 3), QString::fromStdString(DescribeResponse(CountedBytes{20, 21, 1}, radioText)));
    EXPECT_EQ(Cell(2, 2), "Checksum Error!");
    EXPECT_TRUE(Cell(2, 3).isEmpty());
    EXPECT_EQ(Cell(3, 1), "1, 20, 21");
    EXPECT_EQ(Cell(3, 2), "Invalid Packet!");
    EXPECT_EQ(Cell(4, 2), "20, 21, 0");
    EXPECT_EQ(Cell(1, 0).size(), 8); // HH:MM:SS

    // The device vanishes: an I/O error row, its text in "Encoded", and the port field says so.
    device.Close();
    ASSERT_TRUE(WaitForRows(6));
    EXPECT_EQ(Cell(5, 1), "I/O Error!!!");
    EXPECT_TRUE(Cell(5, 2).isEmpty());
    EXPECT_TRUE(Cell(5, 3).isEmpty());
    EXPECT_TRUE(QTest::qWaitFor([&] { return Edit(1001)->text().endsWith(" (device gone)"); }, 2000));
}

TEST_F(MainWindowTest, ClearKeepsTheHeaderAndTheNextRowIsRowOne)
{
    Start();
    Received();
    DeviceSends(Packet({20, 21, 1}));
    DeviceSends(Packet({20, 21, 0}));
    ASSERT_TRUE(WaitForRows(3));
    Button(1014)->click();
    EXPECT_EQ(Grid().GetRowCount(), 1);
    EXPECT_EQ(Cell(0, 0), "Time");
    DeviceSends(Packet({20, 21, 2}));
    ASSERT_TRUE(WaitForRows(2));
    EXPECT_EQ(Cell(1, 2), "20, 21, 2");
}

TEST_F(MainWindowTest, DeviceIdAnswerSelectsTheModelInOrderWithTheRows)
{
    Start();
    Received();
    CountedBytes bare{20, 20};
    DeviceSends(Packet(bare)); // no name: logged, selects nothing
    ASSERT_TRUE(WaitForRows(2));
    EXPECT_EQ(dlg->Builder()->GetModelRow(), -1);

    CountedBytes named{20, 20, 'E', 'l', 'm', 'o', 'r', 'a'};
    DeviceSends(Packet(named));
    ASSERT_TRUE(WaitForRows(3));
    EXPECT_EQ(dlg->Builder()->GetModelRow(), 4);
    EXPECT_EQ(Edit(1017)->text(), "20 20");

    // A name padded with zero bytes ends at the first of them.
    CountedBytes padded{20, 20, 'F', 'e', 'n', 'l', 'o', 'w', 0, 0};
    DeviceSends(Packet(padded));
    ASSERT_TRUE(WaitForRows(4));
    EXPECT_EQ(dlg->Builder()->GetModelRow(), 5);
}

TEST_F(MainWindowTest, WideningMovesAndWidensExactlyTheListedControls)
{
    Start();
    std::map<int, QRect> before;
    const std::vector<int> ids = {1021, 1001, 1002, 1022, 1017, 1004, 1018, 1010, 1024, 1023, 1003, 1014};
    for (int id : ids)
        before[id] = dlg->Control(id)->geometry();
    dlg->resize(dlg->width() + 100, dlg->height() + 40);
    QCoreApplication::processEvents();

    const auto wider = [](QRect r) { return r.adjusted(0, 0, 100, 0); };
    EXPECT_EQ(dlg->Control(1021)->geometry(), wider(before[1021]));
    EXPECT_EQ(dlg->Control(1022)->geometry(), wider(before[1022]));
    EXPECT_EQ(dlg->Control(1023)->geometry(), before[1023].adjusted(0, 0, 100, 40));
    EXPECT_EQ(dlg->Control(1017)->geometry(), wider(before[1017]));
    EXPECT_EQ(dlg->Control(1018)->geometry(), wider(before[1018]));
    EXPECT_EQ(dlg->Control(1024)->geometry(), wider(before[1024]));
    EXPECT_EQ(dlg->Control(1003)->geometry(), before[1003].adjusted(0, 0, 100, 40));
    EXPECT_EQ(dlg->Control(1004)->geometry(), before[1004].translated(100, 0));
    EXPECT_EQ(dlg->Control(1010)->geometry(), before[1010].translated(100, 0));
    EXPECT_EQ(dlg->Control(1014)->geometry(), before[1014].translated(100, 40));
    EXPECT_EQ(dlg->Control(1001)->geometry(), before[1001]);
    EXPECT_EQ(dlg->Control(1002)->geometry(), before[1002]);

    // Squeezed as far as it goes, every control keeps at least the size it was laid out with and
    // the log a few rows; back to the old size, everything is where it was.
    const QSize original(dlg->width() - 100, dlg->height() - 40);
    dlg->resize(20, 20);
    EXPECT_EQ(dlg->size(), dlg->minimumSize());
    for (int id : ids) {
        const QRect r = dlg->Control(id)->geometry();
        EXPECT_TRUE(dlg->rect().contains(r) && r.width() >= 15 && r.height() >= 12) << id;
    }
    EXPECT_GE(dlg->Control(1003)->height(), 3 * Grid().GetRowHeight(0));
    dlg->resize(original);
    for (int id : ids)
        EXPECT_EQ(dlg->Control(id)->geometry(), before[id]) << id;
}

TEST_F(MainWindowTest, SetupOkStoresTheNameAndReopensCancelChangesNothing)
{
    Start();
    Received();
    EXPECT_FALSE(QFile::exists(SettingsFile())); // nothing stored until Setup ends with OK

    OnNextModal([](QDialog& setup) {
        auto& setupDlg = dynamic_cast<CSetupDlg&>(setup);
        EXPECT_EQ(setupDlg.PortCombo()->currentText(), setupDlg.GetPortName());
        setupDlg.PortCombo()->setEditText("/dev/vantrolix-elsewhere");
        setupDlg.reject();
    });
    Button(1002)->click();
    ASSERT_TRUE(WaitForPort());
    EXPECT_FALSE(QFile::exists(SettingsFile()));
    EXPECT_TRUE(dlg->Port().IsOpen());
    EXPECT_EQ(Edit(1001)->text(), QString::fromStdString(device.SlavePath()) + " (port open)");

    OnNextModal([](QDialog& setup) {
        dynamic_cast<CSetupDlg&>(setup).PortCombo()->setEditText("/dev/vantrolix-elsewhere");
        setup.accept();
    });
    Button(1002)->click();
    ASSERT_TRUE(WaitForPort());
    EXPECT_EQ(QSettings(SettingsFile(), QSettings::IniFormat).value("Setup/Port").toString(),
              "/dev/vantrolix-elsewhere");
    EXPECT_EQ(Edit(1001)->text(), "/dev/vantrolix-elsewhere (could not open port)");
    EXPECT_FALSE(dlg->Port().IsOpen());
}

TEST_F(MainWindowTest, StoredPortIsUsedWithoutAnOverride)
{
    CPortSetting(SettingsFile()).Write(QString::fromStdString(device.SlavePath()));
    dlg = std::make_unique<CVantrolixDlg>(CPortSetting(SettingsFile()));
    dlg->show();
    ASSERT_TRUE(WaitForPort());
    EXPECT_EQ(Edit(1001)->text(), QString::fromStdString(device.SlavePath()) + " (port open)");
    EXPECT_EQ(Received(), kDeviceIdQuery);
}

TEST_F(MainWindowTest, SuspendClosesThePortAndResumeReopensIt)
{
    Start();
    const QString field = Edit(1001)->text();
    dlg->OnPowerBroadcast(PBT_APMQUERYSUSPEND);
    EXPECT_FALSE(dlg->Port().IsOpen());
    EXPECT_EQ(Edit(1001)->text(), field);
    dlg->OnPowerBroadcast(4); // other codes do nothing
    EXPECT_FALSE(dlg->Port().IsOpen());
    dlg->OnPowerBroadcast(PBT_APMRESUMEAUTOMATIC);
    ASSERT_TRUE(WaitForPort());
    EXPECT_TRUE(dlg->Port().IsOpen());
    EXPECT_EQ(Edit(1001)->text(), field);
}

TEST_F(MainWindowTest, AboutFromF1AndTheContextMenu)
{
    Start();
    ASSERT_NE(dlg->AboutAction(), nullptr);
    EXPECT_EQ(dlg->AboutAction()->text(), "&About Vantrolix...");
    QString caption;
    QStringList texts;
    OnNextModal([&](QDialog& about) {
        caption = about.windowTitle();
        for (const QLabel* label : about.findChildren<QLabel*>())
            texts << label->text();
        about.accept();
    });
    QApplication::setActiveWindow(dlg.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
    QTest::keyClick(dlg.get(), Qt::Key_F1);
    EXPECT_EQ(caption, "About Vantrolix");
    // The version --version prints, not the one the dialog's template was drawn with.
    const QString version = QString("Vantrolix Version ") + kVantrolixVersion;
    EXPECT_TRUE(texts.contains(*kVantrolixCommit ? version + "\nCommit " + kVantrolixCommit : version)) << texts.join('|').toStdString();

    // The same entry in the window's context menu.
    QStringList entries;
    QTimer::singleShot(50, [&] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            for (const QAction* action : menu->actions())
                entries << action->text();
            menu->close();
        }
    });
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5), dlg->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(dlg.get(), &click);
    EXPECT_EQ(entries, QStringList({"&About Vantrolix..."}));
}

// Runs a look at the window at its first paint.
class FirstPaintLook : public QObject {
public:
    explicit FirstPaintLook(std::function<void()> look) : m_look(std::move(look)) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && m_look)
            std::exchange(m_look, {})();
        return false;
    }

private:
    std::function<void()> m_look;
};

TEST_F(MainWindowTest, TheWindowIsOnTheScreenBeforeItsPortOpensAndOneClosedBeforeThatOpensNothing)
{
    dlg = std::make_unique<CVantrolixDlg>(CPortSetting(SettingsFile()), device.SlavePath());
    QString fieldAtFirstPaint;
    QString sessionAtFirstPaint = "unseen";
    bool clientAtFirstPaint = true;
    FirstPaintLook look([&] {
        fieldAtFirstPaint = Edit(1001)->text();
        sessionAtFirstPaint = dlg->StatusBar()->SessionText();
        clientAtFirstPaint = device.ClientPresent();
    });
    dlg->installEventFilter(&look);
    dlg->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dlg->IsStartUpPending(); }, 10000));
    ASSERT_TRUE(WaitForPort());
    EXPECT_EQ(fieldAtFirstPaint, QString::fromStdString(device.SlavePath()) + " (opening port)");
    EXPECT_FALSE(clientAtFirstPaint);
    // Nothing said of the session file until it is made (not "not recorded").
    EXPECT_EQ(sessionAtFirstPaint, "");
    // Then the line starts as it always did: the port opens, the start-up query goes out, the
    // session is recorded.
    EXPECT_EQ(Edit(1001)->text(), QString::fromStdString(device.SlavePath()) + " (port open)");
    EXPECT_EQ(Received(), (std::vector<std::uint8_t>{1, 20, 20, 2, 215}));
    EXPECT_TRUE(Edit(1001)->toolTip().startsWith("Session file: ")) << Edit(1001)->toolTip().toStdString();
    dlg->reject();
    dlg.reset();

    // Closed before it was ever painted: no session file is made and the port is never opened,
    // however long the window object stays.
    dlg = std::make_unique<CVantrolixDlg>(CPortSetting(SettingsFile()), device.SlavePath());
    dlg->show();
    dlg->reject();
    EXPECT_FALSE(QTest::qWaitFor([&] { return !dlg->StatusBar()->SessionText().isEmpty() || dlg->Port().IsOpen(); }, 1500))
        << dlg->StatusBar()->SessionText().toStdString();
}

TEST_F(MainWindowTest, EscapeClosesThePortAndEndsTheWindow)
{
    Start();
    QTest::keyClick(dlg.get(), Qt::Key_Escape);
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(dlg->result(), QDialog::Rejected);
    EXPECT_FALSE(dlg->Port().IsOpen());
    EXPECT_FALSE(device.ClientPresent());
}

TEST_F(MainWindowTest, TheLogFollowsNewRowsOnlyWhileTheLastRowIsInView)
{
    Start();
    Received();
    const auto sendRows = [&](int count) {
        std::vector<std::uint8_t> bytes;
        for (int i = 0; i < count; ++i) {
            const std::vector<std::uint8_t> packet = Packet({20, 22, static_cast<std::uint8_t>(i)});
            bytes.insert(bytes.end(), packet.begin(), packet.end());
        }
        const int before = Grid().GetRowCount();
        DeviceSends(bytes);
        ASSERT_TRUE(WaitForRows(before + count));
    };
    sendRows(60); // more than the log shows at once
    const int last = Grid().GetRowCount() - 1;
    EXPECT_TRUE(Grid().IsCellVisible(last, 0));
    EXPECT_FALSE(Grid().IsCellVisible(1, 0));

    // Scrolled back to the start, new rows leave the view where it is.
    GridTestAccess::VScroll(Grid(), SB_TOP);
    const CGridCellId top = Grid().GetTopLeftScrolledCell();
    EXPECT_EQ(top.row, 1);
    sendRows(5);
    EXPECT_EQ(Grid().GetTopLeftScrolledCell().row, top.row);
    EXPECT_FALSE(Grid().IsCellVisible(Grid().GetRowCount() - 1, 0));

    // Back at the end, the view follows again.
    GridTestAccess::VScroll(Grid(), SB_BOTTOM);
    sendRows(5);
    EXPECT_TRUE(Grid().IsCellVisible(Grid().GetRowCount() - 1, 0));
}
