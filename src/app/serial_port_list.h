#pragma once

#include <filesystem>
#include <string>
#include <vector>

// The serial ports present on this machine, as names the port field takes; one file per platform
// and no Qt, so the console build can test it. Linux: every tty under /sys/class/tty backed by a
// device (UART slots that report no hardware left out) as /dev/<name>, then the stable links in
// /dev/serial/by-id. Windows: the COM ports the registry lists under HARDWARE\DEVICEMAP\SERIALCOMM.
std::vector<std::string> ListSerialPorts();

// The Linux build's listing, from other folders than the system's.
std::vector<std::string> ListSysfsSerialPorts(const std::filesystem::path& sysClassTty,
                                              const std::filesystem::path& devDir,
                                              const std::filesystem::path& byIdDir);

// Names in the order people count them: ttyUSB2 before ttyUSB10, COM2 before COM10.
std::vector<std::string> NaturallySorted(std::vector<std::string> names);
