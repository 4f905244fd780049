#include "win32_line_setup.h"

#include <algorithm>

namespace {

DWORD Clamp(std::chrono::milliseconds time)
{
    // MAXDWORD means "never" or "at once" in the time-out fields, so the longest real wait is one less.
    return time.count() <= 0 ? 0 : time.count() >= MAXDWORD ? MAXDWORD - 1 : static_cast<DWORD>(time.count());
}

} // namespace

bool ApplyLineSettings(DCB& dcb, const LineSettings& settings)
{
    dcb.DCBlength = sizeof dcb;
    dcb.fBinary = TRUE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = settings.dtr ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fTXContinueOnXoff = TRUE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fRtsControl = settings.rts ? RTS_CONTROL_ENABLE : RTS_CONTROL_DISABLE;
    // Errors are collected with ClearCommError after each read; aborting would fail the transfers
    // with the same code a pulled adapter gives.
    dcb.fAbortOnError = FALSE;
    dcb.BaudRate = settings.baud;
    dcb.ByteSize = static_cast<BYTE>(settings.dataBits);
    switch (settings.parity) {
    case Parity::None: dcb.Parity = NOPARITY; break;
    case Parity::Even: dcb.Parity = EVENPARITY; break;
    case Parity::Odd: dcb.Parity = ODDPARITY; break;
    case Parity::Mark: dcb.Parity = MARKPARITY; break;
    case Parity::Space: dcb.Parity = SPACEPARITY; break;
    }
    dcb.fParity = dcb.Parity != NOPARITY;
    switch (settings.stopBits) {
    case 1: dcb.StopBits = ONESTOPBIT; break;
    case 2: dcb.StopBits = TWOSTOPBITS; break;
    default: return false;
    }
    return true;
}

bool LineSettingsTook(const DCB& wanted, const DCB& actual)
{
    return wanted.BaudRate == actual.BaudRate && wanted.ByteSize == actual.ByteSize
        && wanted.Parity == actual.Parity && wanted.StopBits == actual.StopBits
        && wanted.fOutxCtsFlow == actual.fOutxCtsFlow && wanted.fOutX == actual.fOutX && wanted.fInX == actual.fInX;
}

COMMTIMEOUTS DeviceTimeouts(std::chrono::milliseconds readGap, std::chrono::milliseconds writePerByte)
{
    COMMTIMEOUTS timeouts {};
    // Zero would turn the interval off; at least a millisecond keeps it on.
    timeouts.ReadIntervalTimeout = std::max<DWORD>(Clamp(readGap), 1);
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = 0;
    timeouts.WriteTotalTimeoutMultiplier = Clamp(writePerByte);
    timeouts.WriteTotalTimeoutConstant = 0;
    return timeouts;
}
