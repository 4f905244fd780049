// Console control events arrive on a thread of their own; the handler only sets the flag, and
// the run ends between steps as on POSIX.

#include "stop_flag.h"

#include <windows.h>

namespace {

std::atomic<bool> g_stop{false};

BOOL WINAPI OnConsoleControl(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT)
        return FALSE;
    g_stop = true;
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
}
