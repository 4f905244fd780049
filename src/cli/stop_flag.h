#pragma once

#include <atomic>

// A flag set by requests to end the program (Ctrl+C, SIGTERM and SIGHUP on POSIX; Ctrl+C,
// Ctrl+Break and the console closing on Windows) from the first call on, for work that checks
// it between steps. One implementation per platform.
const std::atomic<bool>& CatchStopRequests();
// Sets the flag as such a request does, for a run that has to end for a reason of its own (the
// reader of its output has gone).
void RequestStop();
