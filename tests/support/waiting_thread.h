#pragma once

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include <sys/syscall.h>
#include <unistd.h>

// Whether another thread of this process is blocked in ppoll(2), as a port read is while it
// waits for the device: the kernel names each thread's current system call in
// /proc/self/task/TID/syscall. A test that closes the port after this has held knows that the
// read was waiting, so a read that then ends can only have been woken.
inline bool AnotherThreadWaitsInPoll()
{
    const std::string self = std::to_string(gettid());
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task", error)) {
        if (task.path().filename() == self)
            continue;
        std::ifstream in(task.path() / "syscall");
        long number = -1;
        if (in >> number && number == SYS_ppoll)
            return true;
    }
    return false;
}

// Looks every millisecond until another thread waits in ppoll; false if none does within the
// time (a generous bound: the wait is normally reached at once).
inline bool WaitUntilAnotherThreadWaitsInPoll(std::chrono::milliseconds within = std::chrono::seconds(20))
{
    const auto end = std::chrono::steady_clock::now() + within;
    while (!AnotherThreadWaitsInPoll()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
