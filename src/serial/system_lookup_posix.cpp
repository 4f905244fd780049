#include "system_lookup.h"

#include "serial/host_lookup.h"

#include <netdb.h>
#include <sys/socket.h>

bool IsHostNotFound(int status)
{
    return status == EAI_NONAME || status == EAI_FAIL || status == EAI_AGAIN || status == EAI_NODATA
        || status == EAI_ADDRFAMILY;
}

int LookUpStreamAddresses(const std::string& host, const std::string& service, bool configuredFamiliesOnly,
                          addrinfo** found)
{
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
    return gai_strerror(status);
}
