#include "serial/line_settings.h"
#include "serial/port_name.h"
#include "serial/serial_port.h"
#include "serial/win32_error.h"
#include "serial/win32_line_setup.h"

#include <gtest/gtest.h>

TEST(Win32PortName, EveryPortGoesThroughTheDeviceNamespace)
{
    EXPECT_EQ(DevicePathForPort("COM1"), "\\\\.\\COM1");
    // Above COM9 a port is no plain file name; the namespace serves it alike.
    EXPECT_EQ(DevicePathForPort("com12"), "\\\\.\\com12");
    EXPECT_EQ(DevicePathForPort("\\\\.\\COM3"), "\\\\.\\COM3");
    EXPECT_EQ(DevicePathForPort("\\\\?\\FTDIBUS#VID_0403"), "\\\\?\\FTDIBUS#VID_0403");
}

TEST(Win32LineSetup, TheDeviceSettingsGiveARawLineWithDtrOnAndRtsOff)
{
    DCB dcb {};
    // Left over from another program: flow control, replacement characters, aborting on errors.
    dcb.BaudRate = 115200;
    dcb.fOutxCtsFlow = TRUE;
    dcb.fOutX = TRUE;
    dcb.fInX = TRUE;
    dcb.fErrorChar = TRUE;
    dcb.fNull = TRUE;
    dcb.fAbortOnError = TRUE;
    dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
    ASSERT_TRUE(ApplyLineSettings(dcb, kDeviceLineSettings));
    EXPECT_EQ(dcb.DCBlength, sizeof dcb);
    EXPECT_EQ(dcb.BaudRate, 9600u);
    EXPECT_EQ(dcb.ByteSize, 8);
    EXPECT_EQ(dcb.Parity, NOPARITY);
    EXPECT_FALSE(dcb.fParity);
    EXPECT_EQ(dcb.StopBits, ONESTOPBIT);
    EXPECT_TRUE(dcb.fBinary);
    EXPECT_FALSE(dcb.fOutxCtsFlow || dcb.fOutxDsrFlow || dcb.fOutX || dcb.fInX);
    EXPECT_FALSE(dcb.fErrorChar || dcb.fNull || dcb.fAbortOnError || dcb.fDsrSensitivity);
    EXPECT_EQ(dcb.fDtrControl, static_cast<DWORD>(DTR_CONTROL_ENABLE));
    EXPECT_EQ(dcb.fRtsControl, static_cast<DWORD>(RTS_CONTROL_DISABLE));
}

TEST(Win32LineSetup, EverySettingReplacesWhatThePortHad)
{
    DCB dcb {};
    dcb.BaudRate = 19200;
    dcb.ByteSize = 7;
    dcb.StopBits = ONESTOPBIT;
    LineSettings settings = kDeviceLineSettings;
    settings.parity = Parity::Even;
    settings.stopBits = 2;
    settings.dtr = false;
    settings.rts = true;
    ASSERT_TRUE(ApplyLineSettings(dcb, settings));
    EXPECT_EQ(dcb.BaudRate, 9600u);
    EXPECT_EQ(dcb.ByteSize, 8);
    EXPECT_EQ(dcb.Parity, EVENPARITY);
    EXPECT_TRUE(dcb.fParity);
    EXPECT_EQ(dcb.StopBits, TWOSTOPBITS);
    EXPECT_EQ(dcb.fDtrControl, static_cast<DWORD>(DTR_CONTROL_DISABLE));
    EXPECT_EQ(dcb.fRtsControl, static_cast<DWORD>(RTS_CONTROL_ENABLE));

    for (const auto& [parity, code] : {std::pair{Parity::Odd, ODDPARITY}, {Parity::Mark, MARKPARITY}, {Parity::Space, SPACEPARITY}}) {
        settings.parity = parity;
        ASSERT_TRUE(ApplyLineSettings(dcb, settings));
        EXPECT_EQ(dcb.Parity, code);
    }
}

TEST(Win32LineSetup, ASettingThePortDidNotTakeIsNoticed)
{
    DCB wanted {};
    ASSERT_TRUE(ApplyLineSettings(wanted, kDeviceLineSettings));
    DCB actual = wanted;
    EXPECT_TRUE(LineSettingsTook(wanted, actual));
    actual.BaudRate = 4800;
    EXPECT_FALSE(LineSettingsTook(wanted, actual));
    actual = wanted;
    actual.StopBits = TWOSTOPBITS;
    EXPECT_FALSE(LineSettingsTook(wanted, actual));
    actual = wanted;
    actual.fOutX = TRUE;
    EXPECT_FALSE(LineSettingsTook(wanted, actual));
}

TEST(Win32LineSetup, ReadsWaitForTheFirstByteAndWritesHaveThePortsBudget)
{
    const COMMTIMEOUTS timeouts = DeviceTimeouts(std::chrono::milliseconds(20), CSerialPort::kWriteTimeoutPerByte);
    // No total: the first byte is waited for until the channel's own deadline or Close.
    EXPECT_EQ(timeouts.ReadIntervalTimeout, 20u);
    EXPECT_EQ(timeouts.ReadTotalTimeoutMultiplier, 0u);
    EXPECT_EQ(timeouts.ReadTotalTimeoutConstant, 0u);
    EXPECT_EQ(timeouts.WriteTotalTimeoutMultiplier, 1000u);
    EXPECT_EQ(timeouts.WriteTotalTimeoutConstant, 0u);

    // MAXDWORD and zero change what the fields mean, so the times stay clear of them.
    const COMMTIMEOUTS odd = DeviceTimeouts(std::chrono::milliseconds(0), std::chrono::hours(24 * 365 * 200));
    EXPECT_EQ(odd.ReadIntervalTimeout, 1u);
    EXPECT_EQ(odd.WriteTotalTimeoutMultiplier, MAXDWORD - 1);
}

TEST(Win32Error, OpeningAndTransferringReadTheSameCodesDifferently)
{
    using enum PortFault;
    EXPECT_EQ(MapWin32Error(ERROR_FILE_NOT_FOUND, Win32PortStep::Open), Missing);
    EXPECT_EQ(MapWin32Error(ERROR_ACCESS_DENIED, Win32PortStep::Open), Busy);
    EXPECT_EQ(MapWin32Error(ERROR_SHARING_VIOLATION, Win32PortStep::Open), Busy);
    EXPECT_EQ(MapWin32Error(ERROR_INVALID_FUNCTION, Win32PortStep::Configure), NotSerial);
    EXPECT_EQ(MapWin32Error(ERROR_INVALID_PARAMETER, Win32PortStep::ApplySettings), SettingsRefused);
    EXPECT_EQ(MapWin32Error(ERROR_INVALID_PARAMETER, Win32PortStep::Configure), Failed);
    EXPECT_EQ(MapWin32Error(ERROR_IO_PENDING, Win32PortStep::Transfer), Pending);
    // A USB adapter pulled out while the port is open.
    for (const DWORD error : {ERROR_BAD_COMMAND, ERROR_ACCESS_DENIED, ERROR_OPERATION_ABORTED, ERROR_GEN_FAILURE,
                              ERROR_DEVICE_NOT_CONNECTED, ERROR_FILE_NOT_FOUND})
        EXPECT_EQ(MapWin32Error(error, Win32PortStep::Transfer), Gone) << error;
}

TEST(Win32Error, SystemWordsEndCleanly)
{
    // Other failures carry the system's words, without the line end FormatMessage adds.
    const std::string text = PortErrorText({PortFault::Failed, ERROR_NOT_ENOUGH_MEMORY, "COM1", {}});
    ASSERT_GT(text.size(), std::string("COM1: ").size());
    EXPECT_EQ(text.rfind("COM1: ", 0), 0u);
    EXPECT_NE(text.back(), '\n');
    EXPECT_NE(text.back(), '.');
}

TEST(Win32SerialPort, APortThatIsNotThereSaysSoAndStaysClosed)
{
    CSerialPort port;
    EXPECT_FALSE(port.Open("COM199", kDeviceLineSettings));
    EXPECT_EQ(port.OpenFailure().fault, PortFault::Missing);
    EXPECT_EQ(port.OpenFailure().where, "COM199 (\\\\.\\COM199)");
    EXPECT_FALSE(port.IsOpen());
    std::uint8_t byte = 0;
    EXPECT_FALSE(port.Read(&byte, 1, nullptr));
    EXPECT_FALSE(port.Write(&byte, 1, nullptr));
}
