#include "port_error.h"

std::string PortWhere(const std::string& portName, const std::string& path)
{
    return portName == path ? path : portName + " (" + path + ")";
}

std::string PortErrorText(const PortError& error)
{
    const std::string& where = error.where;
    switch (error.fault) {
    case PortFault::None:
        return {};
    case PortFault::AlreadyOpen:
        return "the port is already open";
    case PortFault::BadSettings:
        return "line settings no port can take (" + error.detail + ")";
    case PortFault::Busy:
        return where + " is in use by another program";
    case PortFault::Missing:
        return "there is no such port: " + where;
    case PortFault::NotSerial:
        return where + " is not a serial port";
    case PortFault::SettingsRefused:
        return where + " does not accept the line settings" + (error.detail.empty() ? "" : ": " + error.detail);
    case PortFault::PermissionDenied:
        if (error.detail.empty())
            return "permission denied on " + where;
        // Joining root's group is no advice to give; someone has to grant access to the node.
        if (error.detail == "root")
            return "permission denied on " + where + ": only root may open it; ask an administrator for access";
        return "permission denied on " + where + ": the port belongs to group " + error.detail
            + "; join it with \"sudo usermod -aG " + error.detail + " $USER\", then log in again";
    case PortFault::Network:
        return error.detail;
    case PortFault::Retry:
    case PortFault::Pending:
    case PortFault::Gone:
    case PortFault::Failed:
        break;
    }
    return where + ": " + SystemErrorText(error.systemCode);
}
