#pragma once

#include "serial/port_channel.h"

// The waits of channels built on POSIX descriptors: each has an eventfd beside its descriptor that
// Close signals, so one poll ends on input, room, the peer's end, the deadline or the wake-up.
CPortChannel::Wait WaitOnDescriptor(int fd, short events, int wakeFd, CPortChannel::Clock::time_point deadline);

// Signals the eventfd; every present and later wait on it ends at once.
void SignalWake(int wakeFd);
