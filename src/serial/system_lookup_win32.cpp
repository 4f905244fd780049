#include "system_lookup.h"

#include "serial/host_lookup.h"
#include "serial/port_error.h"
#include "serial/winsock_startup.h"

#include <winsock2.h>
#include <ws2tcpip.h>

bool IsHostNotFound(int status)
{
    return status == WSAHOST_NOT_FOUND || status == WSANO_RECOVERY || status == WSATRY_AGAIN || status == WSANO_DATA;
}

int LookUpStreamAddresses(const std::string& host, const std::string& service, bool configuredFamiliesOnly,
                          addrinfo** found)
{
    if (const int started = StartWinsock(); started != 0)
        return started;
    addrinfo hints {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV | (configuredFamiliesOnly ? AI_ADDRCONFIG : 0);
    return getaddrinfo(host.c_str(), service.c_str(), &hints, found);
}

void FreeAddressList(addrinfo* found)
{
    freeaddrinfo(found);
}

std::string LookUpStatusText(int status)
{
    // Winsock's look-up statuses are its error codes, which the system words.
    return SystemErrorText(status);
}
