#pragma once

#include "stop_pipe.h"

// A pipe: written from signal handlers too (a write to a pipe is safe there), waited on with poll.
struct StopPipe::Native {
    int read = -1;
    int write = -1;
};
