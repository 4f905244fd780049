#include "stop_flag.h"

#include <csignal>

namespace {

std::atomic<bool> g_stop{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

extern "C" void OnStopSignal(int)
{
    g_stop = true;
}

} // namespace

const std::atomic<bool>& CatchStopRequests()
{
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
    return g_stop;
}

void RequestStop()
{
    g_stop = true;
}
