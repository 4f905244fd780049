#include "stop_flag.h"
#include "stop_flag_posix.h"

#include <csignal>

#include <unistd.h>

namespace {

std::atomic<bool> g_stop{false};
std::atomic<int> g_wakeFd{-1};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");
static_assert(std::atomic<int>::is_always_lock_free, "read in a signal handler");

void Wake()
{
    const int fd = g_wakeFd;
    const char why = 'S';
    if (fd >= 0) {
        [[maybe_unused]] const ssize_t n = write(fd, &why, 1);
    }
}

extern "C" void OnStopSignal(int)
{
    g_stop = true;
    Wake();
}

} // namespace

const std::atomic<bool>& CatchStopRequests()
{
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
    return g_stop;
}

void RequestStop()
{
    g_stop = true;
    Wake();
}

void WakeOnStopRequests(int fd)
{
    g_wakeFd = fd;
    if (g_stop)
        Wake();
}

void StopWakingOn(int fd)
{
    int expected = fd;
    g_wakeFd.compare_exchange_strong(expected, -1);
}
