#include "app/port_setting.h"
#include "app/setup_dlg.h"

#include <QComboBox>
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
