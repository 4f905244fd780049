#pragma once

#include <string>

struct addrinfo;

// The system's name look-up behind HostResolver, one file per platform (getaddrinfo from libc or
// from Winsock, which is started first): the addresses for a stream socket to a numeric port,
// of the address families this machine has configured only, or of all. Returns getaddrinfo's
// status; on success found is a list FreeAddressList releases.
int LookUpStreamAddresses(const std::string& host, const std::string& service, bool configuredFamiliesOnly,
                          addrinfo** found);
void FreeAddressList(addrinfo* found);

// The system's words for a look-up status that is not "host not found".
std::string LookUpStatusText(int status);
