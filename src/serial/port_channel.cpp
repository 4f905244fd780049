#include "port_channel.h"

#include "serial/device_channel.h"
#include "serial/network_channel.h"

std::unique_ptr<CPortChannel> CPortChannel::Open(const std::string& portName, const LineSettings& settings,
                                                 const Options& options, PortError& error)
{
    if (!IsNetworkPortName(portName))
        return OpenDeviceChannel(portName, settings, options, error);
    // A gateway's account of a failure (the look-up, the connection, the agreement) is its own.
    std::string reason;
    long systemCode = 0;
    auto channel = [&]() -> std::unique_ptr<CPortChannel> {
        const auto address = ParseNetworkAddress(portName, reason);
        if (!address)
            return nullptr;
        return OpenNetworkChannel(*address, settings, options, reason, systemCode);
    }();
    if (!channel)
        error = {PortFault::Network, systemCode, portName, reason};
    return channel;
}
