#include "port_open_errors.h"

std::string PortOpenFaultText(PortOpenFault fault, const std::string& where)
{
    switch (fault) {
    case PortOpenFault::Busy:
        return where + " is in use by another program";
    case PortOpenFault::Missing:
        return "there is no such port: " + where;
    case PortOpenFault::NotSerial:
        return where + " is not a serial port";
    case PortOpenFault::SettingsRefused:
        return where + " does not accept the line settings";
    }
    return where + " cannot be opened";
}

std::string PortWhere(const std::string& portName, const std::string& path)
{
    return portName == path ? path : portName + " (" + path + ")";
}
