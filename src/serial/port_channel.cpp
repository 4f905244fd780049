#include "port_channel.h"

#include "serial/device_channel.h"
#include "serial/network_channel.h"

std::unique_ptr<CPortChannel> CPortChannel::Open(const std::string& portName, const LineSettings& settings,
                                                 const Options& options, std::string& reason)
{
    if (IsNetworkPortName(portName)) {
        const auto address = ParseNetworkAddress(portName, reason);
        if (!address)
            return nullptr;
        return OpenNetworkChannel(*address, settings, options, reason);
    }
    return OpenDeviceChannel(portName, settings, options, reason);
}
