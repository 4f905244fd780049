// The main window on a network port: the device end behind ser2net.

#include "main_window_fixture.h"

#include "app/setup_dlg.h"
#include "support/ser2net_gateway.h"

#include <QComboBox>

namespace {

using Mode = Ser2NetGateway::Mode;

// Valid, broken and checksum-error frames and 0xFF bytes, which a Telnet layer must pass intact.
const std::vector<std::uint8_t> kDeviceTalk = {1, 20, 20, 2, 215, 65, 1, 20, 20, 2, 214,
                                               1, 0xFF, 2, 0x5E, 0x40, 0xFF, 1, 237, 2, 94, 82};
constexpr int kTalkRows = 6;

class NetworkWindowTest : public MainWindowTest {
protected:
    // The log's rows, time column left out, after the device talks to a window on the port.
    std::vector<QStringList> RowsOver(const std::string& portName)
    {
        Start(portName);
        EXPECT_TRUE(Edit(1001)->text().endsWith(" (port open)")) << Edit(1001)->toolTip().toStdString();
        EXPECT_TRUE(QTest::qWaitFor([&] { return device.ClientPresent(); }, 5000));
        Received(); // the start-up query
        DeviceSends(kDeviceTalk);
        EXPECT_TRUE(WaitForRows(kTalkRows + 1, 10000));
        std::vector<QStringList> rows;
        for (int row = 1; row < Grid().GetRowCount(); ++row)
            rows.push_back({Cell(row, 1), Cell(row, 2), Cell(row, 3)});
        dlg->reject();
        dlg.reset();
        return rows;
    }
};

} // namespace

TEST_F(NetworkWindowTest, RowsOverEitherKindOfGatewayAreThoseOverTheDevice)
{
    std::vector<std::vector<QStringList>> overNetwork;
    for (const Mode mode : {Mode::Raw, Mode::Rfc2217}) {
        Ser2NetGateway gateway(device.SlavePath(), mode);
        std::string error;
        ASSERT_TRUE(gateway.Start(error)) << error;
        overNetwork.push_back(RowsOver(gateway.PortName()));
    }
    const auto direct = RowsOver(device.SlavePath());
    ASSERT_EQ(direct.size(), static_cast<std::size_t>(kTalkRows));
    EXPECT_EQ(overNetwork[0], direct);
    EXPECT_EQ(overNetwork[1], direct);
}

TEST_F(NetworkWindowTest, SetupTakesATypedGatewayAndTheWindowFollowsItsRestart)
{
    Ser2NetGateway gateway(device.SlavePath(), Mode::Rfc2217);
    std::string error;
    ASSERT_TRUE(gateway.Start(error)) << error;
    Start("tcp://127.0.0.1:" + std::to_string(FreeLoopbackPort()));
    EXPECT_TRUE(Edit(1001)->text().endsWith(" (could not open port)"));
    EXPECT_TRUE(Edit(1001)->toolTip().contains("refused")) << Edit(1001)->toolTip().toStdString();

    const QString name = QString::fromStdString(gateway.PortName());
    OnNextModal([name](QDialog& setup) {
        dynamic_cast<CSetupDlg&>(setup).PortCombo()->setEditText(name);
        setup.accept();
    });
    Button(1002)->click();
    EXPECT_EQ(Edit(1001)->text(), name + " (port open)");

    gateway.Stop();
    ASSERT_TRUE(WaitForRows(2, 10000));
    EXPECT_EQ(Cell(1, 1), "I/O Error!!!");
    ASSERT_TRUE(gateway.Start(error)) << error;
    ASSERT_TRUE(QTest::qWaitFor([&] { return Edit(1001)->text() == name + " (port open)"; }, 10000));
    EXPECT_EQ(Grid().GetRowCount(), 2); // one row for the whole outage
    EXPECT_TRUE(messages.isEmpty());
}
