#include "app/port_setting.h"
#include "app/setup_dlg.h"
#include "app/watch_setting.h"
#include "platform/message_box.h"

#include <QComboBox>
#include <QLabel>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(PortSetting, DefaultsToCom1AndKeepsWhatIsWritten)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("vantrolix.conf");
    const CPortSetting setting(file);
    EXPECT_EQ(setting.Read(), "COM1");
    EXPECT_FALSE(QFile::exists(file)); // reading writes nothing

    EXPECT_TRUE(setting.Write("/dev/ttyUSB0"));
    EXPECT_EQ(CPortSetting(file).Read(), "/dev/ttyUSB0");
    QSettings raw(file, QSettings::IniFormat);
    EXPECT_EQ(raw.value("Setup/Port").toString(), "/dev/ttyUSB0");
}

TEST(SetupDlg, ListsTheComNamesThenTheMachinesPorts)
{
    CSetupDlg dlg(nullptr, {"/dev/ttyUSB0", "COM3"});
    QStringList entries;
    for (int i = 0; i < dlg.PortCombo()->count(); ++i)
        entries << dlg.PortCombo()->itemText(i);
    EXPECT_EQ(entries, QStringList({"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8", "/dev/ttyUSB0"}));
    EXPECT_EQ(dlg.windowTitle(), "Setup");
}

TEST(SetupDlg, OkTakesTheTextCancelKeepsTheName)
{
    {
        CSetupDlg dlg(nullptr, {});
        dlg.SetPortName("COM3");
        dlg.show();
        EXPECT_EQ(dlg.PortCombo()->currentIndex(), 2);
        EXPECT_EQ(dlg.PortCombo()->currentText(), "COM3");
        dlg.PortCombo()->setEditText("/dev/ttyS12");
        dlg.reject();
        EXPECT_EQ(dlg.result(), QDialog::Rejected);
        EXPECT_EQ(dlg.GetPortName(), "COM3");
    }
    {
        CSetupDlg dlg(nullptr, {});
        dlg.SetPortName("COM");
        dlg.show();
        EXPECT_EQ(dlg.PortCombo()->currentText(), "COM"); // not replaced by COM1
        dlg.PortCombo()->setEditText("COM12");
        dlg.accept();
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
        EXPECT_EQ(dlg.GetPortName(), "COM12");
    }
}

TEST(WatchSetting, OneDeviceUntilAWatchIsStoredBesideThePort)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("vantrolix.conf");
    EXPECT_EQ(ReadWatchSetup(file), (WatchSetup{false, "COM2", false}));
    const WatchSetup watch{true, "/dev/ttyUSB1", true};
    EXPECT_TRUE(WriteWatchSetup(file, watch));
    EXPECT_EQ(ReadWatchSetup(file), watch);
    EXPECT_EQ(CPortSetting(file).Read(), "COM1"); // the controller's port is the port setting
    QSettings(file, QSettings::IniFormat).setValue("Setup/Mode", "bogus");
    EXPECT_FALSE(ReadWatchSetup(file).watch);
}

TEST(SetupDlg, WatchModeNamesBothPortsAndRefusesOnePortForBoth)
{
    QStringList messages;
    SetMessageBoxHandler([&](const std::string& text) { messages << QString::fromStdString(text); });
    CSetupDlg dlg(nullptr, {});
    dlg.SetPortName("COM1");
    dlg.SetWatch({true, "COM4", true});
    dlg.show();
    EXPECT_EQ(dlg.ModeCombo()->currentIndex(), 1);
    EXPECT_EQ(dlg.WiringCombo()->currentIndex(), 1);
    EXPECT_EQ(dlg.DevicePortCombo()->currentText(), "COM4");
    // Every control is named for a screen reader and reached by Tab; the port is the controller's now.
    for (QComboBox* combo : {dlg.ModeCombo(), dlg.PortCombo(), dlg.DevicePortCombo(), dlg.WiringCombo()}) {
        EXPECT_FALSE(combo->accessibleName().isEmpty());
        EXPECT_TRUE(combo->isEnabled() && (combo->focusPolicy() & Qt::TabFocus));
    }
    EXPECT_EQ(dlg.PortCombo()->accessibleName(), "Controller port");
    EXPECT_EQ(dlg.DevicePortCombo()->accessibleName(), "Device port");

    dlg.DevicePortCombo()->setEditText("COM1");
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Rejected); // still open, for the user to mend
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains("COM1 is named for both")) << messages[0].toStdString();

    dlg.DevicePortCombo()->setEditText("COM3");
    dlg.WiringCombo()->setCurrentIndex(0);
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.GetWatch(), (WatchSetup{true, "COM3", false}));

    // One device: the watch's controls rest and the port is just the port again.
    dlg.ModeCombo()->setCurrentIndex(0);
    EXPECT_EQ(dlg.PortCombo()->accessibleName(), "Port");
    EXPECT_FALSE(dlg.DevicePortCombo()->isEnabled());
    EXPECT_FALSE(dlg.WiringCombo()->isEnabled());
    SetMessageBoxHandler({});
}
