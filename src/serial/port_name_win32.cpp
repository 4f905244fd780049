#include "port_name.h"

// Windows names its serial ports COM1, COM2...; only COM1 to COM9 are also plain file names, so
// every name is opened in the device namespace, \\.\COMn, which serves COM10 and above alike.
// A name already in that namespace (\\.\ or \\?\) stays as it is.
std::string DevicePathForPort(std::string_view name)
{
    if (name.starts_with("\\\\.\\") || name.starts_with("\\\\?\\"))
        return std::string(name);
    return "\\\\.\\" + std::string(name);
}
