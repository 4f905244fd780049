#include "main_window_fixture.h"

#include "app/open_retry.h"
#include "app/power_notices.h"
#include "app/setup_dlg.h"
#include "log/session_reader.h"
#include "serial/line_settings.h"

#include <QComboBox>
#include <QFile>
#include <QSettings>
#include <QTimer>

#include <fstream>

namespace {

// Ends the next Setup dialog with OK, with `name` typed in when given.
void AcceptNextSetup(std::optional<QString> name = std::nullopt)
{
    QTimer::singleShot(0, [name] {
        auto* setup = qobject_cast<CSetupDlg*>(QApplication::activeModalWidget());
        if (!setup) {
            AcceptNextSetup(name);
            return;
        }
        if (name)
            setup->PortCombo()->setEditText(*name);
        setup->accept();
    });
}

class PortChoiceTest : public MainWindowTest {
protected:
    QString StoredPort() const { return QSettings(SettingsFile(), QSettings::IniFormat).value("Setup/Port").toString(); }
    QString Open(const std::string& name) const { return QString::fromStdString(name) + " (port open)"; }
};

} // namespace

TEST_F(PortChoiceTest, APortGivenForOneRunIsStoredOnlyWhenSetupChoosesAnother)
{
    Start(); // the pseudo-terminal, as --simulate and --port give it
    Received();

    // OK without a change: the run's port is no choice of the user's, and nothing is stored.
    AcceptNextSetup();
    Button(1002)->click();
    ASSERT_TRUE(WaitForPort());
    EXPECT_FALSE(QFile::exists(SettingsFile()) && QSettings(SettingsFile(), QSettings::IniFormat).contains("Setup/Port"));
    EXPECT_EQ(Edit(1001)->text(), Open(device.SlavePath()));
    EXPECT_TRUE(dlg->Port().IsOpen());

    // Another name chosen is stored; from then on the port is the user's, and OK stores it.
    AcceptNextSetup("/dev/vantrolix-elsewhere");
    Button(1002)->click();
    ASSERT_TRUE(WaitForPort());
    EXPECT_EQ(StoredPort(), "/dev/vantrolix-elsewhere");
    AcceptNextSetup(QString::fromStdString(device.SlavePath()));
    Button(1002)->click();
    ASSERT_TRUE(WaitForPort());
    EXPECT_EQ(StoredPort(), QString::fromStdString(device.SlavePath()));
    AcceptNextSetup();
    Button(1002)->click();
    ASSERT_TRUE(WaitForPort());
    EXPECT_EQ(StoredPort(), QString::fromStdString(device.SlavePath()));
    EXPECT_EQ(Edit(1001)->text(), Open(device.SlavePath()));
}

TEST_F(PortChoiceTest, ReopeningThePortInSetupLogsNoLineError)
{
    Start();
    Received();
    DeviceSends(Packet({20, 21, 1}));
    ASSERT_TRUE(WaitForRows(2));
    // The port is closed on purpose while the receive thread waits in a read, and opened again.
    AcceptNextSetup();
    Button(1002)->click();
    ASSERT_TRUE(WaitForPort());
    dlg->OpenPort();
    ASSERT_TRUE(WaitForPort());
    DeviceSends(Packet({20, 21, 0}));
    ASSERT_TRUE(WaitForRows(3));
    EXPECT_EQ(Cell(2, 2), "20, 21, 0");
    dlg->ProcessReceivedRows();
    EXPECT_EQ(Grid().GetRowCount(), 3);
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(PortChoiceTest, APortThatCouldNotOpenIsTriedAgainUntilItOpens)
{
    // Absent: a name that appears later, as an adapter plugged in after the start.
    const std::string link = settings.filePath("adapter").toStdString();
    Start(link);
    EXPECT_EQ(Edit(1001)->text(), QString::fromStdString(link) + " (could not open port)");
    ASSERT_TRUE(QFile::link(QString::fromStdString(device.SlavePath()), QString::fromStdString(link)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return Edit(1001)->text() == Open(link); }, 10000)) << Edit(1001)->text().toStdString();
    // No reason any more: the tool tip only names the session file.
    EXPECT_TRUE(Edit(1001)->toolTip().startsWith("Session file: ")) << Edit(1001)->toolTip().toStdString();
    Button(1010)->click();
    EXPECT_EQ(Received(), std::vector<std::uint8_t>({1, 20, 20, 2, 215}));
    DeviceSends(Packet({20, 21, 1}));
    ASSERT_TRUE(WaitForRows(2));
    EXPECT_EQ(Cell(1, 2), "20, 21, 1");
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(PortChoiceTest, ABusyPortIsTriedAgainOnceTheOtherProgramLetsGo)
{
    CSerialPort other;
    ASSERT_TRUE(other.Open(device.SlavePath(), kDeviceLineSettings)) << other.GetOpenError();
    Start();
    EXPECT_EQ(Edit(1001)->text(), QString::fromStdString(device.SlavePath()) + " (could not open port)");
    // The retries while it is busy stay quiet: no row, no message.
    QTimer::singleShot(3 * COpenRetry::kInterval, [&] { other.Close(); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return Edit(1001)->text() == Open(device.SlavePath()); }, 10000));
    EXPECT_TRUE(dlg->Port().IsOpen());
    dlg->ProcessReceivedRows();
    EXPECT_EQ(Grid().GetRowCount(), 1);
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(PortChoiceTest, EveryCloseOfThePortIsRecordedUnderTheNameItHad)
{
    QSettings(SettingsFile(), QSettings::IniFormat).setValue("Session/Folder", settings.filePath("sessions"));
    CPseudoTerminal other;
    std::string error;
    ASSERT_TRUE(other.Create(error)) << error;
    Start();
    const std::string record = dlg->SessionFile();
    ASSERT_FALSE(record.empty());
    AcceptNextSetup(QString::fromStdString(other.SlavePath()));
    Button(1002)->click();
    ASSERT_TRUE(WaitForPort());
    ASSERT_EQ(Edit(1001)->text(), Open(other.SlavePath()));
    // A suspend closes the port as well; the resume opens it again.
    dlg->OnPowerBroadcast(PBT_APMQUERYSUSPEND);
    dlg->OnPowerBroadcast(PBT_APMRESUMESUSPEND);
    ASSERT_TRUE(WaitForPort());
    dlg->reject();

    std::vector<std::string> events;
    std::ifstream in(record, std::ios::binary);
    ASSERT_TRUE(ReadSession(in, {[&](SessionRow&& row) {
                                     if (row.direction == RowDirection::Port)
                                         events.push_back(row.encoded);
                                 },
                                 [](SessionProblem&& problem) { ADD_FAILURE() << problem.Text(); }}));
    const std::string first = device.SlavePath();
    const std::string second = other.SlavePath();
    EXPECT_EQ(events, (std::vector<std::string>{"Port opened: " + first, "Port closed: " + first,
                                                "Port opened: " + second, "Port closed: " + second,
                                                "Port opened: " + second, "Port closed: " + second}));
}
