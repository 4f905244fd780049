#pragma once

#include <string>

// The words for a port that could not be opened, the same whichever system refused it, so that
// users and tests meet one text for one cause.
enum class PortOpenFault { Busy, Missing, NotSerial, SettingsRefused };

std::string PortOpenFaultText(PortOpenFault fault, const std::string& where);

// How those words name the port: "COM3 (/dev/ttyS2)", or the path alone when it was typed as one.
std::string PortWhere(const std::string& portName, const std::string& path);
