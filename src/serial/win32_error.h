#pragma once

#include <cstdint>
#include <string>

// What a Windows error code means for a serial port, decided in one place as errno is on POSIX.
// Kept free of <windows.h> so that code holding the port's CE_ flags can use it: the system's
// header defines the same names as macros.
enum class Win32PortStep { Open, Configure, ApplySettings, Transfer };
enum class Win32PortFault { Pending, Gone, Busy, Missing, NotSerial, SettingsRefused, Failed };

Win32PortFault MapWin32Error(std::uint32_t error, Win32PortStep step);

// The words for the user when opening failed; where names the port ("COM3 (\\.\COM3)").
std::string Win32PortErrorText(Win32PortFault fault, std::uint32_t error, const std::string& where);

// The line errors ClearCommError reported, as the port's CE_ flags (the same bit values).
std::uint32_t LineErrorsFromCommErrors(std::uint32_t commErrors);
