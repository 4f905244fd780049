#pragma once

#include <atomic>

// The console tool's one way of hearing requests to end the program (Ctrl+C, SIGTERM and SIGHUP
// on POSIX; Ctrl+C, Ctrl+Break and the console closing on Windows): from the first call on they
// set this flag, for work that checks it between steps, and wake the stop pipe that waits for
// them (StopPipe::CatchStopSignals), for work that sleeps until something happens. One
// implementation per platform.
const std::atomic<bool>& CatchStopRequests();
// Sets the flag, and wakes the waiting pipe, as such a request does: for a run that has to end
// for a reason of its own (the reader of its output has gone).
void RequestStop();
