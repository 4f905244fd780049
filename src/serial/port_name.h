#pragma once

#include <string>
#include <string_view>

// The device node behind a port name as users type it; one implementation per platform.
// POSIX: "COMn" (any case) is the n-th on-board port /dev/ttyS(n-1); a name starting with '/' is
// a path (pseudo-terminals, /dev/serial/by-id links); anything else names a node in /dev
// ("ttyUSB0"). Windows: the name in the device namespace, "COM12" as \\.\COM12.
std::string DevicePathForPort(std::string_view name);
