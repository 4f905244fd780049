// Console control events arrive on a thread of their own: the handler sets the flag, as on POSIX,
// and notes the waiting stop pipe under its lock.

#include "stop_flag.h"
#include "stop_flag_win32.h"

#include <mutex>

#include <windows.h>

namespace {

std::atomic<bool> g_stop{false};
// The handler has no argument to carry a pipe: the one that is woken is kept here.
std::mutex g_wakeMutex;
std::shared_ptr<StopSignal> g_wake;

void Wake()
{
    std::shared_ptr<StopSignal> signal;
    {
        std::lock_guard lock(g_wakeMutex);
        signal = g_wake;
    }
    if (!signal)
        return;
    {
        std::lock_guard lock(signal->mutex);
        signal->notes += 'S';
    }
    signal->changed.notify_all();
}

BOOL WINAPI OnConsoleControl(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT)
        return FALSE;
    g_stop = true;
    Wake();
    return TRUE;
}

} // namespace

const std::atomic<bool>& CatchStopRequests()
{
    static const bool installed = SetConsoleCtrlHandler(OnConsoleControl, TRUE) != 0;
    (void)installed;
    return g_stop;
}

void RequestStop()
{
    g_stop = true;
    Wake();
}

void WakeOnStopRequests(std::shared_ptr<StopSignal> signal)
{
    {
        std::lock_guard lock(g_wakeMutex);
        g_wake = std::move(signal);
    }
    if (g_stop)
        Wake();
}

void StopWakingOn(const StopSignal* signal)
{
    std::lock_guard lock(g_wakeMutex);
    if (g_wake.get() == signal)
        g_wake.reset();
}
