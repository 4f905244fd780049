// Output the caller redirected (a pipe, a file, Wine's terminal) is used as it is; otherwise the
// console of the command prompt the program was started from, when there is one.
#include "app/early_output.h"

#include <cstdio>

#include <windows.h>

namespace {

bool HasHandle(DWORD which)
{
    const HANDLE handle = GetStdHandle(which);
    return handle && handle != INVALID_HANDLE_VALUE;
}

} // namespace

void ConnectEarlyOutput()
{
    const bool out = HasHandle(STD_OUTPUT_HANDLE);
    const bool err = HasHandle(STD_ERROR_HANDLE);
    if ((out && err) || !AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    if (!out)
        (void)std::freopen("CONOUT$", "w", stdout);
    if (!err)
        (void)std::freopen("CONOUT$", "w", stderr);
}
