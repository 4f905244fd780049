#include "win32_error.h"

#include <windows.h>

PortFault MapWin32Error(std::uint32_t error, Win32PortStep step)
{
    const bool opening = step != Win32PortStep::Transfer;
    switch (error) {
    case ERROR_IO_PENDING:
        return PortFault::Pending;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
        return opening ? PortFault::Missing : PortFault::Gone;
    case ERROR_SHARING_VIOLATION:
        return PortFault::Busy;
    case ERROR_ACCESS_DENIED:
        // A COM port opened by another program refuses everyone else with this; on a port we
        // hold, it is what a pulled USB adapter leaves behind.
        return opening ? PortFault::Busy : PortFault::Gone;
    case ERROR_INVALID_FUNCTION:
    case ERROR_NOT_SUPPORTED:
        return step == Win32PortStep::Configure ? PortFault::NotSerial
             : opening                          ? PortFault::Failed
                                                : PortFault::Gone;
    case ERROR_INVALID_PARAMETER:
        return step == Win32PortStep::ApplySettings ? PortFault::SettingsRefused
             : opening                              ? PortFault::Failed
                                                    : PortFault::Gone;
    case ERROR_GEN_FAILURE:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_DEVICE_REMOVED:
        return opening ? PortFault::Missing : PortFault::Gone;
    default:
        // ERROR_BAD_COMMAND, ERROR_OPERATION_ABORTED and whatever else a transfer meets mean the
        // device is no longer usable; it is reopened when it returns.
        return opening ? PortFault::Failed : PortFault::Gone;
    }
}

std::uint32_t LineErrorsFromCommErrors(std::uint32_t commErrors)
{
    return commErrors & (CE_RXOVER | CE_OVERRUN | CE_RXPARITY | CE_FRAME | CE_BREAK | CE_IOE);
}
