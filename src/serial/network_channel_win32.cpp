// Network ports in the Windows build: the gateway channel is written against POSIX sockets and
// poll, and has no Winsock counterpart yet. A network port name is refused with that reason
// rather than taken for a COM port.

#include "network_channel.h"

std::unique_ptr<CPortChannel> OpenNetworkChannel(const NetworkAddress&, const LineSettings&,
                                                 const CPortChannel::Options&, std::string& reason)
{
    reason = "network ports (tcp://, rfc2217://) are not available in the Windows build yet";
    return nullptr;
}
