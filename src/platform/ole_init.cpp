#include "platform/ole_init.h"

namespace {

thread_local int t_count = 0;
thread_local bool t_appInitialised = false;
thread_local bool t_fails = false;

} // namespace

bool OleInitialize()
{
    if (t_fails)
        return false;
    ++t_count;
    return true;
}

void OleUninitialize()
{
    if (t_count > 0)
        --t_count;
}

int GetOleInitializeCount() { return t_count; }
bool IsAppOleInitialised() { return t_appInitialised; }
void SetAppOleInitialised(bool initialised) { t_appInitialised = initialised; }
void SetOleInitializeFails(bool fails) { t_fails = fails; }
