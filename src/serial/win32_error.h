#pragma once

#include "serial/port_error.h"

#include <cstdint>

// What a Windows error code means for a serial port, decided in one place as errno is on POSIX.
// Kept free of <windows.h> so that code holding the port's CE_ flags can use it: the system's
// header defines the same names as macros.
enum class Win32PortStep { Open, Configure, ApplySettings, Transfer };

PortFault MapWin32Error(std::uint32_t error, Win32PortStep step);

// The line errors ClearCommError reported, as the port's CE_ flags (the same bit values).
std::uint32_t LineErrorsFromCommErrors(std::uint32_t commErrors);
