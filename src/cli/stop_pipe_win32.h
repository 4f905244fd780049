#pragma once

#include "stop_pipe.h"

#include <condition_variable>
#include <mutex>

// Windows has no pipe that can be waited on together with a console or a file: the notes sit
// under a mutex, and a condition variable wakes the waiters. Shared, so that a thread still
// blocked in a read when the pipe goes can hold on to it.
struct StopSignal {
    std::mutex mutex;
    std::condition_variable changed;
    std::string notes;
};

struct StopPipe::Native {
    std::shared_ptr<StopSignal> signal = std::make_shared<StopSignal>();
};
