#pragma once

#include <filesystem>
#include <string>
#include <vector>

// The serial ports present on this machine: every tty under sysClassTty backed by a device (UART
// slots that report no hardware left out), as devDir/<name>, then the stable links in byIdDir.
std::vector<std::string> ListSerialPorts(const std::filesystem::path& sysClassTty = "/sys/class/tty",
                                         const std::filesystem::path& devDir = "/dev",
                                         const std::filesystem::path& byIdDir = "/dev/serial/by-id");
