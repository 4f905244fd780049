#include "win32_error.h"

#include "serial/port_open_errors.h"

#include <windows.h>

Win32PortFault MapWin32Error(std::uint32_t error, Win32PortStep step)
{
    const bool opening = step != Win32PortStep::Transfer;
    switch (error) {
    case ERROR_IO_PENDING:
        return Win32PortFault::Pending;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
        return opening ? Win32PortFault::Missing : Win32PortFault::Gone;
    case ERROR_SHARING_VIOLATION:
        return Win32PortFault::Busy;
    case ERROR_ACCESS_DENIED:
        // A COM port opened by another program refuses everyone else with this; on a port we
        // hold, it is what a pulled USB adapter leaves behind.
        return opening ? Win32PortFault::Busy : Win32PortFault::Gone;
    case ERROR_INVALID_FUNCTION:
    case ERROR_NOT_SUPPORTED:
        return step == Win32PortStep::Configure ? Win32PortFault::NotSerial
             : opening                          ? Win32PortFault::Failed
                                                : Win32PortFault::Gone;
    case ERROR_INVALID_PARAMETER:
        return step == Win32PortStep::ApplySettings ? Win32PortFault::SettingsRefused
             : opening                              ? Win32PortFault::Failed
                                                    : Win32PortFault::Gone;
    case ERROR_GEN_FAILURE:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_DEVICE_REMOVED:
        return opening ? Win32PortFault::Missing : Win32PortFault::Gone;
    default:
        // ERROR_BAD_COMMAND, ERROR_OPERATION_ABORTED and whatever else a transfer meets mean the
        // device is no longer usable; it is reopened when it returns.
        return opening ? Win32PortFault::Failed : Win32PortFault::Gone;
    }
}

namespace {

std::string SystemMessage(std::uint32_t error)
{
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
        0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = length && text ? std::string(text, length) : std::string();
    LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '
                                || message.back() == '.'))
        message.pop_back();
    if (message.empty())
        message = "system error " + std::to_string(error);
    return message;
}

} // namespace

std::string Win32PortErrorText(Win32PortFault fault, std::uint32_t error, const std::string& where)
{
    switch (fault) {
    case Win32PortFault::Busy:
        return PortOpenFaultText(PortOpenFault::Busy, where);
    case Win32PortFault::Missing:
        return PortOpenFaultText(PortOpenFault::Missing, where);
    case Win32PortFault::NotSerial:
        return PortOpenFaultText(PortOpenFault::NotSerial, where);
    case Win32PortFault::SettingsRefused:
        return PortOpenFaultText(PortOpenFault::SettingsRefused, where);
    default:
        return where + ": " + SystemMessage(error);
    }
}

std::uint32_t LineErrorsFromCommErrors(std::uint32_t commErrors)
{
    return commErrors & (CE_RXOVER | CE_OVERRUN | CE_RXPARITY | CE_FRAME | CE_BREAK | CE_IOE);
}
