#include "port_channel.h"

#include "serial/device_channel.h"

std::unique_ptr<CPortChannel> CPortChannel::Open(const std::string& portName, const LineSettings& settings,
                                                 const Options& options, std::string& reason)
{
    return OpenDeviceChannel(portName, settings, options, reason);
}
