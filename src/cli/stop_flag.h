#pragma once

#include <atomic>

// A flag set by requests to end the program (Ctrl+C, SIGTERM and SIGHUP on POSIX; Ctrl+C,
// Ctrl+Break and the console closing on Windows) from the first call on, for work that checks
// it between steps. One implementation per platform.
const std::atomic<bool>& CatchStopRequests();
