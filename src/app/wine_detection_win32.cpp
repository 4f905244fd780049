// Wine's ntdll exports wine_get_version, which Windows' own does not; Wine's documented way for
// a program to tell.
#include "app/qt_platform_choice.h"

#include <windows.h>

bool RunningUnderWine()
{
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}
