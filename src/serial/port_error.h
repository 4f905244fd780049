#pragma once

#include <string>

// What went wrong with a port, decided from the system's code in one function per platform
// (MapErrno, MapWin32Error) and put into words only where it is shown (PortErrorText).
enum class PortFault {
    None,             // nothing wrong (a modem-line call a pseudo-terminal does not have)
    Retry,            // interrupted or not ready: try again
    Pending,          // the transfer goes on in the background (Windows' overlapped I/O)
    Gone,             // the device vanished from under an open port
    AlreadyOpen,      // Open on a port that is open
    BadSettings,      // line settings no port can take
    Missing,          // no such port
    Busy,             // in use by another program
    PermissionDenied, // the node's group or owner keeps this user out
    NotSerial,        // the node is no serial port
    SettingsRefused,  // the port does not take the line settings
    Network,          // a gateway could not be reached or did not agree; the detail says how
    Failed,           // anything else the system reported
};

struct PortError {
    PortFault fault = PortFault::None;
    long systemCode = 0; // errno or the Windows error code; 0 when the system reported none
    std::string where;   // the port as the words name it: "COM3 (/dev/ttyS2)", or the path alone
    // What the fault needs besides: the group that may open the node (PermissionDenied), the
    // settings (BadSettings), the gateway's account (Network), the part of the line a port left
    // as it was (SettingsRefused).
    std::string detail;

    explicit operator bool() const { return fault != PortFault::None; }
};

// How the words name a port: "COM3 (/dev/ttyS2)", or the path alone when it was typed as one.
std::string PortWhere(const std::string& portName, const std::string& path);

// The words for the user, the same whichever system reported the fault.
std::string PortErrorText(const PortError& error);

// The system's own words for its code (strerror, FormatMessage); one file per platform.
std::string SystemErrorText(long systemCode);
