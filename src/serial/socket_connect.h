#pragma once

#include "serial/network_address.h"

#include <chrono>
#include <functional>
#include <string>

// Connects a non-blocking stream socket to the first address of the host that answers before the
// deadline, set up for a serial link: no coalescing delay, and keep-alive probes so that a gateway
// that vanishes without closing is noticed. -1, with the reason for the user, otherwise.
int ConnectSocket(const NetworkAddress& address, std::chrono::steady_clock::time_point deadline,
                  const std::function<bool()>& abandoned, std::string& reason);
