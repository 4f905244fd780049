#pragma once

#include "serial/network_address.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>

struct addrinfo;

// How a connection to a gateway failed, decided from the system's code in each platform's socket
// file (errno on POSIX, WSAGetLastError on Windows) and put into words here, once for both.
enum class ConnectFault { Refused, TimedOut, Unreachable, Abandoned, Other };

// systemCode is shown, in the system's words, only for Other.
std::string ConnectFailureText(ConnectFault fault, long systemCode, const std::string& where);

// The gateway's addresses, looked up off the caller's thread until the deadline; nothing, with
// the reason in words for the user, when the look-up failed, took too long or was abandoned.
std::shared_ptr<const addrinfo> LookUpGateway(const NetworkAddress& address,
                                              std::chrono::steady_clock::time_point deadline,
                                              const std::function<bool()>& abandoned, std::string& reason);
