// The window watching the line between a room controller and the device it drives: the test plays
// the controller on one pseudo-terminal, and the device (the simulator, or the test again where
// every byte must be compared) on another.

#include "main_window_fixture.h"

#include "app/find_bar.h"
#include "app/setup_dlg.h"
#include "app/status_bar.h"
#include "app/vantrolix_dlg_ids.h"
#include "catalogue/model_argument.h"
#include "simulator/simulator_thread.h"
#include "support/pty_peer.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QSettings>

#include <fstream>
#include <sstream>


namespace {

using Bytes = std::vector<std::uint8_t>;

std::string Text(const Bytes& bytes)
{
    std::string text;
    for (const std::uint8_t b : bytes)
        text += (text.empty() ? "" : ", ") + std::to_string(b);
    return text;
}

// One end of the watched line, played by the test; the window opens the other end.
class LineEnd : public PtyPeer {
public:
    using PtyPeer::PtyPeer;

    void Send(const Bytes& bytes) { EXPECT_TRUE(Line().WriteAll(bytes, std::chrono::seconds(10))); }
    // What has come so far, the window's events running meanwhile, until there are `count` bytes.
    Bytes Receive(std::size_t count)
    {
        Bytes got;
        (void)QTest::qWaitFor([&] {
            got.insert(got.end(), m_buffer, m_buffer + Line().ReadAvailable(m_buffer));
            return got.size() >= count;
        }, 10000);
        return got;
    }
    std::size_t Pending() { return Line().ReadAvailable(m_buffer); }

private:
    std::uint8_t m_buffer[4096];
};

class WatchWindowTest : public MainWindowTest {
protected:
    // Shows a window watching the two ports for this run and waits until both are open.
    void StartWatching(const std::string& controllerPort, const std::string& devicePort, bool passThrough)
    {
        dlg = std::make_unique<CVantrolixDlg>(CPortSetting(SettingsFile()));
        dlg->WatchForThisRun(controllerPort, {true, QString::fromStdString(devicePort), passThrough});
        dlg->show();
        ASSERT_TRUE(WaitBothOpen());
    }
    bool WaitBothOpen()
    {
        return QTest::qWaitFor([&] { return SideState(RowDirection::Controller) == CWatchSession::State::Open
                                         && SideState(RowDirection::Device) == CWatchSession::State::Open; },
                               10000);
    }
    std::optional<CWatchSession::State> SideState(RowDirection side) const
    {
        return dlg->Watch() ? std::optional(dlg->Watch()->StateOf(side)) : std::nullopt;
    }
    std::vector<SessionRow> Rows(RowDirection direction) const
    {
        std::vector<SessionRow> rows;
        for (const SessionRow& row : dlg->Log()->ShownRows())
            if (row.direction == direction)
                rows.push_back(row);
        return rows;
    }
    // Until the log shows at least this many rows from each side.
    bool WaitSides(std::size_t fromController, std::size_t fromDevice)
    {
        return QTest::qWaitFor([&] {
            dlg->ProcessReceivedRows();
            return Rows(RowDirection::Controller).size() >= fromController
                && Rows(RowDirection::Device).size() >= fromDevice;
        }, 10000);
    }
    QString PortField() const { return Edit(IDC_PORT)->text(); }
};

std::string ReadFile(const std::string& path)
{
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

} // namespace

TEST_F(WatchWindowTest, PassedThroughTheLogShowsBothSidesAndEveryByteArrivesUnchanged)
{
    CSimulatorThread simulator(FindModelArgument("Elmora"), SimulatorOptions{});
    ASSERT_TRUE(simulator.Started()) << simulator.Error();
    LineEnd controller;
    StartWatching(controller.Port(), simulator.PortName(), true);
    EXPECT_EQ(PortField(), QString::fromStdString("Controller " + controller.Port() + ": open \u00B7 Device "
                                                  + simulator.PortName() + ": open"));
    EXPECT_EQ(dlg->StatusBar()->PortText(), PortField());
    EXPECT_TRUE(Button(IDC_SEND)->isEnabled());

    // Noise and a command from the controller; the simulated device answers through the window.
    const Bytes query = Packet({20, 20});
    controller.Send({0x55});
    controller.Send(query);
    ASSERT_TRUE(WaitSides(2, 1));
    const auto fromController = Rows(RowDirection::Controller);
    EXPECT_EQ(fromController[0].data, "Invalid Packet!");
    EXPECT_EQ(fromController[1].encoded, Text(query));
    EXPECT_EQ(fromController[1].description, "Query Device ID");
    const auto answer = Rows(RowDirection::Device).at(0);
    EXPECT_EQ(answer.description, "Value Device ID = Elmora");
    EXPECT_EQ(Text(controller.Receive(std::count(answer.encoded.begin(), answer.encoded.end(), ',') + 1)),
              answer.encoded);
    // The side leads the time; the window sent nothing of its own (no Device ID query at the start).
    // The two sides' rows interleave as their threads deliver them (the device may answer before
    // the controller's packet is framed), so each row is found by what it says.
    const auto timeOf = [this](const std::string& description) {
        for (int row = 1; row < Grid().GetRowCount(); ++row)
            if (Cell(row, 3).toStdString() == description)
                return Cell(row, 0);
        return QString();
    };
    EXPECT_TRUE(timeOf("Query Device ID").startsWith("C ")) << timeOf("Query Device ID").toStdString();
    EXPECT_TRUE(timeOf(answer.description).startsWith("D ")) << timeOf(answer.description).toStdString();
    dlg->SetShowSentCommands(true);
    EXPECT_TRUE(Rows(RowDirection::Sent).empty());

    // The engineer's own command goes to the device, recorded as the window's sends are; its
    // answer reaches the controller too, as everything the device says does.
    Edit(IDC_COMMAND_DATA)->setText("20 21");
    Button(IDC_SEND)->click();
    SessionRow power;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        dlg->ProcessReceivedRows();
        for (const SessionRow& row : Rows(RowDirection::Device))
            if (row.description.starts_with("Value Power Mode = "))
                power = row;
        return !power.encoded.empty();
    }, 10000));
    ASSERT_EQ(Rows(RowDirection::Sent).size(), 1u);
    EXPECT_EQ(Rows(RowDirection::Sent)[0].description, "Query Power Mode");
    EXPECT_EQ(Text(controller.Receive(std::count(power.encoded.begin(), power.encoded.end(), ',') + 1)), power.encoded);
    EXPECT_TRUE(messages.isEmpty());

    // Save Log As and the session record keep each row's side.
    const QString saved = settings.filePath("watched.tsv");
    ASSERT_TRUE(dlg->SaveLogAs(saved));
    const std::string file = ReadFile(saved.toStdString());
    EXPECT_NE(file.find("\tcontroller\t" + Text(query) + "\t20, 20\tQuery Device ID\n"), std::string::npos) << file;
    EXPECT_NE(file.find("\tdevice\t" + answer.encoded + "\t"), std::string::npos) << file;
    EXPECT_NE(file.find("\tsent\t"), std::string::npos) << file;
    const std::string session = dlg->SessionFile();
    dlg->reject();
    if (!session.empty()) {
        const std::string recorded = ReadFile(session);
        EXPECT_NE(recorded.find("\tcontroller\t" + Text(query)), std::string::npos) << recorded;
        EXPECT_NE(recorded.find("\tdevice\t" + answer.encoded), std::string::npos) << recorded;
        EXPECT_NE(recorded.find("Port closed: " + simulator.PortName()), std::string::npos) << recorded;
    }
}

TEST_F(WatchWindowTest, TappedNothingIsWrittenAndTheFilterAndCopyTellTheSidesApart)
{
    LineEnd controller;
    LineEnd deviceEnd;
    StartWatching(controller.Port(), deviceEnd.Port(), false);
    EXPECT_FALSE(Button(IDC_SEND)->isEnabled());
    EXPECT_TRUE(Button(IDC_SEND)->toolTip().contains("only listens")) << Button(IDC_SEND)->toolTip().toStdString();

    // Each side is read by a worker of its own: each row is waited for, to fix their order.
    controller.Send(Packet({20, 21}));
    ASSERT_TRUE(WaitSides(1, 0));
    deviceEnd.Send(Packet({20, 21, 1}));
    ASSERT_TRUE(WaitSides(1, 1));
    controller.Send(Packet({20, 23}));
    ASSERT_TRUE(WaitSides(2, 1));
    // A pass-through hands each byte on before its packet is framed: by now it would be there.
    EXPECT_EQ(controller.Pending(), 0u);
    EXPECT_EQ(deviceEnd.Pending(), 0u);
    dlg->Transmit(); // Enter in "Command Data" reaches it even with Send off
    EXPECT_EQ(deviceEnd.Pending(), 0u);
    EXPECT_EQ(dlg->Log()->KeptRows(), 3u);
    // Nor does a script or the sweep run in the controller's conversation.
    EXPECT_FALSE(dlg->StartScriptJob({ScriptJob::Kind::Sweep, {}, -1, false}));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains("one-device mode")) << messages[0].toStdString();
    EXPECT_EQ(deviceEnd.Pending(), 0u);

    CFindBar& bar = *dlg->FindBar();
    bar.StartFilter();
    bar.ControllerBox()->setChecked(true);
    EXPECT_EQ(dlg->Log()->ShownRows().size(), 2u);
    EXPECT_EQ(Rows(RowDirection::Controller).size(), 2u);
    bar.DeviceBox()->setChecked(true);
    EXPECT_FALSE(bar.ControllerBox()->isChecked());
    ASSERT_EQ(dlg->Log()->ShownRows().size(), 1u);
    EXPECT_EQ(dlg->Log()->ShownRows()[0].direction, RowDirection::Device);
    // Received rows are every row heard on the line, whichever side.
    bar.DeviceBox()->setChecked(false);
    bar.ReceivedBox()->setChecked(true);
    EXPECT_EQ(dlg->Log()->ShownRows().size(), 3u);
    bar.ClearFilter();

    Grid().OnCommand(ID_EDIT_SELECT_ALL);
    Grid().OnCommand(ID_EDIT_COPY);
    const QStringList copied = QGuiApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(copied.size(), 3) << QGuiApplication::clipboard()->text().toStdString();
    EXPECT_TRUE(copied[0].startsWith("C ") && copied[0].endsWith("\tQuery Power Mode")) << copied[0].toStdString();
    EXPECT_TRUE(copied[1].startsWith("D ") && copied[1].contains("\tValue Power Mode = ")) << copied[1].toStdString();

    // A watch given for this run is no choice of the user's: OK in Setup stores nothing of it.
    OnNextModal([](QDialog& setup) { setup.accept(); });
    Button(IDC_SETUP)->click();
    ASSERT_TRUE(WaitBothOpen());
    const QSettings stored(SettingsFile(), QSettings::IniFormat);
    EXPECT_FALSE(stored.contains("Setup/Mode") || stored.contains("Setup/Port"));
}

TEST_F(WatchWindowTest, ASideUnpluggedShowsItsOwnRowAndStateAndComesBackOnItsOwn)
{
    for (const RowDirection side : {RowDirection::Controller, RowDirection::Device}) {
        const bool controllerSide = side == RowDirection::Controller;
        SCOPED_TRACE(controllerSide ? "controller" : "device");
        const std::string controllerLink = settings.filePath(controllerSide ? "c1" : "c2").toStdString();
        const std::string deviceLink = settings.filePath(controllerSide ? "d1" : "d2").toStdString();
        auto controller = std::make_unique<LineEnd>(controllerLink);
        auto deviceEnd = std::make_unique<LineEnd>(deviceLink);
        StartWatching(controllerLink, deviceLink, true);

        auto& pulled = controllerSide ? controller : deviceEnd;
        const std::string& link = controllerSide ? controllerLink : deviceLink;
        pulled.reset();
        ASSERT_TRUE(QTest::qWaitFor([&] { return SideState(side) == CWatchSession::State::Gone; }, 10000));
        EXPECT_TRUE(PortField().contains(QString::fromStdString((controllerSide ? "Controller " : "Device ") + link
                                                                + ": gone, retrying")))
            << PortField().toStdString();
        EXPECT_EQ(SideState(controllerSide ? RowDirection::Device : RowDirection::Controller), CWatchSession::State::Open);
        ASSERT_TRUE(WaitSides(controllerSide ? 1 : 0, controllerSide ? 0 : 1));
        const auto rows = dlg->Log()->ShownRows();
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(rows[0].direction, side);
        EXPECT_EQ(rows[0].encoded, "I/O Error!!!");

        pulled = std::make_unique<LineEnd>(link);
        ASSERT_TRUE(WaitBothOpen());
        ASSERT_TRUE(QTest::qWaitFor([&] { return pulled->Opened(); }, 10000));
        const Bytes command = Packet({20, 21});
        const Bytes reply = Packet({20, 21, 1});
        controller->Send(command);
        EXPECT_EQ(deviceEnd->Receive(command.size()), command);
        deviceEnd->Send(reply);
        EXPECT_EQ(controller->Receive(reply.size()), reply);
        dlg->reject();
        dlg.reset();
    }
}

TEST_F(WatchWindowTest, SetupTurnsTheWatchOnAndOffAndTheNextStartKeepsIt)
{
    LineEnd controller;
    LineEnd device2;
    Start(); // one device, on the fixture's pseudo-terminal
    OnNextModal([&](QDialog& dialog) {
        auto& setup = dynamic_cast<CSetupDlg&>(dialog);
        setup.ModeCombo()->setCurrentIndex(1);
        setup.PortCombo()->setEditText(QString::fromStdString(controller.Port()));
        setup.DevicePortCombo()->setEditText(QString::fromStdString(device2.Port()));
        setup.WiringCombo()->setCurrentIndex(1);
        setup.accept();
    });
    Button(IDC_SETUP)->click();
    ASSERT_TRUE(WaitBothOpen());
    EXPECT_FALSE(dlg->Port().IsOpen());
    {
        const QSettings stored(SettingsFile(), QSettings::IniFormat);
        EXPECT_EQ(stored.value("Setup/Mode").toString(), "watch");
        EXPECT_EQ(stored.value("Setup/Port").toString().toStdString(), controller.Port());
        EXPECT_EQ(stored.value("Setup/DevicePort").toString().toStdString(), device2.Port());
        EXPECT_TRUE(stored.value("Setup/PassThrough").toBool());
    }
    dlg->reject();
    dlg.reset();

    // The next start watches the same two ports, passed through, and Setup shows it so.
    dlg = std::make_unique<CVantrolixDlg>(CPortSetting(SettingsFile()));
    dlg->show();
    ASSERT_TRUE(WaitBothOpen());
    EXPECT_TRUE(PortField().startsWith(QString::fromStdString("Controller " + controller.Port() + ": open")));
    EXPECT_TRUE(dlg->Watch()->PassesThrough());
    OnNextModal([&](QDialog& dialog) {
        auto& setup = dynamic_cast<CSetupDlg&>(dialog);
        EXPECT_EQ(setup.ModeCombo()->currentIndex(), 1);
        EXPECT_EQ(setup.WiringCombo()->currentIndex(), 1);
        EXPECT_EQ(setup.DevicePortCombo()->currentText().toStdString(), device2.Port());
        // Back to one device: the watch ends and the one port opens.
        setup.ModeCombo()->setCurrentIndex(0);
        setup.PortCombo()->setEditText(QString::fromStdString(device.SlavePath()));
        setup.accept();
    });
    Button(IDC_SETUP)->click();
    ASSERT_TRUE(WaitForPort());
    EXPECT_EQ(dlg->Watch(), nullptr);
    EXPECT_TRUE(dlg->Port().IsOpen());
    EXPECT_TRUE(Button(IDC_SEND)->isEnabled());
    EXPECT_EQ(PortField().toStdString(), device.SlavePath() + " (port open)");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !controller.Opened() && !device2.Opened(); }, 10000));
    EXPECT_EQ(QSettings(SettingsFile(), QSettings::IniFormat).value("Setup/Mode").toString(), "device");
}
