#pragma once

#include "stop_pipe_win32.h"

#include <memory>

// The notes a stop request adds 'S' to (those of the waiting stop pipe), or none; a request
// already made is noted at once.
void WakeOnStopRequests(std::shared_ptr<StopSignal> signal);
// Forgets signal if it is the one woken.
void StopWakingOn(const StopSignal* signal);
