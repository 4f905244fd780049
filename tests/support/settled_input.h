#pragma once

#include <chrono>
#include <thread>

#include <sys/ioctl.h>

// Waits until what stands unread on a descriptor stops growing: a writer that has filled the line
// and now blocks. Returns the count waiting (0 or less when nothing ever came).
inline int WaitForSettledInput(int descriptor)
{
    int waiting = -1;
    for (int last = -2, i = 0; i < 500 && (waiting <= 0 || waiting != last); ++i) {
        last = waiting;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ioctl(descriptor, FIONREAD, &waiting);
    }
    return waiting;
}
