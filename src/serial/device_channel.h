#pragma once

#include "serial/port_channel.h"

// The channel of a local serial device (a node in /dev, a COM port), one implementation per
// operating system. Opens the device exclusively and applies the settings over its present ones.
std::unique_ptr<CPortChannel> OpenDeviceChannel(const std::string& portName, const LineSettings& settings,
                                                const CPortChannel::Options& options, PortError& error);
